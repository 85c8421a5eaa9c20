#include "app/DrawCommands.h"

#include <QAction>
#include <QDialog>
#include <QWidget>

#include "app/ImportPreview.h"
#include "app/StatusPanels.h"
#include "data/DownloadCodec.h"
#include "data/DrawExport.h"
#include "data/DrawImport.h"
#include "data/DrawLines.h"
#include "data/DrawTable.h"
#include "data/FileIo.h"
#include "data/ui/CodeEditor.h"
#include "ui/Prompts.h"
#include "view/ui/Gui2Ctrl.h"

namespace {

const QString DownloadFailedText = QStringLiteral("下载开奖数据失败：\r\n");

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
      programFolder_(std::move(programFolder)) {}

TDrawCommands::~TDrawCommands() = default;

void TDrawCommands::SetDownloadActions(QAction* menuItem, QAction* button) {
    downloadItem_ = menuItem;
    downloadButton_ = button;
}

void TDrawCommands::ShowError(const QString& text) {
    prompts_.ShowError(&window_, text);
}

void TDrawCommands::LoadDrawNumbers(const std::vector<int32_t>& numbers, const QString& message,
                                    TDrawChange kind) {
    // Refuses a number that is no draw before anything changes, so the draws stay whole.
    LoadDrawNumbersInto(numbers, grid_.Draws());
    // A download still running keeps its command disabled: one download at a time.
    SetDownloadEnabled(!DownloadRunning());
    grid_.Pattern().Clear();
    emit DrawsChanged(kind);
    grid_.LayoutGrid();
    grid_.viewport()->repaint();
    grid_.PostScroll(srBottom);
    prompts_.ShowMessage(&window_, message);
}

void TDrawCommands::ImportFile(const QString& path) {
    const std::vector<uint8_t> bytes = ReadWholeFile(path.toStdString(), MaxDrawFileBytes);
    const TDrawFileText file(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    std::vector<int32_t> numbers;
    if (file.IsTable()) {
        TImportPreview preview(file, file.ReadTable(file.DetectLayout()), &window_);
        const bool accepted =
            previewRunner_ ? previewRunner_(preview) : preview.exec() == QDialog::Accepted;
        if (!accepted || !preview.Readable()) return;
        numbers = preview.Reading().Numbers();
    } else {
        numbers = file.Read().Numbers();
    }
    LoadDrawNumbers(numbers, QStringLiteral("导入开奖号码成功！"), TDrawChange::Import);
}

void TDrawCommands::Import() {
    const QString path = prompts_.OpenFileName(
        &window_, QStringLiteral("从文本文件中的开奖数据导入号码"), programFolder_,
        QStringLiteral(
            "文本文件和表格 (*.txt *.csv);;文本文件 (*.txt);;表格 (*.csv);;任何文件 (*)"));
    if (path.isEmpty()) return;
    try {
        ImportFile(path);
    } catch (const std::exception& e) {
        ShowError(QString::fromStdString(e.what()));
    }
}

void TDrawCommands::Export() {
    const QString path =
        prompts_.SaveFileName(&window_, QStringLiteral("导出开奖号码"), programFolder_,
                              QStringLiteral("文本文件 (*.txt);;表格 (*.csv)"));
    if (path.isEmpty()) return;
    try {
        ExportDraws(path.toStdString(), grid_.Draws());
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
    try {
        // The draws change only when every line reads as a draw.
        LoadDrawLines(editor_->Lines(), grid_.Draws());
    } catch (const std::exception& e) {
        ShowError(QString::fromStdString(e.what()));
        return;
    }
    emit DrawsChanged(TDrawChange::Editor);
    // The grid keeps its place; only its scroll range follows the new number of draws.
    grid_.DrawsReplaced();
}

void TDrawCommands::StartDownload() {
    if (DownloadRunning()) return;
    TDownloadRequest request;
    request.ServiceUrl = options_.ServiceUrl.empty() ? DefaultServiceUrl() : options_.ServiceUrl;
    request.MemberName = options_.MemberName;
    request.MemberPassword = options_.MemberPassword;
    // The result arrives on the worker thread: only post it to this object's thread.
    auto received = [this](TDownloadResult result) {
        QMetaObject::invokeMethod(
            this, [this, result = std::move(result)] { OnDownloadResult(result); },
            Qt::QueuedConnection);
    };
    download_ = std::make_unique<TDataDown>(std::move(request), received, timing_);
    SetDownloadEnabled(false);
    status_.SetText(0, DownloadingText);
    download_->Start();
}

void TDrawCommands::SetDownloadEnabled(bool enabled) {
    if (downloadItem_ != nullptr) downloadItem_->setEnabled(enabled);
    if (downloadButton_ != nullptr) downloadButton_->setEnabled(enabled);
}

void TDrawCommands::OnDownloadResult(const TDownloadResult& result) {
    download_.reset();  // the worker has handed over and ends at once
    if (status_.Text(0) == DownloadingText) status_.SetText(0, QString());
    if (!result.Succeeded) {
        SetDownloadEnabled(true);
        ShowError(DownloadFailedText + QString::fromStdString(result.Error));
        return;
    }
    ApplyDownloadedDraws(result.Items);
}

void TDrawCommands::ApplyDownloadedDraws(const std::vector<std::string>& items) {
    try {
        LoadDrawNumbers(DecodeReceivedItems(items, DrawKey()), QStringLiteral("下载开奖数据成功！"),
                        TDrawChange::Download);
    } catch (const std::exception& e) {
        SetDownloadEnabled(!DownloadRunning());
        ShowError(DownloadFailedText + QString::fromStdString(e.what()));
    }
}
