#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "data/JobControl.h"
#include "search/Gui2Reg.h"
#include "view/paint/GifWriter.h"
#include "view/paint/GridPaintInput.h"

// The one loop that writes pictures of patterns, for the picture export command and the
// command-line tool: pattern k (counting from 1) becomes <folder>/<coming issue>_<kkkk>.gif
// (or .png).

enum class TPictureFormat { Gif, Png };

// The one text of a picture that could not be written, for every window and tool that writes
// pictures: "保存为GIF文件失败. 错误代号 = <code> [<text>] <file>" or "保存为PNG文件失败：<file>".
std::string PictureFailureText(TPictureFormat format, const TGifResult& result,
                               const std::string& file);

struct TPictureSeriesResult {
    std::vector<std::string> Written;  // files written, in order
    TGifResult Failure;                // the failed write, if any; writing stopped there
    std::string FailedFile;
    bool Cancelled = false;  // control was cancelled; the files written stay
    bool Ok() const { return Failure.Ok(); }
};

// prepare readies what is painted for one pattern (the grid showing it) and returns it; its
// references must stay valid until the next call. Null patterns are skipped, uncounted.
TPictureSeriesResult WritePictureSeries(
    const std::filesystem::path& folder, int32_t comingIssue,
    std::span<const TGui2Reg* const> patterns,
    const std::function<TGridPaintInput(const TGui2Reg&)>& prepare, TJobControl* control = nullptr,
    TPictureFormat format = TPictureFormat::Gif);
