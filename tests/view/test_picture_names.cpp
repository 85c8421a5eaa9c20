#include <gtest/gtest.h>

#include <fstream>

#include "view/PictureNames.h"

namespace {

namespace fs = std::filesystem;

TEST(PictureNames, FileNamesPadTheRunningNumberToFourDigits) {
    EXPECT_EQ(PictureFileName(301, 1), "301_0001.gif");
    EXPECT_EQ(PictureFileName(2301, 12), "2301_0012.gif");
    EXPECT_EQ(PictureFileName(2301, 9999), "2301_9999.gif");
    EXPECT_EQ(PictureFileName(2301, 12345), "2301_12345.gif");
    EXPECT_EQ(PictureFileName(2301, 7, ".png"), "2301_0007.png");
}

TEST(PictureNames, ExportFolderIsTheFirstFreeNumber) {
    const fs::path root = fs::temp_directory_path() / "tolvane_export_names";
    fs::remove_all(root);
    fs::create_directories(root);
    EXPECT_EQ(NextExportFolder(root), root / "GifExport0");
    fs::create_directory(root / "GifExport0");  // even empty, it is taken
    EXPECT_EQ(NextExportFolder(root), root / "GifExport1");
    std::ofstream(root / "GifExport1") << "a file, not a folder";
    fs::create_directory(root / "GifExport3");
    EXPECT_EQ(NextExportFolder(root), root / "GifExport2");
    fs::remove_all(root);
}

}  // namespace
