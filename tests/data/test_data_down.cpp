#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <future>
#include <string>
#include <vector>

#include "data/DrawImport.h"
#include "data/DrawText.h"
#include "data/net/DataDown.h"
#include "tests/support/DrawServiceProcess.h"

namespace {

using namespace std::chrono_literals;

// Waits are counted in milliseconds instead of seconds.
constexpr TDownloadTiming Quick{1ms, 20000ms};

class DataDownTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = ::testing::TempDir() + "tolvane_down_XXXXXX";
        ASSERT_NE(::mkdtemp(folder_.data()), nullptr);
    }

    std::string WriteFile(const std::string& name, const std::string& bytes) {
        const std::string path = folder_ + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    // Draws with leading zeros in every position now and then.
    std::string DrawText(int count) {
        std::string text;
        uint32_t state = 7;
        for (int i = 0; i < count; ++i) {
            state = state * 1664525u + 1013904223u;
            int32_t number = static_cast<int32_t>(state % 10000000u);
            if (i % 7 == 0) number %= 100000;
            text += ZeroPad7(number) + (i % 2 == 0 ? "\r\n" : "\n");
        }
        return text;
    }

    static TDownloadResult Run(const std::string& url, const std::string& member = "",
                               const std::string& password = "", TDownloadTiming timing = Quick) {
        TJobControl control;
        return RunDownload({url, member, password}, timing, std::chrono::steady_clock::now(),
                           control);
    }

    std::string folder_;
};

TEST_F(DataDownTest, FullDownloadRoundTripsEveryDigit) {
    const std::string text = DrawText(300);
    TDrawServiceProcess service(TOLVANE_DRAWSVC_PATH, {"--draws", WriteFile("draws.txt", text),
                                                       "--first-issue", "2019001"});
    ASSERT_FALSE(service.Url.empty());
    const TDownloadResult result = Run(service.Url);
    ASSERT_TRUE(result.Succeeded) << result.Error;
    ASSERT_EQ(result.Items.size(), 300u);
    EXPECT_EQ(result.Items.front().substr(0, 8), "2019001#");
    EXPECT_EQ(result.Items.back().substr(0, 8), "2019300#");
    EXPECT_EQ(DecodeReceivedItems(result.Items, DrawKey()), ParseDrawNumbers(text));
}

TEST_F(DataDownTest, MemberTextsArriveExactlyAsTyped) {
    const std::string member = "张 三&mPw=x#1+2%";
    const std::string password = "p w&#?";
    TDrawServiceProcess service(TOLVANE_DRAWSVC_PATH,
                                {"--draws", WriteFile("draws.txt", DrawText(3)), "--member", member,
                                 "--password", password});
    ASSERT_FALSE(service.Url.empty());
    const TDownloadResult right = Run(service.Url, member, password);
    EXPECT_TRUE(right.Succeeded) << right.Error;
    EXPECT_EQ(right.Items.size(), 3u);
    for (auto [name, pw] : {std::pair{member, std::string()}, {"张 三", password}}) {
        const TDownloadResult wrong = Run(service.Url, name, pw);
        EXPECT_FALSE(wrong.Succeeded);
        EXPECT_EQ(wrong.Error, "下载服务器拒绝了请求：会员名或密码错误");
    }
}

TEST_F(DataDownTest, TransportFaultsFailWithAReason) {
    TDrawServiceProcess service(TOLVANE_DRAWSVC_PATH,
                                {"--draws", WriteFile("draws.txt", DrawText(3))});
    ASSERT_FALSE(service.Url.empty());
    EXPECT_EQ(Run(service.Url + "/elsewhere").Error, "下载服务器返回了错误（HTTP 404）。");

    TTestPort silent(true);
    ASSERT_NE(silent.Port, 0);
    const TDownloadResult late =
        Run("http://127.0.0.1:" + std::to_string(silent.Port) + "/down", "", "", {1ms, 300ms});
    EXPECT_FALSE(late.Succeeded);
    EXPECT_EQ(late.Error, "下载服务器在1秒内没有回应。");

    TTestPort refusing(false);
    ASSERT_NE(refusing.Port, 0);
    const TDownloadResult refused = Run("http://127.0.0.1:" + std::to_string(refusing.Port));
    EXPECT_FALSE(refused.Succeeded);
    EXPECT_TRUE(refused.Error.starts_with("无法连接下载服务器")) << refused.Error;

    EXPECT_EQ(Run("ftp://127.0.0.1/down").Error, "下载服务器地址无效：ftp://127.0.0.1/down");
}

TEST_F(DataDownTest, EachBrokenReplyIsBlamedOnWhatBrokeIt) {
    struct TCase {
        const char* Reply;
        const char* Expected;  // start of the message
    };
    const TCase cases[] = {
        {"SSH-2.0-OpenSSH_9.2\r\n\r\n", "下载服务器出错：回复无法识别或不完整"},
        {"HTTP/1.1 302 Found\r\nLocation: file:///etc/passwd\r\nContent-Length: 0\r\n\r\n",
         "下载服务器把请求转到了不支持的地址"},
        {"HTTP/1.1 301 Moved\r\nLocation: ftp://127.0.0.1/x\r\nContent-Length: 0\r\n\r\n",
         "下载服务器把请求转到了不支持的地址"},
        {"HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n2019001#1234567\r\n",
         "下载服务器出错：回复无法识别或不完整"},
        {"", "下载服务器出错：回复无法识别或不完整"},
    };
    for (const TCase& test : cases) {
        TCannedReplyServer server(test.Reply);
        ASSERT_FALSE(server.Url.empty());
        const TDownloadResult result = Run(server.Url);
        EXPECT_FALSE(result.Succeeded) << test.Reply;
        EXPECT_TRUE(result.Error.starts_with(test.Expected))
            << test.Reply << " -> " << result.Error;
    }
    // A redirect to itself, over and over.
    TCannedReplyServer loop("");
    ASSERT_FALSE(loop.Url.empty());
    TCannedReplyServer redirecting("HTTP/1.1 302 Found\r\nLocation: " + loop.Url +
                                   "\r\nContent-Length: 0\r\n\r\n");
    EXPECT_TRUE(Run(redirecting.Url).Error.starts_with("下载服务器出错"))
        << Run(redirecting.Url).Error;
}

TEST_F(DataDownTest, CancelEndsTheWaitOrTheRequest) {
    TDrawServiceProcess service(TOLVANE_DRAWSVC_PATH,
                                {"--draws", WriteFile("draws.txt", DrawText(1))});
    ASSERT_FALSE(service.Url.empty());
    TTestPort silent(true);
    ASSERT_NE(silent.Port, 0);
    const std::string url = "http://127.0.0.1:" + std::to_string(silent.Port) + "/down";
    // Cancelled while waiting before the request (units of an hour: a service that answers at
    // once is not asked yet), and while a silent service keeps the request waiting.
    for (auto [address, timing] : {std::pair{service.Url, TDownloadTiming{3600s, 600s}},
                                   std::pair{url, TDownloadTiming{0ms, 3600s}}}) {
        TJobControl control;
        PrepareDownloads();
        auto download = std::async(std::launch::async, [&, address = address, timing = timing] {
            return RunDownload({address, "", ""}, timing, std::chrono::steady_clock::now(),
                               control);
        });
        EXPECT_EQ(download.wait_for(200ms), std::future_status::timeout);
        control.Cancel();
        const TDownloadResult result = download.get();
        EXPECT_FALSE(result.Succeeded);
        EXPECT_EQ(result.Error, "下载已取消。");
    }
}

// The failure texts name a time limit in whole seconds rounded up (never 0) and tell an http or
// https address, in any case, from anything else.
TEST(DataDownTexts, SecondsRoundUpAndWebAddressesAreHttpOrHttps) {
    using std::chrono::milliseconds;
    for (const auto& [span, text] : std::vector<std::pair<int64_t, std::string>>{
             {0, "1"}, {1, "1"}, {1000, "1"}, {1001, "2"}, {30000, "30"}})
        EXPECT_EQ(WholeSeconds(milliseconds(span)), text) << span;
    for (const auto& [address, web] :
         std::vector<std::pair<std::string, bool>>{{"http://a", true},
                                                   {"HTTPS://a/b", true},
                                                   {"ftp://a", false},
                                                   {"http:/a", false},
                                                   {"a.cn:80", false},
                                                   {"", false}})
        EXPECT_EQ(IsWebAddress(address), web) << address;
}

}  // namespace
