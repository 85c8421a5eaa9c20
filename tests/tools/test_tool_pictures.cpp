// Runs the built tolvane-search with --gif-dir and --gif and reads back the pictures.
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

class ToolPicturesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string folder = ::testing::TempDir() + "tolvane_tool_gif_XXXXXX";
        ASSERT_NE(::mkdtemp(folder.data()), nullptr);
        dir_ = folder;
        // 120 draws of a fixed pseudo-random sequence.
        std::ofstream draws(dir_ / "draws.txt");
        uint32_t state = 12345;
        for (int i = 0; i < 120; ++i) {
            for (int d = 0; d < 7; ++d) {
                state = state * 1103515245u + 12345u;
                draws << char('0' + (state >> 16) % 10);
            }
            draws << "\n";
        }
    }
    void TearDown() override { fs::remove_all(dir_); }

    int Run(const std::string& arguments) {
        const std::string command = std::string(TOLVANE_SEARCH_PATH) + " --quiet " + arguments +
                                    " " + (dir_ / "draws.txt").string() + " >/dev/null 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    fs::path dir_;
};

struct Gif {
    GifFileType* File = nullptr;
    explicit Gif(const fs::path& path) {
        int error = 0;
        File = DGifOpenFileName(path.c_str(), &error);
        if (File != nullptr && DGifSlurp(File) != GIF_OK) {
            DGifCloseFile(File, &error);
            File = nullptr;
        }
    }
    ~Gif() {
        int error = 0;
        if (File != nullptr) DGifCloseFile(File, &error);
    }
};

TEST_F(ToolPicturesTest, ChosenPatternsBecomeNumberedPictures) {
    const fs::path out = dir_ / "pictures";
    ASSERT_EQ(Run("--gif-dir " + out.string() + " --gif 4,2"), 0);
    ASSERT_TRUE(fs::exists(out / "121_0001.gif"));  // pattern 2
    ASSERT_TRUE(fs::exists(out / "121_0002.gif"));  // pattern 4
    EXPECT_FALSE(fs::exists(out / "121_0003.gif"));
    Gif gif(out / "121_0001.gif");
    ASSERT_NE(gif.File, nullptr);
    // Default display options: 7 columns of a 30-pixel grid, 40 pixels of margin.
    EXPECT_EQ(gif.File->SWidth, 342 + 1 + 40);
    EXPECT_EQ((gif.File->SHeight - 40) % 31, 0);
    ASSERT_EQ(gif.File->ImageCount, 1);
    const SavedImage& frame = gif.File->SavedImages[0];
    ASSERT_EQ(frame.ExtensionBlockCount, 2);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(frame.ExtensionBlocks[0].Bytes),
                          frame.ExtensionBlocks[0].ByteCount),
              "Frame #1");
}

TEST_F(ToolPicturesTest, DisplayOptionsOfTheIniFileShapeThePicture) {
    std::ofstream(dir_ / "options.ini") << "[TGui2Options]\nCellHeightSe=40\nRefTailChk=1\n";
    const fs::path out = dir_ / "tall";
    ASSERT_EQ(
        Run("--ini " + (dir_ / "options.ini").string() + " --gif-dir " + out.string() + " --gif 1"),
        0);
    Gif gif(out / "121_0001.gif");
    ASSERT_NE(gif.File, nullptr);
    EXPECT_EQ(gif.File->SWidth, 621 + 1 + 40);
    EXPECT_EQ((gif.File->SHeight - 40) % 41, 0);
}

TEST_F(ToolPicturesTest, BadRequestsAreRefused) {
    EXPECT_EQ(Run("--gif 1"), 2);
    EXPECT_EQ(Run("--gif-dir " + (dir_ / "x").string()), 2);
    EXPECT_EQ(Run("--gif-dir " + (dir_ / "x").string() + " --gif 0"), 2);
    // More than were found: the ones found are written, the run fails.
    EXPECT_EQ(Run("--gif-dir " + (dir_ / "few").string() + " --gif 1,100000000"), 1);
    EXPECT_TRUE(fs::exists(dir_ / "few" / "121_0001.gif"));
}

}  // namespace
