#include "data/HelpTexts.h"

#include "data/HiddenText.h"

namespace {

// Text of length count from position first, clipped to the text.
std::string_view Piece(std::string_view text, size_t first, size_t count) {
    if (first >= text.size()) return {};
    return text.substr(first, count);
}

}  // namespace

std::string ReleaseDateText(std::string_view releaseDate) {
    std::string text = "发行日期:";
    text += Piece(releaseDate, 0, 4);
    text += "年";
    text += Piece(releaseDate, 4, 2);
    text += "月";
    text += Piece(releaseDate, 6, 2);
    text += "日";
    return text;
}

std::string SupportSiteAddress() {
    static constexpr std::string_view stored =
        "xYhTLtfwtKmpbgsRx:zT/vf/pKwqbwJRwYz.LvbwpemqxgJmxYoTLofwrKm.bgeRxxzTavfmpKpqb"
        "lJReYz/Lv";
    return RevealText(stored, 2, 3);
}

std::string ProductPageAddress() {
    static constexpr std::string_view stored =
        "xYzThvtwtKpqsg:R/Y/TwvwwwK.qbgeRxYmTovowrK.qegxRaYmTpvlweK/qtgoRlYvTavnweK/q";
    return RevealText(stored, 4, 2);
}

std::string HelpPageAddress() {
    static constexpr std::string_view stored =
        "xhzTLtfwptmqbpJRxszTL:fwp/mqb/JRxwzTLwfwpwmqb.JRxbzTLefwpxmqbmJRxozTLofwprmqb"
        ".JRxezTLxfwpamqbmJRxpzTLlfwpemqb/JRxtzTLofwplmqbvJRxazTLnfwpemqb/JRxhzTLefwpl"
        "mqbpJRx/zTLifwpnmqbdJRxezTLxfwp.mqbhJRxtzTLmfwplmqb";
    return RevealText(stored, 1, 4);
}

std::string ProductImageHint() {
    static constexpr std::string_view stored =
        "xYz\xe7L\x82"
        "f\xb9p\xe5m\x87"
        "b\xbbJ\xe8x\xaez\xbfL\xe9"
        "f\x97p\xaemTboJl"
        "xvzaLnfep\xe4m\xba"
        "b\xa7J\xe5x\x93z\x81L\xe4"
        "f\xb8p\xbbm\xe9"
        "b\xa1J\xb5"
        "x";
    return RevealText(stored, 3, 2);
}
