#include "data/TextCodec.h"

#include <cstdint>

#include "data/Platform.h"

namespace {

constexpr TTextForm Utf8 = TTextForm::Utf8;
constexpr TTextForm Gbk = TTextForm::Gbk;

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
    size_t i = 0;
    const size_t n = bytes.size();
    while (i < n) {
        const auto c = static_cast<uint8_t>(bytes[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t length;
        uint32_t code;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            code = c & 0x07;
        } else {
            return false;
        }
        if (n - i < length) return false;
        for (size_t k = 1; k < length; ++k) {
            const auto t = static_cast<uint8_t>(bytes[i + k]);
            if ((t & 0xC0) != 0x80) return false;
            code = code << 6 | (t & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF.
        if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000) ||
            (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
            return false;
        i += length;
    }
    return true;
}

std::string DecodeGbk(std::string_view bytes) {
    return ConvertText(Utf8, Gbk, bytes, "\xEF\xBF\xBD");
}

std::string DecodeExternalText(std::string_view bytes) {
    if (IsValidUtf8(bytes)) return std::string(bytes);
    return ConvertText(Utf8, Gbk, bytes, "\xEF\xBF\xBD");
}

std::string DecodeTextFile(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return DecodeExternalText(bytes.substr(3));
    if (bytes.substr(0, 2) == "\xFF\xFE")
        return ConvertText(Utf8, TTextForm::Utf16Le, bytes.substr(2), "\xEF\xBF\xBD");
    if (bytes.substr(0, 2) == "\xFE\xFF")
        return ConvertText(Utf8, TTextForm::Utf16Be, bytes.substr(2), "\xEF\xBF\xBD");
    return DecodeExternalText(bytes);
}

std::string EncodeUtf16(std::string_view utf8, bool bigEndian) {
    return ConvertText(bigEndian ? TTextForm::Utf16Be : TTextForm::Utf16Le, Utf8, utf8,
                       bigEndian ? "\xFF\xFD" : "\xFD\xFF");
}

std::string EncodeGbk(std::string_view utf8) {
    return ConvertText(Gbk, Utf8, utf8, "?");
}
