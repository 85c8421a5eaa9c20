#pragma once

#include <cstdint>
#include <string_view>

// The line handling of the ticket book's text files (ticket lists, game rules).

// Blanks, tabs and a line's CR off both ends.
inline std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// Calls visit(line, content) for each line that holds something other than a "#" comment:
// line 1-based as an editor counts, content trimmed; a byte order mark at the start is dropped.
template <typename Visit>
void ForEachContentLine(std::string_view text, Visit&& visit) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    int32_t line = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        ++line;
        const std::string_view content = TrimBlanks(text.substr(start, end - start));
        start = end + 1;
        if (content.empty() || content.front() == '#') continue;
        visit(line, content);
    }
}
