#include "data/MessageText.h"

size_t Utf8SequenceLength(std::string_view s) {
    if (s.empty()) return 0;
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(0);
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (s.size() < length || byte(1) < low || byte(1) > high) return 0;
    for (size_t i = 2; i < length; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
    return length;
}

std::string MessageExcerpt(std::string_view text, size_t limit) {
    constexpr std::string_view replacement = "\xEF\xBF\xBD";  // U+FFFD
    std::string shown;
    size_t at = 0;
    for (size_t characters = 0; characters < limit && at < text.size(); ++characters) {
        const size_t length = Utf8SequenceLength(text.substr(at));
        const auto lead = static_cast<unsigned char>(text[at]);
        if (length == 0 || (length == 1 && ((lead < 0x20 && lead != '\t') || lead == 0x7F)))
            shown += replacement;
        else
            shown.append(text.substr(at, length));
        at += length == 0 ? 1 : length;
    }
    if (at < text.size()) shown += "…";
    return shown;
}

std::string QuotedExcerpt(std::string_view text) {
    return "\xE2\x80\x9C" + MessageExcerpt(text) + "\xE2\x80\x9D";  // “text”
}
