#include "data/TextCodec.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>

namespace {

// Converts with iconv, replacing each unconvertible input byte by replacement.
std::string Convert(const char* to, const char* from, std::string_view input,
                    std::string_view replacement) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(input);
    const bool fromUtf8 = std::string_view(from) == "UTF-8";
    std::string output;
    char buffer[4096];
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t rc = iconv(cd, &in, &inLeft, &out, &outLeft);
        output.append(buffer, static_cast<size_t>(out - buffer));
        if (rc != static_cast<size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // An invalid or incomplete sequence: replace one byte and go on after it.
        output.append(replacement);
        ++in;
        --inLeft;
        // From UTF-8, a character is skipped whole, not byte by byte.
        while (fromUtf8 && inLeft > 0 && (static_cast<uint8_t>(*in) & 0xC0) == 0x80) {
            ++in;
            --inLeft;
        }
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    char* out = buffer;
    size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &out, &outLeft);
    output.append(buffer, static_cast<size_t>(out - buffer));
    iconv_close(cd);
    return output;
}

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
    return Convert("UTF-8", "GBK", bytes, "\xEF\xBF\xBD");
}

std::string DecodeExternalText(std::string_view bytes) {
    if (IsValidUtf8(bytes)) return std::string(bytes);
    return Convert("UTF-8", "GBK", bytes, "\xEF\xBF\xBD");
}

std::string DecodeTextFile(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return DecodeExternalText(bytes.substr(3));
    if (bytes.substr(0, 2) == "\xFF\xFE")
        return Convert("UTF-8", "UTF-16LE", bytes.substr(2), "\xEF\xBF\xBD");
    if (bytes.substr(0, 2) == "\xFE\xFF")
        return Convert("UTF-8", "UTF-16BE", bytes.substr(2), "\xEF\xBF\xBD");
    return DecodeExternalText(bytes);
}

std::string EncodeUtf16(std::string_view utf8, bool bigEndian) {
    return Convert(bigEndian ? "UTF-16BE" : "UTF-16LE", "UTF-8", utf8,
                   bigEndian ? "\xFF\xFD" : "\xFD\xFF");
}

std::string EncodeGbk(std::string_view utf8) {
    return Convert("GBK", "UTF-8", utf8, "?");
}
