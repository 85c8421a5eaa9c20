#include "data/HiddenText.h"

std::string RevealText(std::string_view stored, size_t first, size_t stride) {
    std::string plain;
    if (stride == 0) return plain;
    for (size_t at = first; at < stored.size(); at += stride) plain += stored[at];
    return plain;
}

std::string HideText(std::string_view plain, size_t first, size_t stride) {
    static constexpr std::string_view kFiller = "qzKxwJvbTmYpRfgL";
    if (stride == 0) stride = 1;
    std::string stored(first + plain.size() * stride, ' ');
    for (size_t at = 0; at < stored.size(); ++at)
        stored[at] = kFiller[(at * 7 + 3) % kFiller.size()];
    for (size_t i = 0; i < plain.size(); ++i) stored[first + i * stride] = plain[i];
    return stored;
}
