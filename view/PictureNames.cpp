#include "view/PictureNames.h"

#include <cstdio>
#include <system_error>

std::filesystem::path NextExportFolder(const std::filesystem::path& programFolder) {
    for (int64_t n = 0;; ++n) {
        std::filesystem::path folder = programFolder / ("GifExport" + std::to_string(n));
        std::error_code error;
        // A file of that name blocks the name as well: the folder could not be created there.
        if (!std::filesystem::exists(std::filesystem::symlink_status(folder, error))) return folder;
    }
}

std::string PictureFileName(int32_t comingIssue, int32_t runningNumber,
                            std::string_view extension) {
    char number[16];
    std::snprintf(number, sizeof number, "%4d", runningNumber);
    std::string padded = number;
    for (char& c : padded)
        if (c == ' ') c = '0';
    return std::to_string(comingIssue) + "_" + padded + std::string(extension);
}
