#include "data/FileIo.h"

#include <csignal>
#include <filesystem>
#include <mutex>

#include "data/Error.h"
#include "data/Platform.h"

namespace {

[[noreturn]] void ThrowFileError(const char* action, const std::string& path,
                                 const std::string& reason) {
    throw TError(std::string(action) + path + "\r\n" + reason);
}

[[noreturn]] void ThrowWriteError(const std::string& path, const std::string& reason,
                                  bool started) {
    throw TFileWriteError("无法写入文件：" + path + "\r\n" + reason, started);
}

constexpr char WriteNotePrefix[] = "write-";
constexpr size_t TempSuffixLength = 6;  // the characters mkstemp fills in

std::mutex notesMutex;
std::string notesFolder;  // guarded by notesMutex

std::mutex stepCheckMutex;
TWriteStepCheck stepCheck;  // guarded by stepCheckMutex

// The reason a test's check gives for failing this step, else empty.
std::string StepRefused(TWriteStep step, const std::string& target) {
    TWriteStepCheck check;
    {
        const std::lock_guard lock(stepCheckMutex);
        check = stepCheck;
    }
    return check ? check(step, target) : std::string();
}

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
        TOsFile file;
        if (!file.CreateUnique(name)) return;
        const bool written = file.WriteAll(target + "\n");
        if (!file.Close() || !written) {
            RemoveFileQuietly(name);
            return;
        }
        name_ = std::move(name);
    }
    ~TWriteNote() {
        if (!name_.empty()) RemoveFileQuietly(name_);
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

}  // namespace

void IgnoreFileSizeSignal() {
#ifdef SIGXFSZ  // systems without the signal report the failed write anyway
    ::signal(SIGXFSZ, SIG_IGN);
#endif
}

namespace {

// Reads the file into a string or a byte vector: the one reading of a whole file.
template <typename TContainer>
TContainer ReadInto(const std::string& path, uint64_t maxBytes) {
    // Non-blocking, so that opening a named pipe cannot hang; a regular file reads as usual.
    TOsFile file;
    if (!file.OpenForReading(path)) ThrowFileError("无法打开文件：", path, file.ErrorText());
    TContainer bytes;
    bool regular = false;
    uint64_t size = 0;
    if (!file.Describe(regular, size)) ThrowFileError("无法读取文件：", path, file.ErrorText());
    if (!regular) throw TError("无法读取文件：" + path + "\r\n它不是普通文件（例如管道或设备）。");
    const auto tooLarge = [&] {
        return TError("文件太大（超过" + std::to_string(maxBytes >> 20) + "MB），不予读取：" +
                      path);
    };
    if (size > maxBytes) throw tooLarge();
    if (size > 0) bytes.reserve(static_cast<size_t>(size));
    char buffer[1 << 16];
    for (;;) {
        const int64_t n = file.Read(buffer, sizeof buffer);
        if (n < 0) ThrowFileError("无法读取文件：", path, file.ErrorText());
        if (n == 0) break;
        bytes.insert(bytes.end(), buffer, buffer + n);
        if (bytes.size() > maxBytes) throw tooLarge();  // the file grew while it was read
    }
    return bytes;
}

}  // namespace

std::string ReadTextFile(const std::string& path, uint64_t maxBytes) {
    return ReadInto<std::string>(path, maxBytes);
}

std::vector<uint8_t> ReadWholeFile(const std::string& path, uint64_t maxBytes) {
    return ReadInto<std::vector<uint8_t>>(path, maxBytes);
}

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
    WriteFileAtomically(path, [bytes](const TWriteChunk& write) { write(bytes); });
}

std::string WriteTarget(const std::string& path) {
    // Through a symbolic link the file it names is replaced, and the link stays a link.
    std::error_code error;
    if (!std::filesystem::is_symlink(PathFromUtf8(path), error)) return path;
    const std::filesystem::path target =
        std::filesystem::weakly_canonical(PathFromUtf8(path), error);
    return error ? path : PathToUtf8(target);
}

void SetWriteNotesFolder(const std::string& folder) {
    if (!folder.empty()) {
        std::error_code error;
        std::filesystem::create_directories(PathFromUtf8(folder), error);
    }
    const std::lock_guard lock(notesMutex);
    notesFolder = folder;
}

size_t RemoveDebrisOfKilledWrites(const std::string& folder) {
    std::error_code error;
    size_t removed = 0;
    std::filesystem::directory_iterator entries(PathFromUtf8(folder), error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        if (!IsTemporaryName(PathToUtf8(entries->path().filename()), WriteNotePrefix)) continue;
        std::error_code ignored;
        if (!entries->is_regular_file(ignored)) continue;
        try {
            std::string target = ReadTextFile(PathToUtf8(entries->path()), 1 << 16);
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
    std::filesystem::directory_iterator entries(PathFromUtf8(folder), error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const std::string name = PathToUtf8(entries->path().filename());
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

std::vector<std::string> StaleTemporaries(const std::string& path) {
    // Only names of our own making: "<file>.tmp-" and six characters of mkstemp.
    const std::filesystem::path file = PathFromUtf8(WriteTarget(path));
    const std::string prefix = PathToUtf8(file.filename()) + ".tmp-";
    std::error_code error;
    std::vector<std::string> found;
    std::filesystem::directory_iterator entries(
        file.has_parent_path() ? file.parent_path() : std::filesystem::path("."), error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        std::error_code ignored;
        if (IsTemporaryName(PathToUtf8(entries->path().filename()), prefix) &&
            entries->is_regular_file(ignored))
            found.push_back(PathToUtf8(entries->path()));
    }
    return found;
}

size_t RemoveStaleTemporaries(const std::string& path) {
    size_t removed = 0;
    for (const std::string& temp : StaleTemporaries(path)) {
        std::error_code ignored;
        if (std::filesystem::remove(PathFromUtf8(temp), ignored)) ++removed;
    }
    return removed;
}

void SetWriteStepCheck(TWriteStepCheck check) {
    const std::lock_guard lock(stepCheckMutex);
    stepCheck = std::move(check);
}

TStagedWrite::TStagedWrite(const std::string& path,
                           const std::function<void(const TWriteChunk&)>& produce)
    : target_(WriteTarget(path)) {
    std::string temp = target_ + ".tmp-XXXXXX";
    TOsFile file;
    if (!file.CreateUnique(temp)) ThrowWriteError(target_, file.ErrorText(), false);
    const auto fail = [&](std::string reason) {
        if (reason.empty()) reason = file.ErrorText();
        if (file.IsOpen()) file.Close();
        RemoveFileQuietly(temp);
        ThrowWriteError(target_, reason, true);
    };
    if (!file.TakePermissionsOf(target_)) fail({});
    try {
        produce([&](std::string_view chunk) {
            if (std::string refused = StepRefused(TWriteStep::Write, target_); !refused.empty())
                fail(std::move(refused));
            if (!file.WriteAll(chunk)) fail({});
        });
    } catch (...) {
        // A producer's own error must not leave the temporary file behind either.
        if (file.IsOpen()) {
            file.Close();
            RemoveFileQuietly(temp);
        }
        throw;
    }
    if (std::string refused = StepRefused(TWriteStep::Flush, target_); !refused.empty())
        fail(std::move(refused));
    if (!file.FlushToDisk() || !file.Close()) fail({});
    temp_ = std::move(temp);
}

TStagedWrite::~TStagedWrite() {
    if (!temp_.empty()) RemoveFileQuietly(temp_);
}

void TStagedWrite::Commit() {
    try {
        if (std::string refused = StepRefused(TWriteStep::Rename, target_); !refused.empty())
            throw TError(refused);
        ReplaceFileDurably(temp_, target_);
    } catch (const TError& e) {
        ThrowWriteError(target_, e.what(), true);
    }
    temp_.clear();
}

void WriteFileAtomically(const std::string& requestedPath,
                         const std::function<void(const TWriteChunk&)>& produce) {
    const TWriteNote note(WriteTarget(requestedPath));
    TStagedWrite(requestedPath, produce).Commit();
}
