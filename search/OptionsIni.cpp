#include "search/OptionsIni.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "data/DrawText.h"
#include "data/TextCodec.h"

namespace {

// The parameters come from the digits of a version text plus fixed addends, so neither value
// appears as a constant of its own. The text is that of the release whose settings files are
// out there, never the current release version: a new version must still read them.
constexpr char ScrambleSource[] = "3.08";

struct OptionKey {
    const char* Name;
    int32_t SearchOptions::*Integer;
    bool SearchOptions::*Flag;
};

// Section TGui2Options in file order.
const std::array<OptionKey, 21> OptionKeys = {{
    {"LinedDistMinSe", &SearchOptions::LinedDistMinSe, nullptr},
    {"LinedDistMaxSe", &SearchOptions::LinedDistMaxSe, nullptr},
    {"LinegDistMinSe", &SearchOptions::LinegDistMinSe, nullptr},
    {"LinegDistMaxSe", &SearchOptions::LinegDistMaxSe, nullptr},
    {"SecCountSe", &SearchOptions::SecCountSe, nullptr},
    {"LinedPtMinSe", &SearchOptions::LinedPtMinSe, nullptr},
    {"LinedPtMaxSe", &SearchOptions::LinedPtMaxSe, nullptr},
    {"LinegPtMinSe", &SearchOptions::LinegPtMinSe, nullptr},
    {"LinegPtMaxSe", &SearchOptions::LinegPtMaxSe, nullptr},
    {"ClearDupChk", nullptr, &SearchOptions::ClearDupChk},
    {"RefSumChk", nullptr, &SearchOptions::RefSumChk},
    {"RefTailChk", nullptr, &SearchOptions::RefTailChk},
    {"SecInterGbx", &SearchOptions::SecInterGbx, nullptr},
    {"SumConstrastGbx", &SearchOptions::SumConstrastGbx, nullptr},
    {"FallTargetGbx", &SearchOptions::FallTargetGbx, nullptr},
    {"FallStyleGbx", &SearchOptions::FallStyleGbx, nullptr},
    {"RefWidthSe", &SearchOptions::RefWidthSe, nullptr},
    {"LinkLineStyleGbx", &SearchOptions::LinkLineStyleGbx, nullptr},
    {"DrawBoxStyleCbb", &SearchOptions::DrawBoxStyleCbb, nullptr},
    {"BoxColorModeCbb", &SearchOptions::BoxColorModeCbb, nullptr},
    {"CellHeightSe", &SearchOptions::CellHeightSe, nullptr},
}};

// Defaults as the file reads them.
SearchOptions FileDefaults() {
    return SearchOptions{};
}

std::string Shift(std::string_view text, int sign) {
    const int a = ScrambleStart();
    const int b = ScrambleStep();
    std::string out(text);
    for (size_t i = 0; i < out.size(); ++i) {
        const int offset = static_cast<int>((a + (i % 256) * b) % 256);
        out[i] = static_cast<char>((static_cast<uint8_t>(out[i]) + sign * offset + 256) % 256);
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The bytes that a "{hex}..." value stands for, or false when it is not one.
bool DecodeHexValue(std::string_view stored, std::string& bytes) {
    const std::string_view prefix = StoredValueHexPrefix;
    if (stored.substr(0, prefix.size()) != prefix) return false;
    const std::string_view digits = stored.substr(prefix.size());
    if (digits.size() % 2 != 0) return false;
    bytes.clear();
    for (size_t i = 0; i < digits.size(); i += 2) {
        const int high = HexDigit(digits[i]);
        const int low = HexDigit(digits[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes += static_cast<char>(high * 16 + low);
    }
    return true;
}

std::string ReadMemberText(const TIniFile& ini, const char* key) {
    const auto stored = ini.ReadRaw(MemberSection, key);
    // A missing key leaves the field empty (unscrambling a placeholder would only give noise).
    if (!stored) return {};
    return DecodeExternalText(ShiftUnscramble(DecodeStoredValue(*stored)));
}

}  // namespace

int ScrambleStart() {
    return (ScrambleSource[3] - '0') + 23;
}
int ScrambleStep() {
    return (ScrambleSource[0] - '0') + 8;
}

std::string ShiftScramble(std::string_view text) {
    return Shift(text, 1);
}
std::string ShiftUnscramble(std::string_view text) {
    return Shift(text, -1);
}

std::string EncodeStoredValue(std::string_view scrambled) {
    std::string ignored;
    const bool needsHex =
        scrambled.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos ||
        (!scrambled.empty() && (scrambled.front() == ' ' || scrambled.front() == '\t' ||
                                scrambled.back() == ' ' || scrambled.back() == '\t')) ||
        DecodeHexValue(scrambled, ignored);
    if (!needsHex) return std::string(scrambled);
    static constexpr char digits[] = "0123456789abcdef";
    std::string out = StoredValueHexPrefix;
    for (char c : scrambled) {
        const auto byte = static_cast<uint8_t>(c);
        out += digits[byte >> 4];
        out += digits[byte & 15];
    }
    return out;
}

std::string DecodeStoredValue(std::string_view stored) {
    std::string bytes;
    if (DecodeHexValue(stored, bytes)) return bytes;
    return std::string(stored);
}

void ReadSearchOptions(const TIniFile& ini, SearchOptions& options) {
    const SearchOptions defaults = FileDefaults();
    options.MemberName = ReadMemberText(ini, "userName");
    options.MemberPassword = ReadMemberText(ini, "userPW");
    for (const OptionKey& key : OptionKeys) {
        if (key.Integer != nullptr)
            options.*key.Integer = ini.ReadInteger(OptionsSection, key.Name, defaults.*key.Integer);
        else
            options.*key.Flag = ini.ReadBool(OptionsSection, key.Name, defaults.*key.Flag);
    }
    options.ServiceUrl = DecodeExternalText(ini.ReadString(DownloadSection, "ServiceUrl", ""));
    options.AutoUpdateChk = ini.ReadBool(DownloadSection, "AutoUpdate", defaults.AutoUpdateChk);
    options.AutoUpdateHoursSe = std::clamp(
        ini.ReadInteger(DownloadSection, "AutoUpdateHours", defaults.AutoUpdateHoursSe), 1, 24);
    options.DrawDays =
        ParseDrawDays(ini.ReadString(DownloadSection, "DrawDays", DrawDaysText(defaults.DrawDays)));
    options.MaxPatterns = std::max(0, ini.ReadInteger(LimitsSection, "MaxPatterns", 0));
    // The colour mode is the user's choice in the options dialog; one the painter does not
    // know becomes the default.
    if (options.BoxColorModeCbb < 0 || options.BoxColorModeCbb > 4) options.BoxColorModeCbb = 3;
    // The grid cannot show other cell sizes; a bad value must not stop the program starting.
    if (options.CellHeightSe < 30 || options.CellHeightSe > 60) options.CellHeightSe = 30;
}

void WriteSearchOptions(TIniFile& ini, const SearchOptions& options) {
    ini.WriteString(MemberSection, "userName",
                    EncodeStoredValue(ShiftScramble(options.MemberName)));
    ini.WriteString(MemberSection, "userPW",
                    EncodeStoredValue(ShiftScramble(options.MemberPassword)));
    for (const OptionKey& key : OptionKeys) {
        if (key.Integer != nullptr)
            ini.WriteInteger(OptionsSection, key.Name, options.*key.Integer);
        else
            ini.WriteBool(OptionsSection, key.Name, options.*key.Flag);
    }
    // Line breaks cannot stand in a value; an address never holds one.
    std::string url = options.ServiceUrl;
    std::erase_if(url, [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
    ini.WriteString(DownloadSection, "ServiceUrl", url);
    ini.WriteBool(DownloadSection, "AutoUpdate", options.AutoUpdateChk);
    ini.WriteInteger(DownloadSection, "AutoUpdateHours", options.AutoUpdateHoursSe);
    ini.WriteString(DownloadSection, "DrawDays", DrawDaysText(options.DrawDays));
    ini.WriteInteger(LimitsSection, "MaxPatterns", options.MaxPatterns);
}

void ApplyStartupAdjustments(SearchOptions& options) {
    if (options.SecInterGbx > 2) options.SecInterGbx = 1;
    if (options.SumConstrastGbx > 3) options.SumConstrastGbx = 1;
    if (options.SecCountSe > 7) options.SecCountSe = 3;
}

SearchOptions LoadSearchOptions(const std::string& path) {
    SearchOptions options;
    ReadSearchOptions(TIniFile::Load(path), options);
    return options;
}

void SaveSearchOptions(const std::string& path, const SearchOptions& options) {
    TIniFile ini;
    try {
        ini = TIniFile::Load(path);
    } catch (const TError&) {
        // An unreadable old file is replaced rather than blocking the save.
    }
    WriteSearchOptions(ini, options);
    ini.Save(path);
}

SearchOptions DefaultSearchOptions() {
    SearchOptions options;
    ReadSearchOptions(TIniFile{}, options);
    return options;
}

bool SetOptionByKey(SearchOptions& options, std::string_view key, std::string_view value) {
    for (const OptionKey& entry : OptionKeys) {
        if (!SameIniName(entry.Name, key)) continue;
        int32_t number = 0;
        if (!TryStrToInt(value, number)) return false;
        if (entry.Integer != nullptr)
            options.*entry.Integer = number;
        else
            options.*entry.Flag = number != 0;
        return true;
    }
    return false;
}
