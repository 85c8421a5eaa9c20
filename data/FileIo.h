#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Whole-file reading and crash-safe writing.

// Reads the whole file; throws TError naming the file and the system's reason on failure.
std::vector<uint8_t> ReadWholeFile(const std::string& path);

// Writes bytes to a temporary file in the same folder, flushes it to the disk and renames it
// over path, so the previous file survives any failure. Throws TError naming the file and the
// system's reason; the temporary file is removed on failure.
void WriteFileAtomically(const std::string& path, std::string_view bytes);

// The same for content produced piece by piece: produce calls write for each piece in order,
// so large files never need to sit in memory whole.
using TWriteChunk = std::function<void(std::string_view)>;
void WriteFileAtomically(const std::string& path,
                         const std::function<void(const TWriteChunk&)>& produce);
