// FetchUrl through libcurl (Linux and other POSIX systems).
#include <curl/curl.h>

#include <algorithm>
#include <mutex>

#include "data/Error.h"
#include "data/ProgramIdentity.h"
#include "data/net/DataDown.h"

namespace {

// A draw history is a few hundred kilobytes; a reply far beyond that is no draw list.
constexpr size_t MaxReplyBytes = 16u << 20;

struct TBodySink {
    std::string Body;
    bool TooLarge = false;
};

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<TBodySink*>(user);
    const size_t bytes = size * count;
    if (sink->Body.size() + bytes > MaxReplyBytes) {
        sink->TooLarge = true;
        return 0;  // makes curl fail with a write error
    }
    sink->Body.append(data, bytes);
    return bytes;
}

// Called by curl at least about once a second while it works; a non-zero answer aborts.
int CheckStop(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<const std::atomic<bool>*>(user)->load() ? 1 : 0;
}

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::string CurlFault(CURLcode code, const char* detail, std::chrono::milliseconds timeout,
                      const std::string& shownAddress, long redirects, long status) {
    const std::string why = detail[0] != '\0' ? detail : curl_easy_strerror(code);
    switch (code) {
        case CURLE_OPERATION_TIMEDOUT:
            return "下载服务器在" + WholeSeconds(timeout) + "秒内没有回应。";
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_COULDNT_CONNECT:
            return "无法连接下载服务器（" + why +
                   "）。\r\n请检查网络连接，或者 pavolen.ini 中 [TDataDown] 的 ServiceUrl。";
        case CURLE_URL_MALFORMAT:
        case CURLE_UNSUPPORTED_PROTOCOL:
            // An http or https address that ends here was answered: with a redirect to a
            // scheme curl refuses (before counting it), or with something that is not HTTP.
            if (redirects > 0 || (status >= 300 && status < 400))
                return "下载服务器把请求转到了不支持的地址（" + why + "）。";
            if (IsWebAddress(shownAddress))
                return "下载服务器出错：回复无法识别或不完整（" + why + "）。";
            return "下载服务器地址无效：" + shownAddress;
        case CURLE_TOO_MANY_REDIRECTS:
            return "下载服务器的转向太多（" + why + "）。";
        case CURLE_WEIRD_SERVER_REPLY:
        case CURLE_GOT_NOTHING:
        case CURLE_RECV_ERROR:
        case CURLE_PARTIAL_FILE:
        case CURLE_BAD_CONTENT_ENCODING:
            return "下载服务器出错：回复无法识别或不完整（" + why + "）。";
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CACERT_BADFILE:
            return "无法与下载服务器建立安全连接（" + why + "）。";
        default:
            return "下载失败（" + why + "）。";
    }
}

}  // namespace

std::string FetchUrl(const std::string& url, std::chrono::milliseconds timeout,
                     const std::atomic<bool>& stop, const std::string& shownAddress) {
    InitCurlOnce();
    CURL* curl = curl_easy_init();
    if (curl == nullptr) throw TError("下载失败（无法初始化网络连接）。");
    TBodySink sink;
    char detail[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, detail);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);  // no signals on a worker thread
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(timeout.count()));
    // gzip saves most of a draw list on the wire; brotli costs a server far more time.
    curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "gzip, deflate");
    curl_easy_setopt(curl, CURLOPT_USERAGENT, (SoftName() + "/" + SoftVersion).c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, CheckStop);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, const_cast<std::atomic<bool>*>(&stop));
    const CURLcode code = curl_easy_perform(curl);
    long status = 0;
    long redirects = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_getinfo(curl, CURLINFO_REDIRECT_COUNT, &redirects);
    curl_easy_cleanup(curl);

    if (code == CURLE_ABORTED_BY_CALLBACK || stop.load()) throw TError("下载已取消。");
    if (sink.TooLarge) throw TError("下载服务器的回复太大，不是开奖数据。");
    // No connection, no name or no answer in time: the service was never reached.
    if (code == CURLE_COULDNT_CONNECT || code == CURLE_COULDNT_RESOLVE_HOST ||
        code == CURLE_COULDNT_RESOLVE_PROXY || code == CURLE_OPERATION_TIMEDOUT)
        throw TUnreachableError(CurlFault(code, detail, timeout, shownAddress, redirects, status));
    if (code != CURLE_OK)
        throw TError(CurlFault(code, detail, timeout, shownAddress, redirects, status));
    if (status < 200 || status >= 300)
        throw TError("下载服务器返回了错误（HTTP " + std::to_string(status) + "）。");
    return std::move(sink.Body);
}

void PrepareDownloads() {
    InitCurlOnce();
}
