#pragma once

#include <string>
#include <string_view>

// Text that arrives from outside (import files, download replies, INI files written on
// Windows) is either UTF-8 or the Chinese Windows code page (GBK, code page 936).

bool IsValidUtf8(std::string_view bytes);

// The bytes as UTF-8: unchanged when they are valid UTF-8, else decoded from GBK. Bytes that
// are not valid GBK either become U+FFFD, so the result is always valid UTF-8.
std::string DecodeExternalText(std::string_view bytes);

// A whole text file as UTF-8: a UTF-8 byte order mark is dropped, a UTF-16 one (as Windows
// Notepad writes "Unicode" files) selects UTF-16; otherwise as DecodeExternalText.
std::string DecodeTextFile(std::string_view bytes);

// GBK bytes as UTF-8; bytes that are not GBK become U+FFFD.
std::string DecodeGbk(std::string_view bytes);

// UTF-8 text in UTF-16 without a byte order mark.
std::string EncodeUtf16(std::string_view utf8, bool bigEndian);

// UTF-8 text in GBK, for lengths and fields that are counted in bytes of that form.
// Characters GBK cannot hold become "?".
std::string EncodeGbk(std::string_view utf8);
