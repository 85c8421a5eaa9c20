#include "app/patterns/PictureExport.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QUrl>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

#include "data/Platform.h"
#include "ui/BackgroundJob.h"
#include "ui/Failure.h"
#include "ui/Prompts.h"
#include "view/PictureNames.h"
#include "view/paint/PatternPaint.h"
#include "view/paint/PictureSeries.h"
#include "view/ui/Gui2Ctrl.h"

namespace {

// Larger exports are confirmed first: each picture is a file.
constexpr size_t AskAbovePictures = 50;

QString FolderText(const std::filesystem::path& folder) {
    return QDir::toNativeSeparators(QString::fromStdString(PathToUtf8(folder))) + QDir::separator();
}

// What the pictures are painted from: copies, so that the grid and the patterns may change
// while the job runs.
struct TPictureSource {
    std::vector<std::unique_ptr<TGui2Reg>> Patterns;
    TCodes Draws;
    TGridGeometry Geometry;
    int32_t IssueBase = 1;
    int32_t BoxColorMode = 0;
    int32_t LinkLineStyle = 0;
    int32_t DrawBoxStyle = 0;
    QFont Font;
    QPalette Palette;
};

// What the job hands to the window: the series, or the picture that could not be written (the
// pictures before it, as many as LastPainted, stay).
struct TPicturesWritten {
    TPictureSeriesResult Series;
    std::optional<TPictureError> Failure;
    int LastPainted = -1;  // the index of the pattern painted last
};

}  // namespace

void ExportPatternPictures(TBackgroundJob& job, TGui2RegNet& grid,
                           const std::vector<const TGui2Reg*>& selected,
                           const QString& programFolder, TPrompts& prompts, QWidget* parent,
                           TPictureFormat format,
                           std::function<void(const TPictureExportResult&)> done) {
    TPictureExportResult result;
    const auto endNow = [&] {
        if (done) done(result);
    };
    if (selected.empty()) {
        prompts.ShowMessage(parent, QStringLiteral("请选择若干个规律！"));
        return endNow();
    }
    if (selected.size() > AskAbovePictures) {
        const QString question = QStringLiteral("将为选中的") + QString::number(selected.size()) +
                                 QStringLiteral("个规律各出一张图片，是否继续？");
        if (prompts.Ask(parent, question, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) !=
            QMessageBox::Yes)
            return endNow();
    }

    const std::filesystem::path folder =
        NextExportFolder(PathFromUtf8(programFolder.toStdString()));
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error || !std::filesystem::is_directory(folder)) {
        prompts.ShowError(parent, QStringLiteral("文件夹创建失败！\r\n") + FolderText(folder));
        return endNow();
    }
    result.Folder = QString::fromStdString(PathToUtf8(folder));

    // The coming draw's issue names every file of this export.
    const int32_t comingIssue = grid.Draws().FirstIssue() + grid.Draws().Count();
    auto source = std::make_unique<TPictureSource>();
    for (const TGui2Reg* pattern : selected) {
        source->Patterns.push_back(std::make_unique<TGui2Reg>());
        source->Patterns.back()->Assign(*pattern);
    }
    source->Draws.Assign(grid.Draws());
    const TGridPaintInput shown = grid.PaintInput();
    source->Geometry = shown.Geometry;
    source->IssueBase = shown.IssueBase;
    source->BoxColorMode = shown.BoxColorMode;
    source->LinkLineStyle = shown.LinkLineStyle;
    source->DrawBoxStyle = shown.DrawBoxStyle;
    source->Font = shown.Font;
    source->Palette = shown.Palette;

    QPointer<QProgressDialog> progress =
        new QProgressDialog(QStringLiteral("正在出图..."), QStringLiteral("取消"), 0,
                            static_cast<int>(selected.size()), parent);
    progress->setWindowTitle(QStringLiteral("出图"));
    progress->setWindowModality(Qt::WindowModal);
    progress->setMinimumDuration(400);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    progress->setValue(0);
    job.FollowIn(*progress);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const auto ended = [progress] {
        QGuiApplication::restoreOverrideCursor();
        delete progress.data();  // at once: a dialog left for later could still show itself
    };
    TPrompts* shownPrompts = &prompts;
    TGui2RegNet* shownGrid = &grid;
    QPointer<QWidget> owner = parent;
    auto* kept = source.get();
    job.Start(
        [source = std::move(source), folderPath = folder, comingIssue,
         format](TJobControl& control) {
            TPicturesWritten written;
            std::vector<const TGui2Reg*> patterns;
            for (const auto& pattern : source->Patterns) patterns.push_back(pattern.get());
            TGui2Reg painted;
            TGridGeometry geometry = source->Geometry;
            try {
                written.Series = WritePictureSeries(
                    folderPath, comingIssue, patterns,
                    [&](const TGui2Reg& pattern) -> TGridPaintInput {
                        painted.Assign(pattern);
                        geometry.Scroll(srBottom);
                        ++written.LastPainted;
                        return {geometry,
                                source->Draws,
                                painted,
                                source->IssueBase,
                                source->BoxColorMode,
                                source->LinkLineStyle,
                                source->DrawBoxStyle,
                                source->Font,
                                source->Palette};
                    },
                    &control, format);
            } catch (const TPictureError& e) {
                written.Failure = e;
            }
            return written;
        },
        [kept, result, shownGrid, shownPrompts, owner, folder, done,
         ended](const TPicturesWritten& written) mutable {
            ended();
            // kept lives as long as the job's work, which is destroyed only after this call.
            if (written.LastPainted >= 0 &&
                written.LastPainted < static_cast<int>(kept->Patterns.size())) {
                shownGrid->SetPattern(*kept->Patterns[static_cast<size_t>(written.LastPainted)]);
                shownGrid->VScroll(srBottom);
            }
            const TPictureSeriesResult& series = written.Series;
            result.Written =
                written.Failure ? written.LastPainted : static_cast<int>(series.Written.size());
            if (written.Failure) {
                // The files written so far stay; the folder is not opened.
                shownPrompts->ShowError(owner, QString::fromStdString(written.Failure->what()));
            } else if (!series.Cancelled) {  // a stop keeps the pictures written so far
                if (!shownPrompts->OpenFolder(owner, QUrl::fromLocalFile(result.Folder)))
                    shownPrompts->ShowMessage(
                        owner, QStringLiteral("图片已保存在：\r\n") + FolderText(folder));
                result.Completed = true;
            }
            if (done) done(result);
        },
        [result, shownPrompts, owner, done, ended](std::exception_ptr failure) {
            ended();
            ShowFailure(*shownPrompts, owner, failure);
            if (done) done(result);
        });
}

bool CopyPatternPicture(TGui2RegNet& grid, const TGui2Reg* pattern, TPrompts& prompts,
                        QWidget* parent) {
    if (pattern == nullptr) {
        prompts.ShowMessage(parent, QStringLiteral("请选择一个规律！"));
        return false;
    }
    grid.SetPattern(*pattern);
    grid.VScroll(srBottom);
    const QImage picture = PaintPatternPicture(grid.PaintInput());
    if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setImage(picture);
    return true;
}
