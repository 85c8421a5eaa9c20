#include <gif_lib.h>
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "data/FileIo.h"
#include "view/paint/GifWriter.h"

namespace {

namespace fs = std::filesystem;

uint32_t Rgb(int r, int g, int b) {
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

class GifWriterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("tolvane_gif_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

// A GIF file read back whole; Gif is null when it does not decode.
struct Decoded {
    GifFileType* Gif = nullptr;
    explicit Decoded(const fs::path& path) {
        int error = 0;
        Gif = DGifOpenFileName(path.string().c_str(), &error);
        if (Gif && DGifSlurp(Gif) != GIF_OK) {
            DGifCloseFile(Gif, &error);
            Gif = nullptr;
        }
    }
    ~Decoded() {
        int error = 0;
        if (Gif) DGifCloseFile(Gif, &error);
    }
};

std::string FileStart(const fs::path& path, size_t count) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes(count, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(count));
    return bytes;
}

TEST_F(GifWriterTest, OneFrameWithCommentControlBlockAndExactColours) {
    const int w = 5, h = 3;
    std::vector<uint32_t> pixels(w * h, Rgb(250, 250, 250));
    pixels[6] = Rgb(255, 0, 0);
    pixels[7] = Rgb(0, 128, 64);
    pixels[14] = Rgb(1, 2, 3);
    const fs::path path = dir_ / "301_0001.gif";
    EXPECT_FALSE(WriteGifFile(path.string(), pixels.data(), w, h, w));  // no colour reduced

    EXPECT_EQ(FileStart(path, 6), "GIF89a");
    Decoded d(path);
    GifFileType* gif = d.Gif;
    ASSERT_NE(gif, nullptr);
    EXPECT_EQ(gif->SWidth, w);
    EXPECT_EQ(gif->SHeight, h);
    EXPECT_EQ(gif->SBackGroundColor, 0);
    EXPECT_EQ(gif->AspectByte, 0);
    ASSERT_NE(gif->SColorMap, nullptr);
    EXPECT_EQ(gif->SColorMap->ColorCount, 4);  // four colours: a table of 4
    const GifColorType expected[] = {{250, 250, 250}, {255, 0, 0}, {0, 128, 64}, {1, 2, 3}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(gif->SColorMap->Colors[i].Red, expected[i].Red);
        EXPECT_EQ(gif->SColorMap->Colors[i].Green, expected[i].Green);
        EXPECT_EQ(gif->SColorMap->Colors[i].Blue, expected[i].Blue);
    }
    EXPECT_EQ(gif->ExtensionBlockCount, 0);  // no looping block or other file-level extension
    ASSERT_EQ(gif->ImageCount, 1);
    const SavedImage& frame = gif->SavedImages[0];
    ASSERT_EQ(frame.ExtensionBlockCount, 2);
    EXPECT_EQ(frame.ExtensionBlocks[0].Function, COMMENT_EXT_FUNC_CODE);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(frame.ExtensionBlocks[0].Bytes),
                          frame.ExtensionBlocks[0].ByteCount),
              "Frame #1");
    EXPECT_EQ(frame.ExtensionBlocks[1].Function, GRAPHICS_EXT_FUNC_CODE);
    GraphicsControlBlock control{};
    ASSERT_EQ(DGifExtensionToGCB(frame.ExtensionBlocks[1].ByteCount, frame.ExtensionBlocks[1].Bytes,
                                 &control),
              GIF_OK);
    EXPECT_EQ(control.DisposalMode, DISPOSE_BACKGROUND);
    EXPECT_EQ(control.DelayTime, 800);
    EXPECT_EQ(control.TransparentColor, NO_TRANSPARENT_COLOR);
    EXPECT_FALSE(control.UserInputFlag);
    EXPECT_EQ(frame.ImageDesc.Left, 0);
    EXPECT_EQ(frame.ImageDesc.Top, 0);
    EXPECT_EQ(frame.ImageDesc.Width, w);
    EXPECT_EQ(frame.ImageDesc.Height, h);
    EXPECT_FALSE(frame.ImageDesc.Interlace);
    EXPECT_EQ(frame.ImageDesc.ColorMap, nullptr);
    const std::vector<uint8_t> raster(frame.RasterBits, frame.RasterBits + w * h);
    std::vector<uint8_t> want(w * h, 0);
    want[6] = 1;
    want[7] = 2;
    want[14] = 3;
    EXPECT_EQ(raster, want);
}

TEST_F(GifWriterTest, OneColourStillGetsAValidTable) {
    std::vector<uint32_t> pixels(4, Rgb(10, 20, 30));
    const fs::path path = dir_ / "flat.gif";
    WriteGifFile(path.string(), pixels.data(), 2, 2, 2);
    Decoded d(path);
    ASSERT_NE(d.Gif, nullptr);
    EXPECT_EQ(d.Gif->SColorMap->ColorCount, 2);
    EXPECT_EQ(d.Gif->SColorMap->Colors[0].Blue, 30);
}

TEST_F(GifWriterTest, EncoderRefusesMoreThan256PaletteEntries) {
    TIndexedPicture picture;
    picture.Width = 1;
    picture.Height = 1;
    picture.Indices = {0};
    picture.Palette.assign(257, 0);
    std::vector<uint8_t> bytes;
    try {
        EncodeGif(picture, bytes);
        ADD_FAILURE() << "encoded";
    } catch (const TPictureError& e) {
        EXPECT_EQ(e.Code, TGifError::TooManyColors);
        EXPECT_STREQ(GifErrorText(e.Code), "Image contains too many Colors (>256)");
    }
}

TEST_F(GifWriterTest, UnwritablePathIsReportedAndLeavesNoFile) {
    std::vector<uint32_t> pixels(4, Rgb(1, 1, 1));
    const fs::path path = dir_ / "missing" / "a.gif";
    try {
        WriteGifFile(path.string(), pixels.data(), 2, 2, 2);
        ADD_FAILURE() << "written";
    } catch (const TPictureError& e) {
        EXPECT_EQ(e.Code, TGifError::FileNotFound);
        EXPECT_EQ(std::string(e.what()),
                  "保存为GIF文件失败. 错误代号 = 7 [File not Found] " + path.string());
    }
    EXPECT_FALSE(fs::exists(path));
}

#ifndef _WIN32  // Windows has no file-size limit to fail a write with
// A write that fails halfway (here past a file-size limit, in a child process) reports an
// internal error and leaves the picture that was there before, and nothing else.
TEST_F(GifWriterTest, AFailedWriteKeepsTheExistingFile) {
    const fs::path path = dir_ / "301_0001.gif";
    std::ofstream(path) << "the old picture";
    std::vector<uint32_t> pixels(128 * 128);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = Rgb(int(i * 7 % 256), int(i * 13 % 256), int(i % 5));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        IgnoreFileSizeSignal();
        const rlimit limit{1024, 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        try {
            WriteGifFile(path.string(), pixels.data(), 128, 128, 128);
        } catch (const TPictureError& e) {
            ::_exit(static_cast<int>(e.Code));
        }
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), static_cast<int>(TGifError::Internal));
    EXPECT_EQ(FileStart(path, 15), "the old picture");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}
#endif

}  // namespace
