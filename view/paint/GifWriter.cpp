#include "view/paint/GifWriter.h"

#include <gif_lib.h>

#include <memory>

#include "data/FileIo.h"

namespace {

constexpr int FrameDelayHundredths = 800;  // the frame delay is set as 8000 ms
constexpr const char* FrameComment = "Frame #1";

int AppendToBuffer(GifFileType* gif, const GifByteType* data, int length) {
    auto* bytes = static_cast<std::vector<uint8_t>*>(gif->UserData);
    bytes->insert(bytes->end(), data, data + length);
    return length;
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        EGifCloseFile(gif, &error);
    }
};

struct MapFreer {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

[[noreturn]] void Fail(TGifError code) {
    throw TPictureError(TPictureFormat::Gif, code, {});
}

int PowerOfTwoAtLeast(size_t count) {
    int size = 2;  // the smallest table a GIF can hold
    while (static_cast<size_t>(size) < count) size *= 2;
    return size;
}

}  // namespace

std::string PictureFailureText(TPictureFormat format, TGifError code, const std::string& file) {
    if (format == TPictureFormat::Png) return "保存为PNG文件失败：" + file;
    return "保存为GIF文件失败. 错误代号 = " + std::to_string(static_cast<int>(code)) + " [" +
           GifErrorText(code) + "] " + file;
}

const char* GifErrorText(TGifError code) {
    switch (code) {
        case TGifError::None:
            return "None";
        case TGifError::Cancelled:
            return "Operation Cancelled";
        case TGifError::Internal:
            return "Internal Error";
        case TGifError::InvalidFormat:
            return "Invalid File Format";
        case TGifError::TooManyColors:
            return "Image contains too many Colors (>256)";
        case TGifError::OutOfBounds:
            return "Index out of Bounds";
        case TGifError::Gdi:
            return "Windows GDI Error";
        case TGifError::FileNotFound:
            return "File not Found";
        case TGifError::ResourceNotFound:
            return "Resource not Found";
    }
    return "Internal Error";
}

void EncodeGif(const TIndexedPicture& picture, std::vector<uint8_t>& bytes) {
    bytes.clear();
    if (picture.Width <= 0 || picture.Height <= 0 || picture.Width > 65535 ||
        picture.Height > 65535 ||
        picture.Indices.size() != size_t(picture.Width) * size_t(picture.Height) ||
        picture.Palette.empty())
        Fail(TGifError::OutOfBounds);
    if (picture.Palette.size() > MaxPaletteSize) Fail(TGifError::TooManyColors);
    for (uint8_t index : picture.Indices)
        if (index >= picture.Palette.size()) Fail(TGifError::OutOfBounds);

    const int tableSize = PowerOfTwoAtLeast(picture.Palette.size());
    std::vector<GifColorType> colors(static_cast<size_t>(tableSize), GifColorType{0, 0, 0});
    for (size_t i = 0; i < picture.Palette.size(); ++i) {
        const uint32_t rgb = picture.Palette[i];
        colors[i] = {GifByteType((rgb >> 16) & 0xFF), GifByteType((rgb >> 8) & 0xFF),
                     GifByteType(rgb & 0xFF)};
    }
    std::unique_ptr<ColorMapObject, MapFreer> map(GifMakeMapObject(tableSize, colors.data()));

    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(EGifOpen(&bytes, AppendToBuffer, &error));
    // Any failure of the library below is an internal one.
    if (!gif || !map) Fail(TGifError::Internal);
    EGifSetGifVersion(gif.get(), true);
    if (EGifPutScreenDesc(gif.get(), picture.Width, picture.Height, 8, 0, map.get()) != GIF_OK)
        Fail(TGifError::Internal);
    if (EGifPutComment(gif.get(), FrameComment) != GIF_OK) Fail(TGifError::Internal);

    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_BACKGROUND;
    control.UserInputFlag = false;
    control.DelayTime = FrameDelayHundredths;
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    const size_t length = EGifGCBToExtension(&control, extension);
    if (EGifPutExtension(gif.get(), GRAPHICS_EXT_FUNC_CODE, int(length), extension) != GIF_OK)
        Fail(TGifError::Internal);

    if (EGifPutImageDesc(gif.get(), 0, 0, picture.Width, picture.Height, false, nullptr) != GIF_OK)
        Fail(TGifError::Internal);
    std::vector<GifPixelType> line(static_cast<size_t>(picture.Width));
    for (int32_t y = 0; y < picture.Height; ++y) {
        const uint8_t* row = picture.Indices.data() + size_t(y) * size_t(picture.Width);
        line.assign(row, row + picture.Width);
        if (EGifPutLine(gif.get(), line.data(), picture.Width) != GIF_OK) Fail(TGifError::Internal);
    }
    GifFileType* raw = gif.release();
    if (EGifCloseFile(raw, &error) != GIF_OK) Fail(TGifError::Internal);
}

bool WriteGifFile(const std::string& path, const uint32_t* pixels, int32_t width, int32_t height,
                  int32_t strideInPixels) {
    const TIndexedPicture picture = IndexPicture(pixels, width, height, strideInPixels);
    std::vector<uint8_t> bytes;
    try {
        EncodeGif(picture, bytes);
        WriteFileAtomically(
            path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    } catch (const TPictureError& e) {
        throw TPictureError(TPictureFormat::Gif, e.Code, path);
    } catch (const TFileWriteError& e) {
        throw TPictureError(TPictureFormat::Gif,
                            e.Started ? TGifError::Internal : TGifError::FileNotFound, path);
    }
    return picture.Reduced;
}
