#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "view/ColorReduction.h"

// Codes and texts of a failed picture save, as the export message shows them.
enum class TGifError : int32_t {
    None = 0,
    Cancelled = 1,
    Internal = 2,
    InvalidFormat = 3,
    TooManyColors = 4,
    OutOfBounds = 5,
    Gdi = 6,
    FileNotFound = 7,
    ResourceNotFound = 8,
};
const char* GifErrorText(TGifError code);

struct TGifResult {
    TGifError Code = TGifError::None;
    bool Reduced = false;  // the picture had more than 256 colours and was reduced
    bool Ok() const { return Code == TGifError::None; }
};

// One-frame GIF89a: the picture's palette as global colour table, background index 0, a comment
// "Frame #1", a graphic control block (restore to background, no transparency, 800/100 s delay)
// and the image at (0, 0), not interlaced. No looping block.
TGifResult EncodeGif(const TIndexedPicture& picture, std::vector<uint8_t>& bytes);

// Encodes a picture of 0xAARRGGBB pixels and writes it to a file through the atomic writer: a
// failed write leaves an existing file as it was and no partial file behind.
TGifResult WriteGifFile(const std::string& path, const uint32_t* pixels, int32_t width,
                        int32_t height, int32_t strideInPixels);
