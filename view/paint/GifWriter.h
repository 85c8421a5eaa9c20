#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/Error.h"
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

enum class TPictureFormat { Gif, Png };

// The one text of a picture that could not be written, for every window and tool that writes
// pictures: "保存为GIF文件失败. 错误代号 = <code> [<text>] <file>" or "保存为PNG文件失败：<file>".
std::string PictureFailureText(TPictureFormat format, TGifError code, const std::string& file);

// A picture that could not be written; its text is PictureFailureText's.
class TPictureError : public TError {
  public:
    TPictureError(TPictureFormat format, TGifError code, const std::string& file)
        : TError(PictureFailureText(format, code, file)), Format(format), Code(code), File(file) {}
    TPictureFormat Format;
    TGifError Code;
    std::string File;
};

// One-frame GIF89a: the picture's palette as global colour table, background index 0, a comment
// "Frame #1", a graphic control block (restore to background, no transparency, 800/100 s delay)
// and the image at (0, 0), not interlaced. No looping block. A picture it cannot encode raises
// TPictureError (naming no file).
void EncodeGif(const TIndexedPicture& picture, std::vector<uint8_t>& bytes);

// Encodes a picture of 0xAARRGGBB pixels and writes it to a file through the atomic writer: a
// failed write leaves an existing file as it was and no partial file behind, and raises
// TPictureError naming path. True when the picture had more than 256 colours and was reduced.
bool WriteGifFile(const std::string& path, const uint32_t* pixels, int32_t width, int32_t height,
                  int32_t strideInPixels);
