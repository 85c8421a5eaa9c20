#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "data/Error.h"

// Whole-file reading and crash-safe writing.

// Draw files larger than this are refused before they are read.
inline constexpr uint64_t MaxDrawFileBytes = uint64_t{256} << 20;

// Ignores SIGXFSZ, so that a write past the file-size limit (ulimit -f) fails with EFBIG and
// is reported like any failed write, instead of the process being killed without a word.
// Called at the start of every program.
void IgnoreFileSizeSignal();

// Reads the whole file; throws TError naming the file and the system's reason on failure.
// What is not a regular file (a pipe, a device) and a file of more than maxBytes are refused
// before anything is read. Every reader of a text (draws, settings, conditions, tickets, rules)
// takes it this way, as a string.
std::string ReadTextFile(const std::string& path, uint64_t maxBytes = UINT64_MAX);
// The same as bytes, for the binary work document and its stream.
std::vector<uint8_t> ReadWholeFile(const std::string& path, uint64_t maxBytes = UINT64_MAX);

// Where a write to path goes: path itself, or the file a symbolic link at path names.
std::string WriteTarget(const std::string& path);

// The temporary files that writes to path left behind when the process was killed
// ("<name>.tmp-XXXXXX" beside the file, or beside the file a symbolic link at path names).
std::vector<std::string> StaleTemporaries(const std::string& path);
// Removes them; returns how many went.
size_t RemoveStaleTemporaries(const std::string& path);

// Raised when a write fails. Started is false when not even the temporary file could be made
// (no such folder, no permission), true when the write failed later (a full disk, a file-size
// limit); either way the file at the path is as it was.
class TFileWriteError : public TError {
  public:
    TFileWriteError(const std::string& message, bool started) : TError(message), Started(started) {}
    bool Started;
};

// Every write of WriteFileAtomically is noted in this folder while it runs (one small file that
// names its target), so that the start after a killed write can remove its temporary file
// wherever the user had sent it. Empty, the default: nothing is noted. Noting is best effort:
// a folder that cannot be written never fails the write itself.
void SetWriteNotesFolder(const std::string& folder);
// Removes the temporary files of the writes noted in folder (writes that were killed) and
// the notes; returns how many temporary files went.
size_t RemoveDebrisOfKilledWrites(const std::string& folder);

// Removes "<name>.tmp-XXXXXX" files in folder whose <name> ends in one of the extensions (such
// as ".gif"): debris of writes into a folder of our own, such as the picture folders.
size_t RemoveStaleTemporariesIn(const std::string& folder,
                                const std::vector<std::string>& extensions);

// Writes bytes to a temporary file in the same folder (through a symbolic link: beside the
// file it names), flushes it to the disk and renames it
// over path, so the previous file survives any failure. Throws TFileWriteError naming the file
// and the system's reason; the temporary file is removed on failure, and when the producer of
// the streaming form throws (a stopped export), its error passes on after the same clean-up.
void WriteFileAtomically(const std::string& path, std::string_view bytes);

// The same for content produced piece by piece: produce calls write for each piece in order,
// so large files never need to sit in memory whole.
using TWriteChunk = std::function<void(std::string_view)>;
void WriteFileAtomically(const std::string& path,
                         const std::function<void(const TWriteChunk&)>& produce);

// The first half of such a write, for files that must change together (the work document
// and its register): the constructor writes the content to a temporary file beside the
// target and flushes it to the disk (throwing TFileWriteError, nothing left behind); Commit
// renames it over the target. A write neither committed nor kept removes its temporary file.
class TStagedWrite {
  public:
    TStagedWrite(const std::string& path, const std::function<void(const TWriteChunk&)>& produce);
    ~TStagedWrite();
    TStagedWrite(const TStagedWrite&) = delete;
    TStagedWrite& operator=(const TStagedWrite&) = delete;

    // Throws TFileWriteError; the temporary file stays until the object goes.
    void Commit();
    // Leaves the temporary file on the disk, for the next start to put in place.
    void KeepTemporary() { temp_.clear(); }

  private:
    std::string target_;
    std::string temp_;
};

// The steps of a write that can fail. A test may install a check that is asked before each
// step with the write's target and answers a reason to make that step fail as the system
// would (an empty answer lets it run); an empty check, the default, lets every step run.
enum class TWriteStep { Write, Flush, Rename };
using TWriteStepCheck = std::function<std::string(TWriteStep, const std::string& target)>;
void SetWriteStepCheck(TWriteStepCheck check);
