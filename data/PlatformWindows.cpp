#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <random>

#include "data/Error.h"
#include "data/Platform.h"

namespace {

HANDLE Handle(intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

std::wstring Wide(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int n =
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    return wide;
}

std::string Utf8(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                        nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n,
                          nullptr, nullptr);
    return utf8;
}

// The system's words for an error code, in UTF-8, without the trailing line break.
std::string ErrorWords(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD n = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string words = n > 0 ? Utf8(std::wstring_view(text, n)) : std::string();
    if (text != nullptr) ::LocalFree(text);
    while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == ' '))
        words.pop_back();
    return words.empty() ? "error " + std::to_string(code) : words;
}

// A character of the input, or Invalid for a byte that is none.
constexpr char32_t Invalid = 0xFFFFFFFF;

// Decodes UTF-8 strictly: a bad sequence is one Invalid, and its continuation bytes go with it.
void DecodeUtf8(std::string_view in, std::u32string& out) {
    size_t i = 0;
    while (i < in.size()) {
        const auto c = static_cast<uint8_t>(in[i]);
        size_t length = 0;
        char32_t code = 0;
        if (c < 0x80) {
            length = 1;
            code = c;
        } else if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            code = c & 0x07;
        }
        bool good = length > 0 && in.size() - i >= length;
        for (size_t k = 1; good && k < length; ++k) {
            const auto t = static_cast<uint8_t>(in[i + k]);
            good = (t & 0xC0) == 0x80;
            code = code << 6 | (t & 0x3F);
        }
        good = good && !((length == 3 && code < 0x800) || (length == 4 && code < 0x10000) ||
                         (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF);
        if (good) {
            out.push_back(code);
            i += length;
            continue;
        }
        out.push_back(Invalid);
        ++i;
        while (i < in.size() && (static_cast<uint8_t>(in[i]) & 0xC0) == 0x80) ++i;
    }
}

void DecodeUtf16(std::string_view in, bool bigEndian, std::u32string& out) {
    const auto unit = [&](size_t i) {
        const auto a = static_cast<uint8_t>(in[i]);
        const auto b = static_cast<uint8_t>(in[i + 1]);
        return static_cast<char32_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
    };
    size_t i = 0;
    while (i + 1 < in.size()) {
        const char32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < in.size()) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                out.push_back(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i += 4;
                continue;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF) {
            out.push_back(Invalid);
            out.push_back(Invalid);
        } else {
            out.push_back(u);
        }
        i += 2;
    }
    if (i < in.size()) out.push_back(Invalid);  // an odd last byte
}

// GBK through code page 936: a byte below 0x80 is itself, a pair is one character when the
// code page knows it, any other byte is Invalid.
void DecodeGbk(std::string_view in, std::u32string& out) {
    size_t i = 0;
    while (i < in.size()) {
        const auto c = static_cast<uint8_t>(in[i]);
        if (c < 0x80) {
            out.push_back(c);
            ++i;
            continue;
        }
        wchar_t wide = 0;
        if (c >= 0x81 && c <= 0xFE && i + 1 < in.size() &&
            ::MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, in.data() + i, 2, &wide, 1) == 1) {
            out.push_back(wide);
            i += 2;
            continue;
        }
        out.push_back(Invalid);
        ++i;
    }
}

void AppendUtf8(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void AppendUtf16(char32_t c, bool bigEndian, std::string& out) {
    const auto unit = [&](char32_t u) {
        const char high = static_cast<char>(u >> 8);
        const char low = static_cast<char>(u & 0xFF);
        out += bigEndian ? high : low;
        out += bigEndian ? low : high;
    };
    if (c < 0x10000) {
        unit(c);
    } else {
        unit(0xD800 + ((c - 0x10000) >> 10));
        unit(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
}

// False when code page 936 cannot hold the character.
bool AppendGbk(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
        return true;
    }
    if (c > 0xFFFF) return false;
    const auto wide = static_cast<wchar_t>(c);
    char bytes[4];
    BOOL usedDefault = FALSE;
    const int n = ::WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, &wide, 1, bytes, sizeof bytes,
                                        nullptr, &usedDefault);
    if (n <= 0 || usedDefault) return false;
    out.append(bytes, static_cast<size_t>(n));
    return true;
}

}  // namespace

std::filesystem::path PathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(Wide(utf8));
}

std::string PathToUtf8(const std::filesystem::path& path) {
    return Utf8(path.native());
}

TOsFile::~TOsFile() {
    if (IsOpen()) ::CloseHandle(Handle(handle_));
}

bool TOsFile::IsOpen() const {
    return handle_ != -1;
}

bool TOsFile::OpenForReading(const std::string& path) {
    const HANDLE file =
        ::CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error_ = ErrorWords(::GetLastError());
        return false;
    }
    handle_ = reinterpret_cast<intptr_t>(file);
    return true;
}

bool TOsFile::CreateUnique(std::string& name) {
    static thread_local std::mt19937_64 random{std::random_device{}() ^
                                               static_cast<uint64_t>(::GetTickCount64())};
    constexpr char Letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    const size_t start = name.size() - 6;
    for (int attempt = 0; attempt < 100; ++attempt) {
        for (size_t i = start; i < name.size(); ++i) name[i] = Letters[random() % 62];
        const HANDLE file = ::CreateFileW(Wide(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                          nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            handle_ = reinterpret_cast<intptr_t>(file);
            return true;
        }
        const DWORD code = ::GetLastError();
        if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) {
            error_ = ErrorWords(code);
            return false;
        }
    }
    error_ = ErrorWords(ERROR_FILE_EXISTS);
    return false;
}

bool TOsFile::Describe(bool& regular, uint64_t& size) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(Handle(handle_)) != FILE_TYPE_DISK ||
        !::GetFileInformationByHandle(Handle(handle_), &info)) {
        regular = false;
        size = 0;
        return true;
    }
    regular = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    size = uint64_t{info.nFileSizeHigh} << 32 | info.nFileSizeLow;
    return true;
}

int64_t TOsFile::Read(void* buffer, size_t size) {
    DWORD n = 0;
    const auto want = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
    if (!::ReadFile(Handle(handle_), buffer, want, &n, nullptr)) {
        error_ = ErrorWords(::GetLastError());
        return -1;
    }
    return n;
}

bool TOsFile::WriteAll(std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD n = 0;
        const auto want = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
        if (!::WriteFile(Handle(handle_), bytes.data(), want, &n, nullptr)) {
            error_ = ErrorWords(::GetLastError());
            return false;
        }
        bytes.remove_prefix(n);
    }
    return true;
}

bool TOsFile::TakePermissionsOf(const std::string&) {
    return true;  // a new file inherits the folder's access rules
}

bool TOsFile::FlushToDisk() {
    if (::FlushFileBuffers(Handle(handle_))) return true;
    error_ = ErrorWords(::GetLastError());
    return false;
}

bool TOsFile::Close() {
    const HANDLE file = Handle(handle_);
    handle_ = -1;
    if (::CloseHandle(file)) return true;
    error_ = ErrorWords(::GetLastError());
    return false;
}

void ReplaceFileDurably(const std::string& from, const std::string& to) {
    // One rename on the same volume: the old file or the new one, and written through before
    // the call returns.
    if (!::MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw TError(ErrorWords(::GetLastError()));
}

bool IsMissing(const std::string& path) {
    if (::GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    const DWORD code = ::GetLastError();
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
}

void RemoveFileQuietly(const std::string& path) {
    ::DeleteFileW(Wide(path).c_str());
}

std::string ConvertText(TTextForm to, TTextForm from, std::string_view input,
                        std::string_view replacement) {
    std::u32string characters;
    characters.reserve(input.size());
    switch (from) {
        case TTextForm::Utf8:
            DecodeUtf8(input, characters);
            break;
        case TTextForm::Gbk:
            DecodeGbk(input, characters);
            break;
        case TTextForm::Utf16Le:
        case TTextForm::Utf16Be:
            DecodeUtf16(input, from == TTextForm::Utf16Be, characters);
            break;
    }
    std::string output;
    output.reserve(input.size() * 3 / 2);
    for (const char32_t c : characters) {
        if (c == Invalid) {
            output.append(replacement);
            continue;
        }
        switch (to) {
            case TTextForm::Utf8:
                AppendUtf8(c, output);
                break;
            case TTextForm::Utf16Le:
            case TTextForm::Utf16Be:
                AppendUtf16(c, to == TTextForm::Utf16Be, output);
                break;
            case TTextForm::Gbk:
                if (!AppendGbk(c, output)) output.append(replacement);
                break;
        }
    }
    return output;
}

uint64_t PhysicalMemoryBytes() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!::GlobalMemoryStatusEx(&status)) return 0;
    return status.ullTotalPhys;
}

void LowerThreadPriority() {
    // Windows gives each thread its own priority: threads started afterwards keep the
    // normal one.
    ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
}

void UseUtf8Console() {
    ::SetConsoleOutputCP(CP_UTF8);
}

void AnswerOnParentConsole() {
    // A redirected output (a pipe, a file) is inherited even by a window program: keep it.
    const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (output != nullptr && output != INVALID_HANDLE_VALUE &&
        ::GetFileType(output) != FILE_TYPE_UNKNOWN)
        return;
    if (!::AttachConsole(ATTACH_PARENT_PROCESS)) return;
    if (std::freopen("CONOUT$", "w", stdout) == nullptr) return;
    ::SetConsoleOutputCP(CP_UTF8);
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr || count != argc) {
        if (wide != nullptr) ::LocalFree(wide);
        return std::vector<std::string>(argv, argv + argc);
    }
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) arguments.push_back(Utf8(wide[i]));
    ::LocalFree(wide);
    return arguments;
}
