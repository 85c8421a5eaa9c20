#include "view/paint/PictureSeries.h"

#include <QImage>
#include <QString>

#include "data/FileIo.h"
#include "data/Platform.h"
#include "view/PictureNames.h"
#include "view/paint/PatternPaint.h"
#include "view/paint/PngWriter.h"

namespace {

void SavePngPicture(const TGridPaintInput& input, const QString& file) {
    const QImage picture = PaintPatternPicture(input);
    const auto fail = [&](TGifError code) {
        throw TPictureError(TPictureFormat::Png, code, file.toStdString());
    };
    if (picture.isNull()) fail(TGifError::Internal);
    // Written beside the target first, so a failed write leaves no broken picture behind.
    if (!WritePngFile(picture, file)) fail(TGifError::FileNotFound);
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
        try {
            if (png)
                SavePngPicture(prepare(*pattern), path);
            else
                SavePatternPicture(prepare(*pattern), path);
        } catch (const TPictureError& e) {
            throw TPictureError(e.Format, e.Code, PathToUtf8(file));  // the name as given
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
