#include "data/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <mutex>

#include "data/Error.h"

namespace {

[[noreturn]] void ThrowFileError(const char* action, const std::string& path, int error) {
    throw TError(std::string(action) + path + "\r\n" + std::strerror(error));
}

[[noreturn]] void ThrowWriteError(const std::string& path, int error, bool started) {
    throw TFileWriteError("无法写入文件：" + path + "\r\n" + std::strerror(error), started);
}

constexpr char WriteNotePrefix[] = "write-";
constexpr size_t TempSuffixLength = 6;  // the characters mkstemp fills in

std::mutex notesMutex;
std::string notesFolder;  // guarded by notesMutex

std::string NotesFolder() {
    const std::lock_guard lock(notesMutex);
    return notesFolder;
}

// A note that a write to target runs, for as long as the object lives.
class TWriteNote {
  public:
    explicit TWriteNote(const std::string& target) {
        const std::string folder = NotesFolder();
        if (folder.empty()) return;
        std::string name = folder + "/" + WriteNotePrefix + "XXXXXX";
        const int fd = ::mkstemp(name.data());
        if (fd < 0) return;
        const std::string text = target + "\n";
        const bool written = ::write(fd, text.data(), text.size()) == ssize_t(text.size());
        if (::close(fd) != 0 || !written) {
            ::unlink(name.c_str());
            return;
        }
        name_ = std::move(name);
    }
    ~TWriteNote() {
        if (!name_.empty()) ::unlink(name_.c_str());
    }
    TWriteNote(const TWriteNote&) = delete;
    TWriteNote& operator=(const TWriteNote&) = delete;

  private:
    std::string name_;
};

bool IsTemporaryName(const std::string& name, const std::string& prefix) {
    return name.size() == prefix.size() + TempSuffixLength &&
           name.compare(0, prefix.size(), prefix) == 0;
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

void IgnoreFileSizeSignal() {
    ::signal(SIGXFSZ, SIG_IGN);
}

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

void SetWriteNotesFolder(const std::string& folder) {
    if (!folder.empty()) {
        std::error_code error;
        std::filesystem::create_directories(folder, error);
    }
    const std::lock_guard lock(notesMutex);
    notesFolder = folder;
}

size_t RemoveDebrisOfKilledWrites(const std::string& folder) {
    std::error_code error;
    size_t removed = 0;
    std::filesystem::directory_iterator entries(folder, error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        if (!IsTemporaryName(entries->path().filename().string(), WriteNotePrefix)) continue;
        std::error_code ignored;
        if (!entries->is_regular_file(ignored)) continue;
        try {
            const std::vector<uint8_t> bytes = ReadWholeFile(entries->path().string(), 1 << 16);
            std::string target(bytes.begin(), bytes.end());
            if (!target.empty() && target.back() == '\n') target.pop_back();
            if (!target.empty()) removed += RemoveStaleTemporaries(target);
        } catch (const TError&) {
            // An unreadable note names nothing to clean; it goes all the same.
        }
        std::filesystem::remove(entries->path(), ignored);
    }
    return removed;
}

size_t RemoveStaleTemporariesIn(const std::string& folder,
                                const std::vector<std::string>& extensions) {
    std::error_code error;
    size_t removed = 0;
    std::filesystem::directory_iterator entries(folder, error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const std::string name = entries->path().filename().string();
        const size_t mark = name.rfind(".tmp-");
        if (mark == std::string::npos || name.size() != mark + 5 + TempSuffixLength) continue;
        const std::string_view base = std::string_view(name).substr(0, mark);
        bool ours = false;
        for (const std::string& extension : extensions)
            ours = ours || (base.size() > extension.size() && base.ends_with(extension));
        std::error_code ignored;
        if (ours && entries->is_regular_file(ignored) &&
            std::filesystem::remove(entries->path(), ignored))
            ++removed;
    }
    return removed;
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
        if (!IsTemporaryName(name, prefix)) continue;
        std::error_code ignored;
        if (entries->is_regular_file(ignored) && std::filesystem::remove(entries->path(), ignored))
            ++removed;
    }
    return removed;
}

void WriteFileAtomically(const std::string& requestedPath,
                         const std::function<void(const TWriteChunk&)>& produce) {
    const std::string path = WriteTarget(requestedPath);
    const TWriteNote note(path);
    std::string temp = path + ".tmp-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) ThrowWriteError(path, errno, false);
    bool open = true;
    const auto cleanUp = [&] {
        ::close(fd);
        open = false;
        ::unlink(temp.c_str());
    };
    const auto fail = [&](int error) {
        cleanUp();
        ThrowWriteError(path, error, true);
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
        ThrowWriteError(path, error, true);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        ThrowWriteError(path, error, true);
    }
    // Make the rename itself durable; a failure here no longer endangers either version.
    const int dir = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}
