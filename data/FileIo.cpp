#include "data/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "data/Error.h"

namespace {

[[noreturn]] void ThrowFileError(const char* action, const std::string& path, int error) {
    throw TError(std::string(action) + path + "\r\n" + std::strerror(error));
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

}  // namespace

std::vector<uint8_t> ReadWholeFile(const std::string& path, uint64_t maxBytes) {
    // Non-blocking, so that opening a named pipe cannot hang; a regular file reads as usual.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) ThrowFileError("无法打开文件：", path, errno);
    std::vector<uint8_t> bytes;
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        ThrowFileError("无法读取文件：", path, error);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        throw TError("无法读取文件：" + path + "\r\n它不是普通文件（例如管道或设备）。");
    }
    if (static_cast<uint64_t>(info.st_size) > maxBytes) {
        ::close(fd);
        throw TError("文件太大（超过" + std::to_string(maxBytes >> 20) + "MB），不予读取：" + path);
    }
    if (info.st_size > 0) bytes.reserve(static_cast<size_t>(info.st_size));
    uint8_t buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            ::close(fd);
            ThrowFileError("无法读取文件：", path, error);
        }
        if (n == 0) break;
        bytes.insert(bytes.end(), buffer, buffer + n);
        if (bytes.size() > maxBytes) {  // the file grew while it was read
            ::close(fd);
            throw TError("文件太大（超过" + std::to_string(maxBytes >> 20) + "MB），不予读取：" +
                         path);
        }
    }
    ::close(fd);
    return bytes;
}

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
    WriteFileAtomically(path, [bytes](const TWriteChunk& write) { write(bytes); });
}

std::string WriteTarget(const std::string& path) {
    // Through a symbolic link the file it names is replaced, and the link stays a link.
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error)) return path;
    const std::filesystem::path target = std::filesystem::weakly_canonical(path, error);
    return error ? path : target.string();
}

size_t RemoveStaleTemporaries(const std::string& path) {
    // Only names of our own making: "<file>.tmp-" and six characters of mkstemp.
    const std::filesystem::path file(WriteTarget(path));
    const std::string prefix = file.filename().string() + ".tmp-";
    std::error_code error;
    size_t removed = 0;
    std::filesystem::directory_iterator entries(
        file.has_parent_path() ? file.parent_path() : std::filesystem::path("."), error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const std::string name = entries->path().filename().string();
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        std::error_code ignored;
        if (entries->is_regular_file(ignored) && std::filesystem::remove(entries->path(), ignored))
            ++removed;
    }
    return removed;
}

void WriteFileAtomically(const std::string& requestedPath,
                         const std::function<void(const TWriteChunk&)>& produce) {
    const std::string path = WriteTarget(requestedPath);
    std::string temp = path + ".tmp-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) ThrowFileError("无法写入文件：", path, errno);
    bool open = true;
    const auto cleanUp = [&] {
        ::close(fd);
        open = false;
        ::unlink(temp.c_str());
    };
    const auto fail = [&](int error) {
        cleanUp();
        ThrowFileError("无法写入文件：", path, error);
    };
    // mkstemp creates the file for the owner only; keep the old file's permissions, or give
    // a new file the usual ones.
    struct stat old {};
    const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    if (::fchmod(fd, mode) != 0) fail(errno);
    try {
        produce([&](std::string_view chunk) {
            if (!WriteAll(fd, chunk)) fail(errno);
        });
    } catch (...) {
        // A producer's own error must not leave the temporary file behind either.
        if (open) cleanUp();
        throw;
    }
    if (::fsync(fd) != 0) fail(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        ThrowFileError("无法写入文件：", path, error);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        ThrowFileError("无法写入文件：", path, error);
    }
    // Make the rename itself durable; a failure here no longer endangers either version.
    const int dir = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}
