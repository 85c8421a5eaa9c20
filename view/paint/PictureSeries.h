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

struct TPictureSeriesResult {
    std::vector<std::string> Written;  // files written, in order
    bool Cancelled = false;            // control was cancelled; the files written stay
};

// prepare readies what is painted for one pattern (the grid showing it) and returns it; its
// references must stay valid until the next call. Null patterns are skipped, uncounted. A
// picture that cannot be written raises TPictureError naming its file; writing stops there and
// the files written before it stay.
TPictureSeriesResult WritePictureSeries(
    const std::filesystem::path& folder, int32_t comingIssue,
    std::span<const TGui2Reg* const> patterns,
    const std::function<TGridPaintInput(const TGui2Reg&)>& prepare, TJobControl* control = nullptr,
    TPictureFormat format = TPictureFormat::Gif);
