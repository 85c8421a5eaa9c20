#include "tests/support/TempFolder.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

std::string TempFolder(const std::string& prefix) {
    const char* base = std::getenv("TEST_TMPDIR");
    std::string folder = (base != nullptr && *base != '\0')
                             ? std::string(base)
                             : std::filesystem::temp_directory_path().string();
    if (folder.back() != '/') folder += '/';
    folder += prefix + "_XXXXXX";
    if (::mkdtemp(folder.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    return folder;
}
