#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// What differs between the systems the core runs on, behind one interface: files at the
// level of the operating system (reading, crash-safe replacing), text conversion, file names,
// memory size, thread priority and the program's arguments. PlatformPosix.cpp and
// PlatformWindows.cpp implement it; the build picks one. Everything above speaks UTF-8.

// A file name in UTF-8 as the standard library's path, and back. On Windows the path holds
// UTF-16, so Chinese names survive whatever the system's code page is.
std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string PathToUtf8(const std::filesystem::path& path);

// An open file of the operating system. Every operation that fails returns false (or -1) and
// keeps the system's reason for ErrorText(); the destructor closes a file still open.
class TOsFile {
  public:
    TOsFile() = default;
    ~TOsFile();
    TOsFile(const TOsFile&) = delete;
    TOsFile& operator=(const TOsFile&) = delete;

    // Opens for reading without blocking, so that a named pipe cannot hang the opening.
    bool OpenForReading(const std::string& path);
    // Creates a new file from a name that ends in six 'X', which are replaced to make the
    // name unique (the name is changed in place); open for writing, readable by the owner.
    bool CreateUnique(std::string& name);
    // Whether the open file is a regular file (not a pipe, a device or a folder), and its size.
    bool Describe(bool& regular, uint64_t& size);
    // Reads up to size bytes; 0 at the end, -1 on failure.
    int64_t Read(void* buffer, size_t size);
    bool WriteAll(std::string_view bytes);
    // Gives the file the permissions of the file at path, or the usual ones when there is
    // none (systems without permission bits: nothing to do).
    bool TakePermissionsOf(const std::string& path);
    // Flushes what was written to the disk.
    bool FlushToDisk();
    bool Close();
    bool IsOpen() const;
    const std::string& ErrorText() const { return error_; }

  private:
    intptr_t handle_ = -1;
    std::string error_;
};

// Puts the file from in the place of the file to in one step (the old or the new file, never
// a mix or neither) and makes the change durable. On failure throws TError whose text is the
// system's reason; from is left for the caller to remove.
void ReplaceFileDurably(const std::string& from, const std::string& to);
// Whether nothing at all is at path (not a failure to look, such as a folder without access).
bool IsMissing(const std::string& path);
// Removes a file, ignoring any failure.
void RemoveFileQuietly(const std::string& path);

// The forms of text the program converts between.
enum class TTextForm { Utf8, Gbk, Utf16Le, Utf16Be };
// Converts input from one form to another; each input byte that cannot be converted becomes
// replacement (a bad character of UTF-8 input is skipped whole), and so does each character
// the target form cannot hold.
std::string ConvertText(TTextForm to, TTextForm from, std::string_view input,
                        std::string_view replacement);

// The size of the physical memory in bytes; 0 when the system does not say.
uint64_t PhysicalMemoryBytes();

// Lowers the priority of the calling thread (and of the threads it starts afterwards, where
// the system passes it on), so that the window stays responsive while every core works.
void LowerThreadPriority();

// Makes a console show the program's UTF-8 output as such (Windows); nothing elsewhere.
void UseUtf8Console();
// A window program (Windows) has no console of its own: when its standard output goes nowhere,
// it is sent to the console of the program that started it, if that one has a console, so
// that --version and --help answer there. Nothing elsewhere.
void AnswerOnParentConsole();

// The program's arguments in UTF-8: argv itself on POSIX systems, the command line's wide
// form on Windows (where argv is in the code page and cannot hold every name).
std::vector<std::string> ProgramArguments(int argc, char** argv);
