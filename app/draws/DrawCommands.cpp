#include "app/draws/DrawCommands.h"

#include <QAction>
#include <QDialog>
#include <QPointer>
#include <QProgressDialog>
#include <QWidget>
#include <optional>

#include "app/draws/DrawHistory.h"
#include "app/draws/ImportPreview.h"
#include "app/window/StatusPanels.h"
#include "data/DownloadCodec.h"
#include "data/DrawCalendar.h"
#include "data/DrawExport.h"
#include "data/DrawImport.h"
#include "data/DrawLines.h"
#include "data/DrawMerge.h"
#include "data/DrawTable.h"
#include "data/Error.h"
#include "data/FileIo.h"
#include "data/ui/CodeEditor.h"
#include "ui/BackgroundJob.h"
#include "ui/Failure.h"
#include "ui/Prompts.h"
#include "view/ui/Gui2Ctrl.h"

namespace {

const QString DownloadFailedText = QStringLiteral("下载开奖数据失败：\r\n");
const QString DrawsKeptText = QStringLiteral("原有的开奖号码没有改动。");

// The one text of a download that failed or brought nothing that could be added, for both
// paths: the manual download's message box names the reason, and so does the automatic
// update's status text, except for a service out of reach, which says only that.
QString DownloadFailureText(const std::string& reason, bool unreachable, bool quiet) {
    if (!quiet) return DownloadFailedText + QString::fromStdString(reason);
    if (unreachable) return QString::fromUtf8(UpdateUnreachableText);
    return QStringLiteral("自动更新未完成：") + QString::fromStdString(reason);
}

}  // namespace

const QString TDrawCommands::DownloadingText = QStringLiteral("正在下载开奖数据...");

TDrawCommands::TDrawCommands(QWidget& window, TGui2RegNet& grid, TPrompts& prompts,
                             const SearchOptions& options, const TDownloadTiming& timing,
                             TStatusPanels& status, QString programFolder)
    : QObject(&window),
      window_(window),
      grid_(grid),
      prompts_(prompts),
      options_(options),
      timing_(timing),
      status_(status),
      programFolder_(std::move(programFolder)),
      download_(new TBackgroundJob(this)),
      reading_(new TBackgroundJob(this)) {}

TDrawCommands::~TDrawCommands() = default;

bool TDrawCommands::DownloadRunning() const {
    return download_->Running();
}

bool TDrawCommands::ReadingRunning() const {
    return reading_->Running();
}

void TDrawCommands::StopDownload() {
    download_->Abandon();
}

void TDrawCommands::SetDownloadActions(QAction* menuItem, QAction* button) {
    downloadItem_ = menuItem;
    downloadButton_ = button;
}

void TDrawCommands::ShowError(const QString& text) {
    prompts_.ShowError(&window_, text);
}

void TDrawCommands::LoadDrawNumbers(const std::vector<int32_t>& numbers, const QString& message,
                                    TDrawChange kind) {
    // Nothing to load is a failure, not a success that leaves an empty grid.
    if (numbers.empty()) throw TError(("没有收到任何开奖号码，" + DrawsKeptText).toStdString());
    // Refuses a number that is no draw before anything changes, so the draws stay whole.
    LoadDrawNumbersInto(numbers, grid_.Draws());
    grid_.Register().Clear();
    // A download still running keeps its command disabled: one download at a time.
    SetDownloadEnabled(!DownloadRunning());
    grid_.Pattern().Clear();
    emit DrawsChanged(kind);
    grid_.LayoutGrid();
    grid_.DrawsReplaced();
    grid_.PostScroll(srBottom);
    prompts_.ShowMessage(&window_, message);
}

struct TDrawCommands::TLoadedFile {
    std::unique_ptr<TDrawFileText> File;       // a table's text, read again when the preview asks
    std::optional<TDrawFileReading> Detected;  // a table: the reading of its detected layout
    std::vector<int32_t> Numbers;              // the plain form: its draws
};

TDrawCommands::TLoadedFile TDrawCommands::LoadFile(const std::string& path, TJobControl* control) {
    // Three steps, each a look at the cancel request: the bytes, the lines, the columns.
    constexpr int64_t Steps = 3;
    const auto step = [control](int64_t done) {
        if (control != nullptr && !control->Report(done, Steps)) throw TReadCancelled();
    };
    TLoadedFile loaded;
    step(0);
    const std::string text = ReadTextFile(path, MaxDrawFileBytes);
    step(1);
    loaded.File = std::make_unique<TDrawFileText>(text);
    step(2);
    if (loaded.File->IsTable()) {
        const TDrawTableLayout layout = loaded.File->DetectLayout();
        if (layout.Decided()) {
            loaded.Detected = loaded.File->ReadTable(layout);
        } else {  // the preview asks the user which column holds the draw
            loaded.Detected.emplace();
            loaded.Detected->IsTable = true;
            loaded.Detected->Layout = layout;
        }
    } else
        loaded.Numbers = loaded.File->Read().Numbers();
    step(Steps);
    return loaded;
}

void TDrawCommands::ImportLoaded(TLoadedFile& loaded) {
    TIncomingDraws incoming;
    if (loaded.Detected) {
        TImportPreview preview(*loaded.File, std::move(*loaded.Detected), &window_);
        const bool accepted =
            previewRunner_ ? previewRunner_(preview) : preview.exec() == QDialog::Accepted;
        if (!accepted || !preview.Readable()) return;
        incoming = IncomingFromReading(preview.Reading());
    } else {
        incoming.Numbers = std::move(loaded.Numbers);
        incoming.Identities.resize(incoming.Numbers.size());
    }
    AddDraws(incoming, QStringLiteral("导入开奖号码成功！"), TDrawChange::Import);
}

bool TDrawCommands::AddDraws(const TIncomingDraws& incoming, const QString& message,
                             TDrawChange kind, QString title) {
    // Nothing to add is a failure, not a success that leaves the draws as they were unsaid.
    if (incoming.Numbers.empty())
        throw TError(("没有收到任何开奖号码，" + DrawsKeptText).toStdString());
    TCodes& draws = grid_.Draws();
    TDrawRegister& reg = grid_.Register();
    reg.Fit(draws.Count());
    if (title.isEmpty())
        title =
            kind == TDrawChange::Download ? QStringLiteral("下载数据") : QStringLiteral("导入号码");
    if (draws.Count() == 0) {
        ReplaceAllDraws(incoming, draws, reg);
    } else {
        const TDrawMergePlan plan = PlanDrawMerge(draws, reg, incoming);
        if (plan.ChangesNothing() && plan.Match != TMergeMatch::None) {
            SetDownloadEnabled(!DownloadRunning());
            prompts_.ShowMessage(&window_, QStringLiteral("没有新的开奖号码，") + DrawsKeptText);
            return false;
        }
        TMergeDialog dialog(title, QString::fromStdString(DescribeMergePlan(plan, incoming, reg)),
                            !plan.Differences.empty(), plan.Match != TMergeMatch::None, &window_);
        const TMergeChoice choice = mergeRunner_ ? mergeRunner_(dialog) : [&dialog] {
            dialog.exec();
            return dialog.Choice();
        }();
        SetDownloadEnabled(!DownloadRunning());
        switch (choice) {
            case TMergeChoice::Cancel:
                return false;
            case TMergeChoice::ReplaceAll: {
                const int32_t before = draws.Count();
                const auto after = static_cast<int32_t>(incoming.Numbers.size());
                // Replacing with fewer draws throws draws away: said and asked first.
                if (after < before &&
                    prompts_.Ask(&window_,
                                 QStringLiteral("全部替换后，文档的开奖号码将从%1期变为%2期，"
                                                "删除%3期。确定要全部替换吗？")
                                     .arg(before)
                                     .arg(after)
                                     .arg(before - after),
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) != QMessageBox::Yes)
                    return false;
                ReplaceAllDraws(incoming, draws, reg);
                DrawsReplacedBy(kind);
                prompts_.ShowMessage(
                    &window_,
                    message +
                        QStringLiteral("\r\n已替换：原有%1期，现在%2期").arg(before).arg(after));
                return true;
            }
            case TMergeChoice::Add:
            case TMergeChoice::AddAndReplace:
                ApplyDrawMerge(plan, incoming, choice == TMergeChoice::AddAndReplace, draws, reg);
                break;
        }
    }
    DrawsReplacedBy(kind);
    prompts_.ShowMessage(&window_, message);
    return true;
}

void TDrawCommands::DrawsReplacedBy(TDrawChange kind) {
    // A download still running keeps its command disabled: one download at a time.
    SetDownloadEnabled(!DownloadRunning());
    grid_.Pattern().Clear();
    emit DrawsChanged(kind);
    grid_.LayoutGrid();
    grid_.DrawsReplaced();
    grid_.PostScroll(srBottom);
}

int32_t TDrawCommands::AddNewDrawsWithoutAsking(const TIncomingDraws& incoming, TDrawChange kind) {
    TCodes& draws = grid_.Draws();
    TDrawRegister& reg = grid_.Register();
    reg.Fit(draws.Count());
    const TDrawMergePlan plan = PlanDrawMerge(draws, reg, incoming);
    // Gaps the new draws leave, differences, repeats and 期号 that do not line up: the user
    // decides, with the plan before them.
    if (draws.Count() == 0 || plan.Match == TMergeMatch::None || !plan.Differences.empty() ||
        !plan.Duplicates.empty() || plan.Backward >= 0 || plan.OpensGap || plan.IdentitiesDropped ||
        (plan.NumberingDiffers && !plan.ChangesNothing()))
        return -1;
    if (plan.ChangesNothing()) return 0;
    ApplyDrawMerge(plan, incoming, false, draws, reg);
    DrawsReplacedBy(kind);
    return static_cast<int32_t>(plan.NewDraws.size());
}

bool TDrawCommands::AddDrawsQuietly(const TIncomingDraws& incoming) {
    TCodes& draws = grid_.Draws();
    const int32_t before = draws.Count();
    if (incoming.Numbers.empty()) {
        status_.SetText(0, QString::fromUtf8(UpToDateText));
        return false;
    }
    if (before == 0) {
        ReplaceAllDraws(incoming, draws, grid_.Register());
        DrawsReplacedBy(TDrawChange::Download);
    } else {
        const int32_t added = AddNewDrawsWithoutAsking(incoming, TDrawChange::Download);
        if (added == 0) {
            status_.SetText(0, QString::fromUtf8(UpToDateText));
            return false;
        }
        // Something differs (or does not match): the user decides, with the plan before them.
        if (added < 0 && !AddDraws(incoming, QStringLiteral("下载开奖数据成功！"),
                                   TDrawChange::Download, QStringLiteral("自动更新")))
            return false;
    }
    status_.SetText(0, QString::fromStdString(UpdatedText(grid_.Register(), draws.Count(),
                                                          std::max(draws.Count() - before, 0))));
    return true;
}

void TDrawCommands::ImportFile(const QString& path) {
    TLoadedFile loaded = LoadFile(path.toStdString(), nullptr);
    ImportLoaded(loaded);
}

void TDrawCommands::Import() {
    const QString path = prompts_.OpenFileName(
        &window_, QStringLiteral("从文本文件中的开奖数据导入号码"), programFolder_,
        QStringLiteral(
            "文本文件和表格 (*.txt *.csv);;文本文件 (*.txt);;表格 (*.csv);;任何文件 (*)"));
    if (path.isEmpty()) return;
    QPointer<QProgressDialog> progress = new QProgressDialog(
        QStringLiteral("正在读取开奖数据..."), QStringLiteral("取消"), 0, 100, &window_);
    progress->setWindowTitle(QStringLiteral("读取开奖数据"));
    progress->setWindowModality(Qt::WindowModal);
    progress->setMinimumDuration(500);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    progress->setValue(0);
    reading_->FollowIn(*progress);
    const auto closeProgress = [progress] {
        delete progress.data();  // at once: a dialog left for later could still show itself
    };
    reading_->Start(
        [file = path.toStdString()](TJobControl& control) { return LoadFile(file, &control); },
        [this, closeProgress](TLoadedFile loaded) {
            closeProgress();
            try {
                ImportLoaded(loaded);
            } catch (const std::exception& e) {
                ShowError(QString::fromStdString(e.what()));
            }
        },
        [this, closeProgress](std::exception_ptr failure) {
            closeProgress();
            // A stop by the user shows nothing: nothing changed.
            ShowFailure(prompts_, &window_, failure,
                        FailureIs<TNoDrawsError>(failure) ? DrawsKeptText : QString());
        });
}

void TDrawCommands::FinishReading() {
    reading_->Finish();
}

void TDrawCommands::Export() {
    const QString path =
        prompts_.SaveFileName(&window_, QStringLiteral("导出开奖号码"), programFolder_,
                              QStringLiteral("文本文件 (*.txt);;表格 (*.csv)"));
    if (path.isEmpty()) return;
    try {
        ExportDraws(path.toStdString(), grid_.Draws(), grid_.Register());
    } catch (const std::exception& e) {
        ShowError(QString::fromStdString(e.what()));
        return;
    }
    prompts_.ShowMessage(&window_, QStringLiteral("导出开奖号码成功！"));
}

void TDrawCommands::Edit() {
    if (!editor_) editor_ = new TCodeEdtorForm(&window_, prompts_);
    editor_->SetLines(DrawLinesOf(grid_.Draws()));
    if (editor_->exec() != QDialog::Accepted) return;
    const TDrawRows before = RowsOf(grid_.Draws());
    try {
        // The draws change only when every line reads as a draw.
        LoadDrawLines(editor_->Lines(), grid_.Draws());
        grid_.Register() = RealignRegister(before, grid_.Register(), RowsOf(grid_.Draws()));
    } catch (const std::exception& e) {
        ShowError(QString::fromStdString(e.what()));
        return;
    }
    emit DrawsChanged(TDrawChange::Editor);
    // The grid keeps its place; only its scroll range follows the new number of draws.
    grid_.DrawsReplaced();
}

void TDrawCommands::StartDownload(bool quiet) {
    if (DownloadRunning()) return;
    TDownloadRequest request;
    request.ServiceUrl = options_.ServiceUrl.empty() ? DefaultServiceUrl() : options_.ServiceUrl;
    request.MemberName = options_.MemberName;
    request.MemberPassword = options_.MemberPassword;
    SetDownloadEnabled(false);
    status_.SetText(0, quiet ? QString::fromUtf8(UpdateCheckingText) : DownloadingText);
    PrepareDownloads();
    download_->Start(
        [request = std::move(request), timing = timing_,
         created = std::chrono::steady_clock::now()](TJobControl& control) {
            return RunDownload(request, timing, created, control);
        },
        [this, quiet](const TDownloadResult& result) {
            OnDownloadResult(result, quiet);
            emit DownloadHandled(quiet);
        });
}

void TDrawCommands::SetDownloadEnabled(bool enabled) {
    if (downloadItem_ != nullptr) downloadItem_->setEnabled(enabled);
    if (downloadButton_ != nullptr) downloadButton_->setEnabled(enabled);
}

void TDrawCommands::OnDownloadResult(const TDownloadResult& result, bool quiet) {
    if (status_.Text(0) == DownloadingText || status_.Text(0) == UpdateCheckingText)
        status_.SetText(0, QString());
    SetDownloadEnabled(true);
    if (!result.Succeeded) {
        const QString text = DownloadFailureText(result.Error, result.Unreachable, quiet);
        // An automatic update tells the status bar, never a box.
        if (quiet)
            status_.SetText(0, text);
        else
            ShowError(text);
        return;
    }
    if (!quiet) {
        ApplyDownloadedDraws(result.Items);
        return;
    }
    // Kept until the window is idle (TAutoUpdate decides when): the draws never change under
    // a search, a dialog or a job.
    pendingUpdate_ = result.Items;
    emit UpdateArrived();
}

void TDrawCommands::ApplyPendingUpdate() {
    if (!pendingUpdate_) return;
    const std::vector<std::string> items = std::move(*pendingUpdate_);
    pendingUpdate_.reset();
    try {
        AddDrawsQuietly(IncomingFromItems(items));
    } catch (const std::exception& e) {
        status_.SetText(0, DownloadFailureText(e.what(), false, true));
    }
    SetDownloadEnabled(!DownloadRunning());
}

void TDrawCommands::ApplyDownloadedDraws(const std::vector<std::string>& items) {
    try {
        AddDraws(IncomingFromItems(items), QStringLiteral("下载开奖数据成功！"),
                 TDrawChange::Download);
    } catch (const std::exception& e) {
        SetDownloadEnabled(!DownloadRunning());
        ShowError(DownloadFailureText(e.what(), false, false));
    }
}
