#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/DownloadCodec.h"
#include "data/Error.h"
#include "data/TextCodec.h"

namespace {

// The message of the TError that body raises, or "" when it parses.
std::string ReplyFault(const std::string& body) {
    try {
        ParseDownloadReply(body);
    } catch (const TError& e) {
        return e.what();
    }
    return {};
}

TEST(DrawKey, DigitsComeFromTheNameAndTheMultiplierFromTheirSum) {
    // P A V O L E N: codes 80 65 86 79 76 69 78.
    const TDrawKey key = DeriveDrawKey("PAVOLEN");
    EXPECT_EQ(key.K, (std::array<int, 8>{7, 0, 5, 6, 9, 6, 9, 8}));
    EXPECT_EQ(DrawKey(), key);
    // Digits that add up to 0 must not divide by zero; a short name has zero digits at the end.
    EXPECT_EQ(DeriveDrawKey("((((((("), TDrawKey{});
    EXPECT_EQ(DeriveDrawKey("A").K, (std::array<int, 8>{738 % 5, 5, 0, 0, 0, 0, 0, 0}));
}

TEST(DrawScrambling, DescramblesByTheIssueTailAndPosition) {
    // c_i = (0 + 2000 - 7 i - 5 K_i) mod 10 for issue tail 5.
    EXPECT_EQ(DescrambleDraw(DrawKey(), "2019005", "0000000"), "3197531");
    // The whole issue is read; digits after the seventh are damage.
    EXPECT_THROW(DescrambleDraw(DrawKey(), "2019005", "0000000999"), TError);
    EXPECT_EQ(DescrambleDraw(DrawKey(), "15", "0000000"), "3197531");
}

TEST(DrawScrambling, ScrambleIsTheExactInverseForEveryIssueTail) {
    const std::vector<std::string> draws = {"0000000", "0123456", "9999999",
                                            "1000000", "0000001", "5050505"};
    for (int issue = 2019000; issue < 2019010; ++issue) {
        for (const std::string& draw : draws) {
            const std::string wire = ScrambleDraw(DrawKey(), issue, draw);
            EXPECT_EQ(DescrambleDraw(DrawKey(), std::to_string(issue), wire), draw)
                << issue << " " << draw;
        }
    }
    // The scrambling really changes digits.
    EXPECT_NE(ScrambleDraw(DrawKey(), 2019001, "0000000"), "0000000");
    EXPECT_THROW(ScrambleDraw(DrawKey(), 1, "123456"), TError);
    EXPECT_THROW(ScrambleDraw(DrawKey(), 1, "12345x7"), TError);
}

TEST(DrawScrambling, RefusesFieldsThatAreNoDraw) {
    for (auto [issue, digits] : {std::pair{"", "1234567"},
                                 {"20a9", "1234567"},
                                 {"-5", "1234567"},
                                 {"99999999999", "1234567"},
                                 {"1", "123456"},
                                 {"1", "12 4567"},
                                 {"1", "+123456"}})
        EXPECT_THROW(DescrambleDraw(DrawKey(), issue, digits), TError) << issue << "#" << digits;
}

TEST(DownloadRequest, EncodesEveryValueAndKeepsKeyOrder) {
    EXPECT_EQ(PercentEncode("a b&c#d+e=f%g?"), "a%20b%26c%23d%2Be%3Df%25g%3F");
    EXPECT_EQ(PercentEncode("Az09-._~"), "Az09-._~");
    EXPECT_EQ(PercentEncode("张"), "%E5%BC%A0");  // bytes as they are
    EXPECT_EQ(BuildRequestUrl({"http://h.example/down", "张 三&#", ""}),
              "http://h.example/down?soft=PAVOLEN&softid=27&ver=1.08"
              "&mName=%D5%C5%20%C8%FD%26%23&mPw=");  // the name in code page 936
    EXPECT_EQ(BuildRequestUrl({"http://h.example/down?site=1", "", "pw"}),
              "http://h.example/down?site=1&soft=PAVOLEN&softid=27&ver=1.08&mName=&mPw=pw");
}

TEST(DownloadRequest, BuiltInServiceIsOnAReservedDomain) {
    const std::string url = DefaultServiceUrl();
    ASSERT_EQ(url.rfind("http://", 0), 0u) << url;
    const std::string host = url.substr(7, url.find('/', 7) - 7);
    EXPECT_TRUE(host.ends_with(".example")) << host;
}

TEST(DownloadReply, TakesFieldsOneAndThreeOfEachLineInOrder) {
    const std::string body = EncodeGbk("成功\r\n") +
                             "2019001#x#1234567\r\n"
                             "\r\n"
                             "  2019002 # 2019-01-02 # 0012345 # extra \n"
                             "2019003#y#7654321\r\n"
                             "\r\n";
    EXPECT_EQ(ParseDownloadReply(body),
              (std::vector<std::string>{"2019001#1234567", "2019002#0012345", "2019003#7654321"}));
    // A UTF-8 reply with a byte order mark reads the same.
    EXPECT_EQ(ParseDownloadReply("\xEF\xBB\xBF下载成功\n1#a#0000000"),
              (std::vector<std::string>{"1#0000000"}));
}

TEST(DownloadReply, RefusesRepliesThatAreNoDrawList) {
    const std::string ok = "成功\r\n";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "下载服务器的回复是空的。"},
        {"\r\n1#a#1234567", "下载服务器的回复不是开奖数据。"},
        {EncodeGbk("会员名或密码错误\r\n1#a#1234567"), "下载服务器拒绝了请求：会员名或密码错误"},
        {ok, "下载服务器没有发来开奖数据。"},
        {ok + "\r\n  \r\n", "下载服务器没有发来开奖数据。"},
        {ok + "1#a#1234567\r\n2##7654321", "回复第3行不是开奖数据：2##7654321"},
        {ok + "1#a#123456", "回复第2行的开奖号码不足7位：1#a#123456"},
        {ok + "1#a#12345x7", "回复第2行的开奖号码不是数字：1#a#12345x7"},
        {ok + "1#a#76543210", "回复第2行的开奖号码后面有多余的字符：1#a#76543210"},
        {ok + "1#a#1234567x", "回复第2行的开奖号码后面有多余的字符：1#a#1234567x"},
        {ok + "第1期#a#1234567", "回复第2行的期号不是数字：第1期#a#1234567"},
    };
    for (const auto& [body, message] : cases) EXPECT_EQ(ReplyFault(body), message) << body;
    // A long bad line is cut short in the message.
    const std::string fault = ReplyFault(ok + "1#" + std::string(500, 'z'));
    EXPECT_LT(fault.size(), 120u);
    EXPECT_TRUE(fault.ends_with("…")) << fault;
}

TEST(ReceivedItems, DecodeToDrawNumbersKeepingLeadingZerosForLater) {
    const std::string wire = ScrambleDraw(DrawKey(), 2019004, "0012345");
    EXPECT_EQ(DecodeReceivedItems({"2019004#" + wire, "2019005#0000000"}, DrawKey()),
              (std::vector<int32_t>{12345, 3197531}));
    EXPECT_THROW(DecodeReceivedItems({}, DrawKey()), TError);
    for (const char* bad : {"2019004", "x#1234567", "1#12345"}) {
        try {
            DecodeReceivedItems({"1#0000000", std::string(bad)}, DrawKey());
            ADD_FAILURE() << bad;
        } catch (const TError& e) {
            EXPECT_TRUE(std::string(e.what()).starts_with("第2条数据")) << e.what();
        }
    }
}

}  // namespace
