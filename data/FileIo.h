#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Whole-file reading and crash-safe writing.

// Draw files larger than this are refused before they are read.
inline constexpr uint64_t MaxDrawFileBytes = uint64_t{256} << 20;

// Reads the whole file; throws TError naming the file and the system's reason on failure.
// What is not a regular file (a pipe, a device) and a file of more than maxBytes are refused
// before anything is read.
std::vector<uint8_t> ReadWholeFile(const std::string& path, uint64_t maxBytes = UINT64_MAX);

// Where a write to path goes: path itself, or the file a symbolic link at path names.
std::string WriteTarget(const std::string& path);

// Removes temporary files that a write to path left behind when the process was killed
// ("<name>.tmp-XXXXXX" beside the file); returns how many went.
size_t RemoveStaleTemporaries(const std::string& path);

// Writes bytes to a temporary file in the same folder (through a symbolic link: beside the
// file it names), flushes it to the disk and renames it
// over path, so the previous file survives any failure. Throws TError naming the file and the
// system's reason; the temporary file is removed on failure.
void WriteFileAtomically(const std::string& path, std::string_view bytes);

// The same for content produced piece by piece: produce calls write for each piece in order,
// so large files never need to sit in memory whole.
using TWriteChunk = std::function<void(std::string_view)>;
void WriteFileAtomically(const std::string& path,
                         const std::function<void(const TWriteChunk&)>& produce);
