#include "data/JsonWriter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

// The length of the well-formed UTF-8 sequence at the start of s (RFC 3629: no overlong forms,
// no surrogates, nothing past U+10FFFF), or 0 when there is none.
size_t Utf8SequenceLength(std::string_view s) {
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

}  // namespace

TJsonWriter& TJsonWriter::BeginObject() {
    BeforeValue();
    text_ += '{';
    hasItems_.push_back(false);
    return *this;
}

TJsonWriter& TJsonWriter::EndObject() {
    text_ += '}';
    hasItems_.pop_back();
    return *this;
}

TJsonWriter& TJsonWriter::BeginArray() {
    BeforeValue();
    text_ += '[';
    hasItems_.push_back(false);
    return *this;
}

TJsonWriter& TJsonWriter::EndArray() {
    text_ += ']';
    hasItems_.pop_back();
    return *this;
}

TJsonWriter& TJsonWriter::Key(std::string_view name) {
    BeforeValue();
    AppendEscaped(name);
    text_ += style_ == TStyle::Spaced ? ": " : ":";
    afterKey_ = true;
    return *this;
}

TJsonWriter& TJsonWriter::String(std::string_view value) {
    BeforeValue();
    AppendEscaped(value);
    return *this;
}

TJsonWriter& TJsonWriter::Null() {
    BeforeValue();
    text_ += "null";
    return *this;
}

TJsonWriter& TJsonWriter::Bool(bool value) {
    BeforeValue();
    text_ += value ? "true" : "false";
    return *this;
}

TJsonWriter& TJsonWriter::Int(int64_t value) {
    BeforeValue();
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    text_.append(buffer, static_cast<size_t>(result.ptr - buffer));
    return *this;
}

TJsonWriter& TJsonWriter::UInt(uint64_t value) {
    BeforeValue();
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    text_.append(buffer, static_cast<size_t>(result.ptr - buffer));
    return *this;
}

TJsonWriter& TJsonWriter::Double(double value) {
    if (!std::isfinite(value)) return Null();
    BeforeValue();
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    text_.append(buffer, static_cast<size_t>(result.ptr - buffer));
    return *this;
}

TJsonWriter& TJsonWriter::Fixed(double value, int digits) {
    if (!std::isfinite(value)) return Null();
    BeforeValue();
    char buffer[400];  // %f of the largest double has 309 digits before the point
    const int length = std::snprintf(buffer, sizeof buffer, "%.*f", digits, value);
    if (length > 0) text_.append(buffer, std::min(static_cast<size_t>(length), sizeof buffer - 1));
    return *this;
}

TJsonWriter& TJsonWriter::EndLine() {
    text_ += '\n';
    return *this;
}

void TJsonWriter::Clear() {
    text_.clear();
    hasItems_.clear();
    afterKey_ = false;
}

void TJsonWriter::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (hasItems_.empty()) return;
    if (hasItems_.back()) text_ += style_ == TStyle::Spaced ? ", " : ",";
    hasItems_.back() = true;
}

void TJsonWriter::AppendEscaped(std::string_view value) {
    static constexpr char Hex[] = "0123456789abcdef";
    text_ += '"';
    // Printable ASCII other than the quote and the backslash goes as it is, in one piece.
    size_t plain = 0;
    while (plain < value.size()) {
        const auto c = static_cast<unsigned char>(value[plain]);
        if (c < 0x20 || c >= 0x80 || c == '"' || c == '\\') break;
        ++plain;
    }
    text_.append(value.substr(0, plain));
    for (size_t i = plain; i < value.size();) {
        const auto c = static_cast<unsigned char>(value[i]);
        if (c == '"' || c == '\\') {
            text_ += '\\';
            text_ += static_cast<char>(c);
            ++i;
        } else if (c < 0x20) {
            text_ += "\\u00";
            text_ += Hex[c >> 4];
            text_ += Hex[c & 0xF];
            ++i;
        } else if (const size_t length = Utf8SequenceLength(value.substr(i)); length > 0) {
            text_.append(value.substr(i, length));
            i += length;
        } else {
            text_ += "\xEF\xBF\xBD";  // U+FFFD for a byte that starts no UTF-8 character
            ++i;
        }
    }
    text_ += '"';
}
