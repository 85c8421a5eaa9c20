#include "data/HelpTexts.h"

#include "data/HiddenText.h"
#include "data/ProgramIdentity.h"

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

std::string MainCaption() {
    // The closing words stand between filler letters, out of plain sight in the program file.
    static constexpr std::u16string_view scrambled = u"q规z律k搜w索e与p走t势r分h析";
    std::u16string tail;
    for (size_t i = 1; i < scrambled.size(); i += 2) tail += scrambled[i];
    std::string utf8;
    for (char16_t c : tail) {  // all of them in the Basic Multilingual Plane, none surrogates
        utf8 += static_cast<char>(0xE0 | (c >> 12));
        utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        utf8 += static_cast<char>(0x80 | (c & 0x3F));
    }
    return std::string(ProductName) + " v" + ReleaseVersion + " - " + MakerName + " " + MakerSite +
           " - " + utf8;
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
