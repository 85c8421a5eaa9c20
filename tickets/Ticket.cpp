#include "tickets/Ticket.h"

#include <algorithm>
#include <bit>
#include <charconv>

#include "data/MessageText.h"
#include "data/TextLines.h"

namespace {

// The length of a mark that starts a new field even without a blank before it (a multiple,
// 追号, a 期号), or 0.
size_t FieldMark(std::string_view text) {
    if (!text.empty() && (text[0] == 'x' || text[0] == 'X' || text[0] == '*')) return 1;
    if (text.substr(0, 2) == "\xC3\x97") return 2;  // ×
    if (text.substr(0, 3) == "追" || text.substr(0, 3) == "第") return 3;
    return 0;
}

bool IsBlank(std::string_view text) {
    return text.substr(0, 1) == " " || text.substr(0, 1) == "\t" ||
           text.substr(0, 3) == "\xE3\x80\x80";  // 全角空格
}

// The fields of a line: separated by blanks (the ideographic space too), and split before
// a mark, so that "1234567×5追10期" reads like "1234567 ×5 追10期".
std::vector<std::string_view> Tokens(std::string_view text) {
    std::vector<std::string_view> tokens;
    size_t at = 0;
    while (at < text.size()) {
        if (IsBlank(text.substr(at))) {
            at += text[at] == ' ' || text[at] == '\t' ? 1 : 3;
            continue;
        }
        const size_t start = at;
        at += std::max<size_t>(1, FieldMark(text.substr(at)));
        while (at < text.size() && !IsBlank(text.substr(at)) && FieldMark(text.substr(at)) == 0)
            ++at;
        tokens.push_back(text.substr(start, at - start));
    }
    return tokens;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}
bool EndsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// A whole number of at most nine digits, or -1.
int64_t WholeNumber(std::string_view text) {
    if (text.empty() || text.size() > 9) return -1;
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0) return -1;
    return value;
}

std::string Quoted(std::string_view text) {
    return QuotedExcerpt(text);
}

std::string PositionName(int32_t position) {
    return "第" + std::to_string(position + 1) + "位";
}

}  // namespace

int32_t SetSize(uint16_t set) {
    return std::popcount(static_cast<unsigned>(set & 0x3FF));
}

int64_t BetsOf(const TDigitSets& sets) {
    int64_t bets = 1;
    for (const uint16_t set : sets) bets *= SetSize(set);
    return bets;
}

int64_t TTicket::Bets() const {
    return BetsOf(Sets);
}

std::string NumbersText(const TDigitSets& sets) {
    bool single = true;
    for (const uint16_t set : sets) single = single && SetSize(set) == 1;
    std::string text;
    for (int32_t p = 0; p < TicketPositions; ++p) {
        if (!single && p > 0) text += '/';
        for (int d = 0; d <= 9; ++d)
            if (sets[p] & (1u << d)) text += static_cast<char>('0' + d);
    }
    return text;
}

std::string TicketText(const TTicket& ticket) {
    std::string text = NumbersText(ticket.Sets);
    if (ticket.Multiple != 1) text += " x" + std::to_string(ticket.Multiple);
    if (ticket.DrawCount != 1) text += " 追" + std::to_string(ticket.DrawCount) + "期";
    if (!ticket.Issue.empty()) text += " 第" + ticket.Issue + "期";
    return text;
}

TDigitSets ParseNumbers(std::string_view text) {
    // Seven sets of ten digits and the six marks between them at most: anything longer is no
    // ticket, however long (a damaged line of megabytes is refused at once).
    constexpr size_t longestNumbers = TicketPositions * 10 + TicketPositions - 1;
    if (text.size() > longestNumbers) throw TError("号码" + Quoted(text) + "太长");
    std::vector<std::string_view> parts;
    if (text.find('/') == std::string_view::npos) {
        // Single bet: seven digits, one per position.
        for (size_t i = 0; i < text.size(); ++i) parts.push_back(text.substr(i, 1));
    } else {
        size_t start = 0;
        for (size_t at; (at = text.find('/', start)) != std::string_view::npos; start = at + 1)
            parts.push_back(text.substr(start, at - start));
        parts.push_back(text.substr(start));
    }
    for (const std::string_view part : parts)
        for (const char c : part)
            if (c < '0' || c > '9')
                throw TError(Quoted(text) + "里的" + Quoted(std::string(1, c)) + "不是0到9的数字");
    if (parts.size() != static_cast<size_t>(TicketPositions))
        throw TError("号码应有7位，" + Quoted(text) + "有" + std::to_string(parts.size()) + "位");
    TDigitSets sets{};
    for (int32_t p = 0; p < TicketPositions; ++p) {
        if (parts[p].empty()) throw TError(PositionName(p) + "没有数字");
        for (const char c : parts[p]) {
            const uint16_t bit = static_cast<uint16_t>(1u << (c - '0'));
            if (sets[p] & bit) throw TError(PositionName(p) + "重复了数字" + std::string(1, c));
            sets[p] |= bit;
        }
    }
    return sets;
}

TTicket ParseTicket(std::string_view text) {
    const std::vector<std::string_view> tokens = Tokens(text);
    if (tokens.empty()) throw TError("没有号码");
    TTicket ticket;
    bool haveNumbers = false, haveMultiple = false, haveDraws = false;
    for (const std::string_view token : tokens) {
        const bool times = StartsWith(token, "x") || StartsWith(token, "X") ||
                           StartsWith(token, "\xC3\x97") || StartsWith(token, "*");  // ×
        if (times || EndsWith(token, "倍")) {
            std::string_view number = token;
            if (times) number.remove_prefix(StartsWith(token, "\xC3\x97") ? 2 : 1);
            if (EndsWith(number, "倍")) number.remove_suffix(3);
            const int64_t value = WholeNumber(number);
            if (haveMultiple) throw TError("倍数写了两次");
            if (value < 1 || value > MaxMultiple)
                throw TError("倍数" + Quoted(token) + "应为1到" + std::to_string(MaxMultiple));
            ticket.Multiple = static_cast<int32_t>(value);
            haveMultiple = true;
        } else if (StartsWith(token, "追")) {
            std::string_view number = token.substr(3);
            if (EndsWith(number, "期")) number.remove_suffix(3);
            const int64_t value = WholeNumber(number);
            if (haveDraws) throw TError("追号期数写了两次");
            if (value < 1 || value > MaxDrawsCovered)
                throw TError("追号期数" + Quoted(token) + "应为1到" +
                             std::to_string(MaxDrawsCovered));
            ticket.DrawCount = static_cast<int32_t>(value);
            haveDraws = true;
        } else if (StartsWith(token, "第")) {
            std::string_view number = token.substr(3);
            if (EndsWith(number, "期")) number.remove_suffix(3);
            if (WholeNumber(number) < 0) throw TError("期号" + Quoted(token) + "不是数字");
            if (!ticket.Issue.empty()) throw TError("期号写了两次");
            ticket.Issue = std::string(number);
        } else {
            if (haveNumbers) throw TError("无法识别" + Quoted(token));
            ticket.Sets = ParseNumbers(token);
            haveNumbers = true;
        }
    }
    if (!haveNumbers) throw TError("没有号码");
    return ticket;
}

std::string TTicketLineFault::Text() const {
    return "第" + std::to_string(Line) + "行：" + Message;
}

TTicketReading ReadTicketLines(std::string_view text) {
    TTicketReading reading;
    ForEachContentLine(text, [&](int32_t line, std::string_view content) {
        if (content.find('\0') != std::string_view::npos) {
            reading.Faults.push_back({line, "含有零字节"});
            return;
        }
        try {
            reading.Tickets.push_back(ParseTicket(content));
            reading.Lines.push_back(line);
        } catch (const TError& e) {
            reading.Faults.push_back({line, e.what()});
        }
    });
    return reading;
}

std::string WriteTicketLines(const std::vector<TTicket>& tickets) {
    std::string text;
    for (const TTicket& ticket : tickets) text += TicketText(ticket) + "\n";
    return text;
}
