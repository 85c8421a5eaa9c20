#include "app/PictureExport.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QMessageBox>
#include <QProgressDialog>
#include <QUrl>
#include <filesystem>
#include <optional>
#include <system_error>

#include "ui/Prompts.h"
#include "view/PictureNames.h"
#include "view/paint/PatternPaint.h"
#include "view/paint/PictureSeries.h"
#include "view/ui/Gui2Ctrl.h"

namespace {

// Larger exports are confirmed first: each picture is a file.
constexpr size_t AskAbovePictures = 50;

QString FolderText(const std::filesystem::path& folder) {
    return QDir::toNativeSeparators(QString::fromStdString(folder.string())) + QDir::separator();
}

// A busy cursor while pictures are painted and written on this thread.
class WaitCursor {
  public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

TPictureExportResult ExportPatternPictures(TGui2RegNet& grid,
                                           const std::vector<const TGui2Reg*>& selected,
                                           const QString& programFolder, TPrompts& prompts,
                                           QWidget* parent, TPictureFormat format) {
    TPictureExportResult result;
    if (selected.empty()) {
        prompts.ShowMessage(parent, QStringLiteral("请选择若干个规律！"));
        return result;
    }
    if (selected.size() > AskAbovePictures) {
        const QString question = QStringLiteral("将为选中的") + QString::number(selected.size()) +
                                 QStringLiteral("个规律各出一张图片，是否继续？");
        if (prompts.Ask(parent, question, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) !=
            QMessageBox::Yes)
            return result;
    }

    const std::filesystem::path folder =
        NextExportFolder(std::filesystem::path(programFolder.toStdString()));
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error || !std::filesystem::is_directory(folder)) {
        prompts.ShowError(parent, QStringLiteral("文件夹创建失败！\r\n") + FolderText(folder));
        return result;
    }
    result.Folder = QString::fromStdString(folder.string());

    // The coming draw's issue names every file of this export.
    const int32_t comingIssue = grid.Draws().FirstIssue() + grid.Draws().Count();
    QProgressDialog progress(QStringLiteral("正在出图..."), QStringLiteral("取消"), 0,
                             static_cast<int>(selected.size()), parent);
    progress.setWindowTitle(QStringLiteral("出图"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(400);
    std::optional<WaitCursor> busy(std::in_place);
    const TPictureSeriesResult series = WritePictureSeries(
        folder, comingIssue, selected,
        [&grid](const TGui2Reg& pattern) {
            grid.SetPattern(pattern);
            grid.VScroll(srBottom);
            return grid.PaintInput();
        },
        [&progress](size_t written) {
            progress.setValue(static_cast<int>(written));  // answers the cancel button
            return !progress.wasCanceled();
        },
        format);
    busy.reset();
    progress.reset();
    result.Written = static_cast<int>(series.Written.size());
    if (!series.Ok()) {
        // The files written so far stay; the folder is not opened.
        prompts.ShowError(parent, QString::fromStdString(PictureFailureText(format, series.Failure,
                                                                            series.FailedFile)));
        return result;
    }
    if (series.Cancelled) return result;  // the pictures written so far stay
    if (!prompts.OpenFolder(parent, QUrl::fromLocalFile(result.Folder)))
        prompts.ShowMessage(parent, QStringLiteral("图片已保存在：\r\n") + FolderText(folder));
    result.Completed = true;
    return result;
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
