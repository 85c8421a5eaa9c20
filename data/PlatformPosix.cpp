#include <fcntl.h>
#include <iconv.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "data/Error.h"
#include "data/Platform.h"

namespace {

int Fd(intptr_t handle) {
    return static_cast<int>(handle);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

const char* IconvName(TTextForm form) {
    switch (form) {
        case TTextForm::Gbk:
            return "GBK";
        case TTextForm::Utf16Le:
            return "UTF-16LE";
        case TTextForm::Utf16Be:
            return "UTF-16BE";
        case TTextForm::Utf8:
            break;
    }
    return "UTF-8";
}

}  // namespace

std::filesystem::path PathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(std::string(utf8));
}

std::string PathToUtf8(const std::filesystem::path& path) {
    return path.string();
}

TOsFile::~TOsFile() {
    if (IsOpen()) ::close(Fd(handle_));
}

bool TOsFile::IsOpen() const {
    return handle_ >= 0;
}

bool TOsFile::OpenForReading(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error_ = std::strerror(errno);
        return false;
    }
    handle_ = fd;
    return true;
}

bool TOsFile::CreateUnique(std::string& name) {
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        error_ = std::strerror(errno);
        return false;
    }
    handle_ = fd;
    return true;
}

bool TOsFile::Describe(bool& regular, uint64_t& size) {
    struct stat info {};
    if (::fstat(Fd(handle_), &info) != 0) {
        error_ = std::strerror(errno);
        return false;
    }
    regular = S_ISREG(info.st_mode);
    size = info.st_size > 0 ? static_cast<uint64_t>(info.st_size) : 0;
    return true;
}

int64_t TOsFile::Read(void* buffer, size_t size) {
    for (;;) {
        const ssize_t n = ::read(Fd(handle_), buffer, size);
        if (n >= 0) return n;
        if (errno == EINTR) continue;
        error_ = std::strerror(errno);
        return -1;
    }
}

bool TOsFile::WriteAll(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(Fd(handle_), bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            error_ = std::strerror(errno);
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

bool TOsFile::TakePermissionsOf(const std::string& path) {
    // mkstemp creates the file for the owner only; keep the old file's permissions, or give
    // a new file the usual ones.
    struct stat old {};
    const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    if (::fchmod(Fd(handle_), mode) == 0) return true;
    error_ = std::strerror(errno);
    return false;
}

bool TOsFile::FlushToDisk() {
    if (::fsync(Fd(handle_)) == 0) return true;
    error_ = std::strerror(errno);
    return false;
}

bool TOsFile::Close() {
    const int fd = Fd(handle_);
    handle_ = -1;
    if (::close(fd) == 0) return true;
    error_ = std::strerror(errno);
    return false;
}

void ReplaceFileDurably(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) throw TError(std::strerror(errno));
    // Make the rename itself durable; a failure here no longer endangers either version.
    const int dir = ::open(FolderOf(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

bool IsMissing(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) != 0 && errno == ENOENT;
}

void RemoveFileQuietly(const std::string& path) {
    ::unlink(path.c_str());
}

std::string ConvertText(TTextForm toForm, TTextForm fromForm, std::string_view input,
                        std::string_view replacement) {
    const char* to = IconvName(toForm);
    iconv_t cd = iconv_open(to, IconvName(fromForm));
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(input);
    const bool fromUtf8 = fromForm == TTextForm::Utf8;
    std::string output;
    char buffer[4096];
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t rc = iconv(cd, &in, &inLeft, &out, &outLeft);
        output.append(buffer, static_cast<size_t>(out - buffer));
        if (rc != static_cast<size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // An invalid or incomplete sequence: replace one byte and go on after it.
        output.append(replacement);
        ++in;
        --inLeft;
        // From UTF-8, a character is skipped whole, not byte by byte.
        while (fromUtf8 && inLeft > 0 && (static_cast<uint8_t>(*in) & 0xC0) == 0x80) {
            ++in;
            --inLeft;
        }
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    char* out = buffer;
    size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &out, &outLeft);
    output.append(buffer, static_cast<size_t>(out - buffer));
    iconv_close(cd);
    return output;
}

uint64_t PhysicalMemoryBytes() {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return 0;
    return static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize);
}

void LowerThreadPriority() {
    // On Linux a thread's nice value is its own, and threads it starts inherit it.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
}

void UseUtf8Console() {}

void AnswerOnParentConsole() {}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}
