#include "data/IniFile.h"

#include "data/DrawText.h"
#include "data/Error.h"
#include "data/FileIo.h"
#include "data/Platform.h"
#include "data/TextCodec.h"
#include "data/TextLines.h"

bool SameIniName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

TIniFile TIniFile::Parse(std::string_view bytes) {
    // A file saved as "Unicode" (UTF-16 with its byte order mark) is read as text and written
    // back the same way.
    TIniEncoding encoding = TIniEncoding::Bytes;
    std::string decoded;
    if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") {
        encoding = bytes[0] == '\xFF' ? TIniEncoding::Utf16Le : TIniEncoding::Utf16Be;
        decoded = DecodeTextFile(bytes);
        bytes = decoded;
    }
    TIniFile ini;
    ini.encoding_ = encoding;
    Section* current = nullptr;
    TTextLines lines(WithoutByteOrderMark(bytes));
    std::string_view line;
    while (lines.Next(line)) {
        const std::string_view trimmed = TrimBlanks(line);
        if (trimmed.empty() || trimmed.front() == ';') continue;
        if (trimmed.front() == '[') {
            const size_t close = trimmed.find(']');
            if (close == std::string_view::npos) continue;
            const std::string_view name = TrimBlanks(trimmed.substr(1, close - 1));
            current = nullptr;
            for (auto& section : ini.sections_)
                if (SameIniName(section.Name, name)) current = &section;
            if (current == nullptr) {
                ini.sections_.push_back({std::string(name), {}});
                current = &ini.sections_.back();
            }
            continue;
        }
        const size_t equals = line.find('=');
        if (current == nullptr || equals == std::string_view::npos) continue;
        const std::string_view key = TrimBlanks(line.substr(0, equals));
        if (key.empty()) continue;
        bool known = false;
        for (const auto& entry : current->Entries) known = known || SameIniName(entry.Key, key);
        // The first of several equal keys wins, as on Windows.
        if (!known)
            current->Entries.push_back({std::string(key), std::string(line.substr(equals + 1))});
    }
    return ini;
}

TIniFile TIniFile::Load(const std::string& path) {
    if (IsMissing(path)) return {};
    return Parse(ReadTextFile(path));
}

const TIniFile::Entry* TIniFile::Find(std::string_view section, std::string_view key) const {
    for (const auto& s : sections_) {
        if (!SameIniName(s.Name, section)) continue;
        for (const auto& entry : s.Entries)
            if (SameIniName(entry.Key, key)) return &entry;
    }
    return nullptr;
}

std::optional<std::string> TIniFile::ReadRaw(std::string_view section, std::string_view key) const {
    const Entry* entry = Find(section, key);
    if (entry == nullptr) return std::nullopt;
    return entry->Value;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view defaultValue) const {
    const Entry* entry = Find(section, key);
    return std::string(entry != nullptr ? TrimBlanks(entry->Value) : defaultValue);
}

int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key,
                              int32_t defaultValue) const {
    const Entry* entry = Find(section, key);
    int32_t value = 0;
    if (entry == nullptr || !TryStrToInt(TrimBlanks(entry->Value), value)) return defaultValue;
    return value;
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

std::vector<std::pair<std::string, std::string>> TIniFile::SectionValues(
    std::string_view section) const {
    std::vector<std::pair<std::string, std::string>> values;
    for (const Section& s : sections_)
        if (SameIniName(s.Name, section))
            for (const Entry& entry : s.Entries) values.emplace_back(entry.Key, entry.Value);
    return values;
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    if (value.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
        throw TError("TIniFile.WriteString Value isnot valid!");
    Section* target = nullptr;
    for (auto& s : sections_)
        if (SameIniName(s.Name, section)) target = &s;
    if (target == nullptr) {
        sections_.push_back({std::string(section), {}});
        target = &sections_.back();
    }
    for (auto& entry : target->Entries) {
        if (SameIniName(entry.Key, key)) {
            entry.Value = value;
            return;
        }
    }
    target->Entries.push_back({std::string(key), std::string(value)});
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
    WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

std::string TIniFile::ToText() const {
    std::string text;
    for (const auto& section : sections_) {
        if (!text.empty()) text += "\r\n";
        text += "[" + section.Name + "]\r\n";
        for (const auto& entry : section.Entries) text += entry.Key + "=" + entry.Value + "\r\n";
    }
    return text;
}

std::string TIniFile::ToBytes() const {
    if (encoding_ == TIniEncoding::Bytes) return ToText();
    const bool bigEndian = encoding_ == TIniEncoding::Utf16Be;
    return (bigEndian ? "\xFE\xFF" : "\xFF\xFE") +
           EncodeUtf16(DecodeExternalText(ToText()), bigEndian);
}

void TIniFile::Save(const std::string& path) const {
    WriteFileAtomically(path, ToBytes());
}
