#include "view/paint/PictureSeries.h"

#include <QImage>
#include <QString>

#include "data/FileIo.h"
#include "data/Platform.h"
#include "view/PictureNames.h"
#include "view/paint/PatternPaint.h"
#include "view/paint/PngWriter.h"

std::string PictureFailureText(TPictureFormat format, const TGifResult& result,
                               const std::string& file) {
    if (format == TPictureFormat::Png) return "保存为PNG文件失败：" + file;
    return "保存为GIF文件失败. 错误代号 = " + std::to_string(static_cast<int>(result.Code)) + " [" +
           GifErrorText(result.Code) + "] " + file;
}

namespace {

TGifResult SavePngPicture(const TGridPaintInput& input, const QString& file) {
    const QImage picture = PaintPatternPicture(input);
    if (picture.isNull()) return TGifResult{TGifError::Internal};
    // Written beside the target first, so a failed write leaves no broken picture behind.
    if (!WritePngFile(picture, file)) return TGifResult{TGifError::FileNotFound};
    return {};
}

}  // namespace

TPictureSeriesResult WritePictureSeries(
    const std::filesystem::path& folder, int32_t comingIssue,
    std::span<const TGui2Reg* const> patterns,
    const std::function<TGridPaintInput(const TGui2Reg&)>& prepare, TJobControl* control,
    TPictureFormat format) {
    TPictureSeriesResult result;
    // Temporary files of a series that was killed in this folder go before new ones come.
    RemoveStaleTemporariesIn(PathToUtf8(folder), {".gif", ".png"});
    int32_t number = 0;
    for (const TGui2Reg* pattern : patterns) {
        if (pattern == nullptr) continue;
        const bool png = format == TPictureFormat::Png;
        const std::filesystem::path file =
            folder / PictureFileName(comingIssue, ++number, png ? ".png" : ".gif");
        const QString path = QString::fromStdString(PathToUtf8(file));
        const TGifResult saved = png ? SavePngPicture(prepare(*pattern), path)
                                     : SavePatternPicture(prepare(*pattern), path);
        if (!saved.Ok()) {
            result.Failure = saved;
            result.FailedFile = PathToUtf8(file);
            return result;
        }
        result.Written.push_back(PathToUtf8(file));
        if (control != nullptr && !control->Report(static_cast<int64_t>(result.Written.size()),
                                                   static_cast<int64_t>(patterns.size()))) {
            result.Cancelled = true;
            return result;
        }
    }
    return result;
}
