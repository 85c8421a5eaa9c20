#include "tests/support/TempFolder.h"

#include <cstdlib>
#include <filesystem>
#include <random>
#include <stdexcept>

std::string TempFolder(const std::string& prefix) {
    const char* base = std::getenv("TEST_TMPDIR");
    std::string folder = (base != nullptr && *base != '\0')
                             ? std::string(base)
                             : std::filesystem::temp_directory_path().string();
    if (folder.back() != '/') folder += '/';
    folder += prefix + "_XXXXXX";
#ifdef _WIN32
    // No mkdtemp: new names until one is free; creating the folder is what claims it.
    static std::mt19937 random{std::random_device{}()};
    constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        for (size_t i = folder.size() - 6; i < folder.size(); ++i)
            folder[i] = Letters[random() % 36];
        if (std::filesystem::create_directory(folder)) return folder;
    }
#else
    if (::mkdtemp(folder.data()) != nullptr) return folder;
#endif
    throw std::runtime_error("mkdtemp failed");
}
