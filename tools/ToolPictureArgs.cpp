#include <algorithm>
#include <charconv>

#include "tools/ToolPictures.h"

std::vector<int64_t> ParsePicturePositions(std::string_view text) {
    std::vector<int64_t> positions;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        const std::string_view item = text.substr(start, comma - start);
        int64_t value = 0;
        const auto [end, failure] = std::from_chars(item.data(), item.data() + item.size(), value);
        if (item.empty() || failure != std::errc() || end != item.data() + item.size() || value < 1)
            throw TUsageError{
                "--gif needs pattern positions from 1 up, separated by commas, not '" +
                std::string(text) + "'"};
        positions.push_back(value);
        start = comma + 1;
    }
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    return positions;
}
