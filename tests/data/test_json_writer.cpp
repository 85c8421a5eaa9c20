#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "data/JsonWriter.h"

namespace {

// Reads a JSON string back by the rules of RFC 8259 alone: false for a raw control character,
// an unknown escape or a missing quote.
bool DecodeJsonString(const std::string& json, std::string& out) {
    if (json.size() < 2 || json.front() != '"' || json.back() != '"') return false;
    out.clear();
    for (size_t i = 1; i + 1 < json.size(); ++i) {
        const char c = json[i];
        if (static_cast<unsigned char>(c) < 0x20 || c == '"') return false;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i + 1 >= json.size()) return false;
        if (json[i] == '"' || json[i] == '\\' || json[i] == '/') {
            out += json[i];
        } else if (json[i] == 'u' && i + 4 < json.size()) {
            const long code = std::strtol(json.substr(i + 1, 4).c_str(), nullptr, 16);
            if (code >= 0x80) return false;  // the writer escapes control characters only
            out += static_cast<char>(code);
            i += 4;
        } else {
            return false;
        }
    }
    return true;
}

std::string Written(std::string_view value) {
    TJsonWriter json;
    json.String(value);
    return json.Text();
}

TEST(JsonWriter, EscapesEveryStringAsRfc8259Asks) {
    // Every ASCII character alone and all of them together read back as they were written,
    // and control characters come out as \u00XX.
    std::string all;
    for (int c = 0; c < 0x80; ++c) {
        const std::string one(1, static_cast<char>(c));
        all += one;
        std::string back;
        ASSERT_TRUE(DecodeJsonString(Written(one), back)) << c;
        EXPECT_EQ(back, one) << c;
        if (c < 0x20) {
            char expected[16];
            std::snprintf(expected, sizeof expected, "\"\\u%04x\"", c);
            EXPECT_EQ(Written(one), expected);
        }
    }
    std::string back;
    ASSERT_TRUE(DecodeJsonString(Written(all), back));
    EXPECT_EQ(back, all);
    EXPECT_EQ(Written("a\"b\\c\n"), "\"a\\\"b\\\\c\\u000a\"");

    // UTF-8 passes as it is; bytes that start no well-formed character become U+FFFD.
    const std::string replacement = "\xEF\xBF\xBD";
    const struct {
        std::string In, Out;
    } cases[] = {
        {"期号 \xF0\x9F\x8E\xB2", "期号 \xF0\x9F\x8E\xB2"},
        {"\xC0\x80", replacement + replacement},                                      // overlong
        {"\xED\xA0\x80", replacement + replacement + replacement},                    // a surrogate
        {"\xF4\x90\x80\x80", replacement + replacement + replacement + replacement},  // > U+10FFFF
        {"a\xE6\x9C", "a" + replacement + replacement},                               // cut short
        {"\xFF"
         "7",
         replacement + "7"},
    };
    for (const auto& c : cases) EXPECT_EQ(Written(c.In), "\"" + c.Out + "\"") << c.In;
}

TEST(JsonWriter, SeparatesMembersAndWritesOnlyNumbersJsonCanHold) {
    for (const auto style : {TJsonWriter::TStyle::Compact, TJsonWriter::TStyle::Spaced}) {
        TJsonWriter json(style);
        json.BeginObject().Key("a").Number(1).Key("b").BeginArray().Number(0.1).Number(-2);
        json.BeginObject().EndObject().EndArray().Key("c").Null().EndObject().EndLine();
        json.BeginArray().Number(std::numeric_limits<double>::quiet_NaN());
        json.Number(-std::numeric_limits<double>::infinity()).Fixed(NAN, 3).Fixed(2.0 / 3, 3);
        json.Number(uint64_t{18446744073709551615u}).EndArray().EndLine();
        EXPECT_EQ(json.Text(), style == TJsonWriter::TStyle::Compact
                                   ? "{\"a\":1,\"b\":[0.1,-2,{}],\"c\":null}\n"
                                     "[null,null,null,0.667,18446744073709551615]\n"
                                   : "{\"a\": 1, \"b\": [0.1, -2, {}], \"c\": null}\n"
                                     "[null, null, null, 0.667, 18446744073709551615]\n");
    }
    // Nested deeper than the writer keeps in one word: each level still knows it has an item.
    constexpr int Levels = 150;
    TJsonWriter json;
    std::string expected;
    for (int level = 0; level < Levels; ++level) {
        json.BeginArray().Number(level);
        expected += (level > 0 ? ",[" : "[") + std::to_string(level);
    }
    for (int level = Levels - 1; level >= 0; --level) {
        json.Number(level).EndArray();
        expected += "," + std::to_string(level) + "]";
    }
    EXPECT_EQ(json.Text(), expected);
}

}  // namespace
