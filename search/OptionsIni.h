#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "data/IniFile.h"
#include "data/ProgramIdentity.h"
#include "search/SearchOptions.h"

// The settings file: the member name and password in section TRegOptions, every other option
// in section TGui2Options, the download service address in section TDataDown; keys written in
// a fixed order.

inline constexpr char MemberSection[] = "TRegOptions";
inline constexpr char OptionsSection[] = "TGui2Options";
inline constexpr char DownloadSection[] = "TDataDown";
inline constexpr char LimitsSection[] = "TSearchLimits";

// The member name and password are stored scrambled: byte i becomes (byte + A + i * B) mod 256.
int ScrambleStart();  // A
int ScrambleStep();   // B
std::string ShiftScramble(std::string_view text);
std::string ShiftUnscramble(std::string_view text);

// A scrambled text as it stands after the "=": the raw bytes when they read back unchanged,
// else StoredValueHexPrefix followed by two hex digits per byte. Decoding accepts both, so
// values written raw by older versions still read.
inline constexpr char StoredValueHexPrefix[] = "{hex}";
std::string EncodeStoredValue(std::string_view scrambled);
std::string DecodeStoredValue(std::string_view stored);

// Reads every key (a missing or unreadable value gives the field's default), then makes the
// loading adjustments: BoxColorModeCbb becomes 3, a CellHeightSe outside 30-60 becomes 30.
void ReadSearchOptions(const TIniFile& ini, SearchOptions& options);
// Writes every key of both sections in their fixed order.
void WriteSearchOptions(TIniFile& ini, const SearchOptions& options);

// The start-up corrections: SecInterGbx > 2 -> 1, SumConstrastGbx > 3 -> 1, SecCountSe > 7 -> 3.
void ApplyStartupAdjustments(SearchOptions& options);

// Reads the settings file (a missing file gives the defaults); read errors throw TError.
SearchOptions LoadSearchOptions(const std::string& path);
// The options of an empty settings file.
SearchOptions DefaultSearchOptions();
// Writes every key into the settings file, keeping any other sections and keys it holds, and
// replaces the file through a temporary file.
void SaveSearchOptions(const std::string& path, const SearchOptions& options);

// Sets the TGui2Options field named by key (ASCII case ignored) from value, read like the INI
// file reads it. Returns false for an unknown key or a value that is not an integer.
bool SetOptionByKey(SearchOptions& options, std::string_view key, std::string_view value);
