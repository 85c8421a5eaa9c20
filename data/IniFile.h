#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Section and key names compare without regard to ASCII case, as on Windows.
bool SameIniName(std::string_view a, std::string_view b);

// How the file was stored: bytes (UTF-8 or code page 936, as Windows writes ANSI files) or
// UTF-16 with a byte order mark (Notepad's "Unicode").
enum class TIniEncoding { Bytes, Utf16Le, Utf16Be };

// An INI profile held in memory: sections of "key=value" lines in file order.
// Section and key names compare without regard to ASCII case, as on Windows; values are raw
// bytes (the caller decides whether a value is human text and decodes it).
class TIniFile {
  public:
    TIniFile() = default;

    // Reads INI text with CR LF, LF or CR line ends; a UTF-8 byte order mark is skipped, a
    // UTF-16 one selects UTF-16 (kept for writing back).
    // Lines that are neither a section header nor a key line (comments, junk) are dropped.
    static TIniFile Parse(std::string_view text);
    // Reads the file, or gives an empty profile when it does not exist. Other read errors throw.
    static TIniFile Load(const std::string& path);

    // The value exactly as stored after the "=", or nothing when the key is missing.
    std::optional<std::string> ReadRaw(std::string_view section, std::string_view key) const;
    // The value without blanks around it, or the default when the key is missing.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // Blanks around the value are ignored; a value that does not read as an integer
    // (data/DrawText syntax) gives the default.
    int32_t ReadInteger(std::string_view section, std::string_view key, int32_t defaultValue) const;
    // True for any non-zero integer.
    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;
    // Every key of a section and its raw value, in file order (none when the section is missing).
    std::vector<std::pair<std::string, std::string>> SectionValues(std::string_view section) const;

    // Replaces the value in place, or appends the key to its section (a new section goes to
    // the end). The value must not hold CR, LF or a zero byte (throws TError).
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int32_t value);
    void WriteBool(std::string_view section, std::string_view key, bool value);

    // The profile as text with CR LF line ends, a blank line between sections.
    std::string ToText() const;
    // ToText in the encoding the profile was read in.
    std::string ToBytes() const;
    // Writes ToBytes to path through a temporary file (crash-safe replacement).
    void Save(const std::string& path) const;

  private:
    struct Entry {
        std::string Key;
        std::string Value;
    };
    struct Section {
        std::string Name;
        std::vector<Entry> Entries;
    };

    const Entry* Find(std::string_view section, std::string_view key) const;

    std::vector<Section> sections_;
    TIniEncoding encoding_ = TIniEncoding::Bytes;
};
