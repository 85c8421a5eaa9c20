#include "view/paint/PictureSeries.h"

#include <QString>

#include "view/PictureNames.h"
#include "view/paint/PatternPaint.h"

std::string GifFailureText(const TGifResult& result) {
    return "保存为GIF文件失败. 错误代号 = " + std::to_string(static_cast<int>(result.Code)) + " [" +
           GifErrorText(result.Code) + "]";
}

TPictureSeriesResult WritePictureSeries(
    const std::filesystem::path& folder, int32_t comingIssue,
    std::span<const TGui2Reg* const> patterns,
    const std::function<TGridPaintInput(const TGui2Reg&)>& prepare,
    const TPictureProgress& progress) {
    TPictureSeriesResult result;
    int32_t number = 0;
    for (const TGui2Reg* pattern : patterns) {
        if (pattern == nullptr) continue;
        const std::filesystem::path file = folder / PictureFileName(comingIssue, ++number);
        const TGifResult saved =
            SavePatternPicture(prepare(*pattern), QString::fromStdString(file.string()));
        if (!saved.Ok()) {
            result.Failure = saved;
            result.FailedFile = file.string();
            return result;
        }
        result.Written.push_back(file.string());
        if (progress && !progress(result.Written.size())) {
            result.Cancelled = true;
            return result;
        }
    }
    return result;
}
