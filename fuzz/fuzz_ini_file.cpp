// Feeds arbitrary bytes to the settings reader. Reading never fails; what it read writes back
// as text that reads to the same settings; the search options read from it write and read back
// unchanged; stored texts decode whatever they hold.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "data/IniFile.h"
#include "search/OptionsIni.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const TIniFile ini = TIniFile::Parse(bytes);
    const std::string text = ini.ToText();
    if (TIniFile::Parse(text).ToText() != text) std::abort();

    SearchOptions options;
    ReadSearchOptions(ini, options);
    TIniFile written;
    WriteSearchOptions(written, options);
    SearchOptions again;
    ReadSearchOptions(TIniFile::Parse(written.ToText()), again);
    if (!(again == options)) std::abort();

    DecodeStoredValue(ini.ReadString("TDataDown", "UserName", ""));
    ShiftUnscramble(bytes);
    return 0;
}
