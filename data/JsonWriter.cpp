#include "data/JsonWriter.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "data/MessageText.h"

namespace {

// Printable ASCII other than the quote and the backslash: written as it is.
constexpr std::array<bool, 256> PlainAscii = [] {
    std::array<bool, 256> plain{};
    for (int c = 0x20; c < 0x80; ++c) plain[static_cast<size_t>(c)] = c != '"' && c != '\\';
    return plain;
}();

}  // namespace

void TJsonWriter::KeepOutermost() {
    deeper_.push_back((hasItems_ >> 63) & 1u);
}

void TJsonWriter::TakeOutermost() {
    hasItems_ |= uint64_t{deeper_.back()} << 63;
    deeper_.pop_back();
}

TJsonWriter& TJsonWriter::Key(std::string_view name) {
    BeforeValue();
    AppendEscaped(name);
    text_ += ':';
    if (style_ == TStyle::Spaced) text_ += ' ';
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

TJsonWriter& TJsonWriter::Integer(int64_t value) {
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
    hasItems_ = 0;
    depth_ = 0;
    deeper_.clear();
    afterKey_ = false;
}

void TJsonWriter::AppendEscaped(std::string_view value) {
    static constexpr char Hex[] = "0123456789abcdef";
    text_ += '"';
    for (size_t i = 0; i < value.size();) {
        // Printable ASCII other than the quote and the backslash, and well-formed UTF-8, go as
        // they are, a run at a time.
        size_t end = i;
        while (end < value.size()) {
            const auto c = static_cast<unsigned char>(value[end]);
            if (PlainAscii[c]) {
                ++end;
            } else if (const size_t length = c >= 0x80 ? Utf8SequenceLength(value.substr(end)) : 0;
                       length > 0) {
                end += length;
            } else {
                break;
            }
        }
        text_.append(value.data() + i, end - i);
        if (end == value.size()) break;
        const auto c = static_cast<unsigned char>(value[end]);
        if (c == '"' || c == '\\') {
            text_ += '\\';
            text_ += static_cast<char>(c);
        } else if (c < 0x20) {
            text_ += "\\u00";
            text_ += Hex[c >> 4];
            text_ += Hex[c & 0xF];
        } else {
            text_ += "\xEF\xBF\xBD";  // U+FFFD for a byte that starts no UTF-8 character
        }
        i = end + 1;
    }
    text_ += '"';
}
