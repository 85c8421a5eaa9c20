#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "data/DrawImport.h"
#include "data/MessageText.h"
#include "data/TextCodec.h"
#include "reduce/ReduceConditions.h"
#include "tickets/GameRules.h"
#include "tickets/Ticket.h"

namespace {

// Code points of valid UTF-8, counted by lead bytes (the text is checked valid first).
size_t Characters(const std::string& utf8) {
    size_t count = 0;
    for (const char c : utf8) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

// Every excerpt of a text mixing ASCII, full-width digits, CJK, four-byte characters, broken
// sequences and control bytes is valid UTF-8 of at most 80 characters and a "…"; the excerpt
// of clean text is its start, and it is cut exactly when the text is longer.
TEST(MessageTextTest, ExcerptsAreValidShortAndTheStartOfCleanText) {
    const std::vector<std::string> pieces = {
        "a", "7", "\xEF\xBC\x91" /* １ */, "号", "\xF0\x9F\x8E\xB2", " "};
    const std::vector<std::string> broken = {
        "\xEF\xBC", "\x80", "\xFF", std::string(1, '\0'), "\xED\xA0\x80" /* a surrogate */,
        "\xC0\xAF"};
    std::mt19937 random(35);
    for (int round = 0; round < 2000; ++round) {
        const size_t length = random() % 200;
        const bool clean = round % 2 == 0;
        std::string text;
        size_t characters = 0;
        for (size_t i = 0; i < length; ++i) {
            const bool bad = !clean && random() % 8 == 0;
            text += bad ? broken[random() % broken.size()] : pieces[random() % pieces.size()];
            ++characters;
        }
        const std::string shown = MessageExcerpt(text);
        ASSERT_TRUE(IsValidUtf8(shown)) << round;
        const bool cut = shown.ends_with("…");
        EXPECT_LE(Characters(shown), MessageQuoteLimit + (cut ? 1 : 0)) << round;
        EXPECT_EQ(shown.find('\0'), std::string::npos);
        if (!clean) continue;
        EXPECT_EQ(cut, characters > MessageQuoteLimit) << round;
        const std::string kept = cut ? shown.substr(0, shown.size() - 3) : shown;
        EXPECT_TRUE(text.starts_with(kept)) << round;
        EXPECT_EQ(Characters(kept), std::min(characters, MessageQuoteLimit)) << round;
    }
}

// A damaged line of 10 MB in a ticket list, a condition set, a draw file or a rules file is
// named by a short message; full-width digits are never cut in the middle.
TEST(MessageTextTest, ReadersQuoteAtMostEightyCharactersOfALine) {
    const std::string huge = "1234567" + std::string(10 << 20, 'x');
    std::string fullWidth;
    for (int i = 0; i < 100; ++i) fullWidth += "\xEF\xBC\x91";  // １
    for (const std::string& line : {huge, fullWidth, "第" + fullWidth + "期 1234567"}) {
        std::vector<std::string> messages;
        const TTicketReading tickets = ReadTicketLines("1234567\n" + line + "\n");
        ASSERT_EQ(tickets.Faults.size(), 1u);
        messages.push_back(tickets.Faults[0].Text());
        try {
            ReadReduceSet("和值 " + line);
            ADD_FAILURE() << "conditions";
        } catch (const TReduceError& e) {
            messages.push_back(e.what());
        }
        try {
            ParseDrawNumbers("1234567\nx" + line + "\n");
            ADD_FAILURE() << "draws";
        } catch (const TError& e) {
            messages.push_back(e.what());
        }
        try {
            ReadGameRules("[g]\n" + line + " = 1\n");
            ADD_FAILURE() << "rules";
        } catch (const TError& e) {
            messages.push_back(e.what());
        }
        for (const std::string& message : messages) {
            EXPECT_TRUE(IsValidUtf8(message)) << message;
            EXPECT_LE(Characters(message), MessageQuoteLimit + 40) << message;
        }
    }
}

}  // namespace
