#include "data/DownloadCodec.h"

#include <cctype>

#include "data/DrawText.h"
#include "data/Error.h"
#include "data/HiddenText.h"
#include "data/MessageText.h"
#include "data/TextCodec.h"

namespace {

// The multiplier's source number; only its remainder by the key digits' sum is used.
constexpr int KeySource = 738;

// The service address between filler letters: character i stands at 2 + 3 * i.
constexpr char StoredServiceUrl[] =
    "xYhTLtfwtKmpbg:Rx/zT/vfdpKoqbwJRnYz.LvbwpemqxgJmxYoTLofwrKm.bgeRxxzTavfmpKpqblJReYz/Lvp"
    "wpamqvgJoxYlTLefwnKm/bgdRxazTtvfapKdqboJRwYznLv.wpamqsgJpxY";

constexpr char NoDrawsMessage[] = "下载服务器没有发来开奖数据。";

bool IsDecimalNumber(std::string_view text) {
    int32_t ignored = 0;
    return IsAllDigits(text) && TryStrToInt(text, ignored);
}

// What is wrong with an issue and a digits field, or the empty text when they make a draw.
std::string DrawFieldsFault(std::string_view issue, std::string_view digits) {
    if (!IsDecimalNumber(issue)) return "期号不是数字";
    if (digits.size() < 7) return "开奖号码不足7位";
    if (!IsAllDigits(digits.substr(0, 7))) return "开奖号码不是数字";
    // Anything after the seven digits is damage, not a draw to take in part.
    if (digits.size() > 7) return "开奖号码后面有多余的字符";
    return {};
}

int LastDigit(std::string_view decimal) {
    return decimal.back() - '0';
}

}  // namespace

std::string SoftName() {
    std::string name = ShortName;
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name;
}

std::string DefaultServiceUrl() {
    return RevealText(StoredServiceUrl, 2, 3);
}

TDrawKey DeriveDrawKey(std::string_view softName) {
    TDrawKey key;
    int sum = 0;
    for (size_t i = 1; i <= 7; ++i) {
        key.K[i] = i <= softName.size() ? static_cast<unsigned char>(softName[i - 1]) % 10 : 0;
        sum += key.K[i];
    }
    key.K[0] = sum == 0 ? 0 : KeySource % sum;
    return key;
}

const TDrawKey& DrawKey() {
    static const TDrawKey key = DeriveDrawKey(SoftName());
    return key;
}

std::string ScrambleDraw(const TDrawKey& key, int64_t issue, std::string_view digits) {
    if (digits.size() != 7 || !IsAllDigits(digits))
        throw TError("'" + std::string(digits) + "' is not a draw");
    const int64_t tail = ((issue % 10) + 10) % 10;
    std::string out(7, '0');
    for (int i = 1; i <= 7; ++i) {
        const int d = digits[static_cast<size_t>(i - 1)] - '0';
        out[static_cast<size_t>(i - 1)] = static_cast<char>(
            '0' + (d + i * key.K[0] + static_cast<int>(tail) * key.K[static_cast<size_t>(i)]) % 10);
    }
    return out;
}

std::string DescrambleDraw(const TDrawKey& key, std::string_view issueText,
                           std::string_view scrambled) {
    const std::string fault = DrawFieldsFault(issueText, scrambled);
    if (!fault.empty())
        throw TError(fault + "：" + std::string(issueText) + "#" + std::string(scrambled));
    const int tail = LastDigit(issueText);
    std::string out(7, '0');
    for (int i = 1; i <= 7; ++i) {
        const int c = scrambled[static_cast<size_t>(i - 1)] - '0';
        // 2000 keeps the value positive before the remainder.
        out[static_cast<size_t>(i - 1)] = static_cast<char>(
            '0' + (c + 2000 - i * key.K[0] - tail * key.K[static_cast<size_t>(i)]) % 10);
    }
    return out;
}

std::string PercentEncode(std::string_view bytes) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (std::isalnum(c) != 0 && c < 0x80) {
            out += ch;
        } else if (c == '-' || c == '.' || c == '_' || c == '~') {
            out += ch;
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string BuildRequestUrl(const TDownloadRequest& request) {
    std::string url = request.ServiceUrl;
    url += url.find('?') == std::string::npos ? "?" : "&";
    url += "soft=" + PercentEncode(SoftName());
    url += "&softid=" + PercentEncode(SoftId);
    url += "&ver=" + PercentEncode(SoftVersion);
    // The service reads the member's name and password in code page 936.
    url += "&mName=" + PercentEncode(EncodeGbk(request.MemberName));
    url += "&mPw=" + PercentEncode(EncodeGbk(request.MemberPassword));
    return url;
}

std::vector<std::string> ParseDownloadReply(std::string_view body) {
    // Unlike a user's file, a reply never holds a zero byte: one means the reply is damaged,
    // and reading on would silently drop the draws after it.
    if (body.find('\0') != std::string_view::npos)
        throw TError("下载服务器的回复已损坏（含有空字节）。");
    const std::vector<std::string> lines = SplitLines(DecodeTextFile(body));
    if (lines.empty()) throw TError("下载服务器的回复是空的。");
    if (lines.front().find("成功") == std::string::npos) {
        const std::string status = Trim(lines.front());
        if (status.empty()) throw TError("下载服务器的回复不是开奖数据。");
        throw TError("下载服务器拒绝了请求：" + MessageExcerpt(status));
    }
    std::vector<std::string> items;
    for (size_t n = 1; n < lines.size(); ++n) {
        const std::string line = Trim(lines[n]);
        if (line.empty()) continue;
        const std::string where = "回复第" + std::to_string(n + 1) + "行";
        const std::vector<std::string> fields = SplitText("#", line);
        if (fields.size() < 3) throw TError(where + "不是开奖数据：" + MessageExcerpt(line));
        const std::string issue = Trim(fields[0]);
        const std::string digits = Trim(fields[2]);
        const std::string fault = DrawFieldsFault(issue, digits);
        if (!fault.empty()) throw TError(where + "的" + fault + "：" + MessageExcerpt(line));
        items.push_back(issue + "#" + digits);
    }
    // Applying an empty list would wipe the whole history.
    if (items.empty()) throw TError(NoDrawsMessage);
    return items;
}

std::vector<int32_t> DecodeReceivedItems(const std::vector<std::string>& items,
                                         const TDrawKey& key) {
    if (items.empty()) throw TError(NoDrawsMessage);
    std::vector<int32_t> numbers;
    numbers.reserve(items.size());
    for (size_t n = 0; n < items.size(); ++n) {
        const std::vector<std::string> fields = SplitText("#", items[n]);
        const std::string where = "第" + std::to_string(n + 1) + "条数据";
        if (fields.size() < 2) throw TError(where + "不是开奖数据：" + MessageExcerpt(items[n]));
        const std::string issue = Trim(fields[0]);
        const std::string digits = Trim(fields[1]);
        const std::string fault = DrawFieldsFault(issue, digits);
        if (!fault.empty()) throw TError(where + "的" + fault + "：" + MessageExcerpt(items[n]));
        numbers.push_back(StrToInt(DescrambleDraw(key, issue, digits)));
    }
    return numbers;
}
