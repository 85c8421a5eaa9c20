#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

// The one writer of JSON text: every JSON line the programs print is built here. Strings are
// escaped as RFC 8259 asks (the quote, the backslash and every control character, the latter as
// \u00XX; bytes that are no UTF-8 become U+FFFD), numbers that JSON cannot hold (NaN, infinities)
// are written as null. The writer puts the separators between members and elements itself.
class TJsonWriter {
  public:
    // Compact: {"a":1,"b":[1,2]}; Spaced: {"a": 1, "b": [1, 2]}.
    enum class TStyle { Compact, Spaced };

    explicit TJsonWriter(TStyle style = TStyle::Compact) : style_(style) {}

    TJsonWriter& BeginObject() {
        Open('{');
        return *this;
    }
    TJsonWriter& EndObject() {
        Close('}');
        return *this;
    }
    TJsonWriter& BeginArray() {
        Open('[');
        return *this;
    }
    TJsonWriter& EndArray() {
        Close(']');
        return *this;
    }
    // The name of the next member of the open object.
    TJsonWriter& Key(std::string_view name);

    TJsonWriter& String(std::string_view value);
    TJsonWriter& Null();
    TJsonWriter& Bool(bool value);
    // Integers as they are; doubles in their shortest form that reads back to the same value.
    template <typename T>
    requires std::is_arithmetic_v<T> TJsonWriter& Number(T value) {
        if constexpr (std::is_floating_point_v<T>)
            return Double(static_cast<double>(value));
        else if constexpr (std::is_signed_v<T>)
            return Int(static_cast<int64_t>(value));
        else
            return UInt(static_cast<uint64_t>(value));
    }
    // A double with a fixed number of digits after the point ("%.6f").
    TJsonWriter& Fixed(double value, int digits);
    // An array of numbers.
    template <typename Range>
    TJsonWriter& Numbers(const Range& values) {
        BeginArray();
        for (const auto& value : values) Number(value);
        return EndArray();
    }

    // Ends a line of JSON text (one value per line).
    TJsonWriter& EndLine();

    const std::string& Text() const { return text_; }
    // Empties the text for the next line, keeping its memory.
    void Clear();

  private:
    // Printing many small numbers (a pattern's cells and marks) takes the short way here.
    TJsonWriter& Int(int64_t value) {
        if (value < 0 || value > 9) return Integer(value);
        BeforeValue();
        text_ += static_cast<char>('0' + value);
        return *this;
    }
    TJsonWriter& Integer(int64_t value);
    TJsonWriter& UInt(uint64_t value);
    TJsonWriter& Double(double value);
    // The separator before a value: none after a key or at the top, a comma after a sibling.
    void BeforeValue() {
        if (afterKey_) {
            afterKey_ = false;
        } else if (depth_ > 0) {
            if (hasItems_ & 1u) AppendSeparator();
            hasItems_ |= 1u;
        }
    }
    void AppendSeparator() {
        text_ += ',';
        if (style_ == TStyle::Spaced) text_ += ' ';
    }
    void Open(char bracket) {
        BeforeValue();
        text_ += bracket;
        if (depth_ >= 64) KeepOutermost();
        hasItems_ <<= 1;
        ++depth_;
    }
    void Close(char bracket) {
        text_ += bracket;
        --depth_;
        hasItems_ >>= 1;
        if (depth_ >= 64) TakeOutermost();
    }
    void KeepOutermost();
    void TakeOutermost();
    void AppendEscaped(std::string_view value);

    TStyle style_;
    std::string text_;
    // Per open object or array, whether it holds a member yet: bit 0 the innermost, bit i the
    // one i levels out; levels beyond 64 out wait in deeper_.
    uint64_t hasItems_ = 0;
    int32_t depth_ = 0;
    std::vector<bool> deeper_;
    bool afterKey_ = false;
};
