#pragma once

#include <cstdint>
#include <string_view>

// The one line splitter of every text reader (draw files, settings, the draw register,
// condition sets, ticket lists, game rules). A line ends at LF, CR LF or a lone CR, so a file
// of any system reads alike and its lines are numbered as an editor numbers them; the end of
// the last line makes no empty line after it.

// Gives the lines of a text one by one.
class TTextLines {
  public:
    explicit TTextLines(std::string_view text) : text_(text) {}
    // The next line without its end; false after the last one.
    bool Next(std::string_view& line) {
        const size_t size = text_.size();
        if (at_ >= size) return false;
        size_t end = at_;
        while (end < size && text_[end] != '\n' && text_[end] != '\r') ++end;
        line = text_.substr(at_, end - at_);
        at_ = end + 1;
        if (end + 1 < size && text_[end] == '\r' && text_[end + 1] == '\n') ++at_;
        ++number_;
        return true;
    }
    // The 1-based number of the line Next gave last.
    int32_t Number() const { return number_; }

  private:
    std::string_view text_;
    size_t at_ = 0;
    int32_t number_ = 0;
};

// Calls visit(number, line) for each line, number 1-based.
template <typename Visit>
void ForEachLine(std::string_view text, Visit&& visit) {
    TTextLines lines(text);
    std::string_view line;
    while (lines.Next(line)) visit(lines.Number(), line);
}

// A UTF-8 byte order mark at the start of a text goes.
inline std::string_view WithoutByteOrderMark(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    return text;
}

// Blanks and tabs off both ends.
inline std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// Calls visit(number, content) for each line that holds something other than a "#" comment,
// content trimmed; a byte order mark at the start is dropped.
template <typename Visit>
void ForEachContentLine(std::string_view text, Visit&& visit) {
    ForEachLine(WithoutByteOrderMark(text), [&](int32_t number, std::string_view line) {
        const std::string_view content = TrimBlanks(line);
        if (!content.empty() && content.front() != '#') visit(number, content);
    });
}
