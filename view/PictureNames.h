#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

// Where exported pictures go: a new folder "GifExport" + n in the program folder, n the smallest
// number from 0 up for which no such folder exists yet.
std::filesystem::path NextExportFolder(const std::filesystem::path& programFolder);

// File of one exported picture: the issue of the coming draw, "_", the running number of the
// pattern within the export padded to four digits (2301_0001.gif; 12345 stays 12345), then the
// extension (".gif" or ".png").
std::string PictureFileName(int32_t comingIssue, int32_t runningNumber,
                            std::string_view extension = ".gif");
