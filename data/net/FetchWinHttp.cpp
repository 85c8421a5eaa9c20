// FetchUrl through WinHTTP, the system's own HTTP client on Windows: no library to ship.
#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "data/Error.h"
#include "data/ProgramIdentity.h"
#include "data/net/DataDown.h"

namespace {

// A draw history is a few hundred kilobytes; a reply far beyond that is no draw list.
constexpr size_t MaxReplyBytes = 16u << 20;

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(std::max(size, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
    return wide;
}

std::string Narrow(const wchar_t* wide) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return {};
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), size, nullptr, nullptr);
    utf8.resize(static_cast<size_t>(size - 1));
    return utf8;
}

// The system's text for a WinHTTP error, without its line end.
std::string ErrorText(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                        FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_FROM_SYSTEM;
    FormatMessageW(flags, GetModuleHandleW(L"winhttp.dll"), code, 0,
                   reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string why = text != nullptr ? Narrow(text) : std::string();
    if (text != nullptr) LocalFree(text);
    while (!why.empty() && (why.back() == '\n' || why.back() == '\r' || why.back() == ' '))
        why.pop_back();
    return why.empty() ? "WinHTTP " + std::to_string(code) : why;
}

std::string WinHttpFault(DWORD code, std::chrono::milliseconds timeout,
                         const std::string& shownAddress) {
    const std::string why = ErrorText(code);
    switch (code) {
        case ERROR_WINHTTP_TIMEOUT:
            return "下载服务器在" + WholeSeconds(timeout) + "秒内没有回应。";
        case ERROR_WINHTTP_NAME_NOT_RESOLVED:
        case ERROR_WINHTTP_CANNOT_CONNECT:
        case ERROR_WINHTTP_CONNECTION_ERROR:
            return "无法连接下载服务器（" + why +
                   "）。\r\n请检查网络连接，或者 pavolen.ini 中 [TDataDown] 的 ServiceUrl。";
        case ERROR_WINHTTP_INVALID_URL:
        case ERROR_WINHTTP_UNRECOGNIZED_SCHEME:
            if (IsWebAddress(shownAddress))
                return "下载服务器出错：回复无法识别或不完整（" + why + "）。";
            return "下载服务器地址无效：" + shownAddress;
        case ERROR_WINHTTP_REDIRECT_FAILED:
            return "下载服务器把请求转到了不支持的地址（" + why + "）。";
        case ERROR_WINHTTP_INVALID_SERVER_RESPONSE:
        case ERROR_WINHTTP_INVALID_HEADER:
        case ERROR_WINHTTP_HEADER_NOT_FOUND:
            return "下载服务器出错：回复无法识别或不完整（" + why + "）。";
        case ERROR_WINHTTP_SECURE_FAILURE:
        case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
        case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
        case ERROR_WINHTTP_SECURE_INVALID_CA:
        case ERROR_WINHTTP_SECURE_CERT_REV_FAILED:
        case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
        case ERROR_WINHTTP_SECURE_INVALID_CERT:
        case ERROR_WINHTTP_SECURE_CERT_REVOKED:
            return "无法与下载服务器建立安全连接（" + why + "）。";
        default:
            return "下载失败（" + why + "）。";
    }
}

struct THandle {
    HINTERNET Value = nullptr;
    ~THandle() {
        if (Value != nullptr) WinHttpCloseHandle(Value);
    }
};

// Closes the request when stop is set or the time is up: closing a WinHTTP handle ends the
// call that waits on it at once, where the per-step timeouts alone could add up.
class TWatch {
  public:
    TWatch(HINTERNET request, std::chrono::milliseconds timeout, const std::atomic<bool>& stop)
        : thread_([this, request, timeout, &stop] {
              const auto deadline = std::chrono::steady_clock::now() + timeout;
              std::unique_lock lock(mutex_);
              while (!done_) {
                  if (stop.load()) break;
                  if (std::chrono::steady_clock::now() >= deadline) {
                      timedOut_ = true;
                      break;
                  }
                  wake_.wait_for(lock, std::chrono::milliseconds(50));
              }
              if (!done_) {
                  closed_ = true;
                  WinHttpCloseHandle(request);
              }
          }) {}
    // Ends the watch; whether it closed the request (the caller must not close it again).
    bool Finish() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        wake_.notify_all();
        thread_.join();
        return closed_;
    }
    bool TimedOut() const { return timedOut_; }

  private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    bool closed_ = false;
    bool timedOut_ = false;
    std::thread thread_;
};

}  // namespace

std::string FetchUrl(const std::string& url, std::chrono::milliseconds timeout,
                     const std::atomic<bool>& stop, const std::string& shownAddress) {
    std::wstring wideUrl = Wide(url);
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof(parts);
    parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUrlPathLength =
        parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(wideUrl.c_str(), 0, 0, &parts) ||
        (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)) {
        throw TError(IsWebAddress(shownAddress) ? "下载服务器出错：回复无法识别或不完整（" +
                                                      ErrorText(ERROR_WINHTTP_INVALID_URL) + "）。"
                                                : "下载服务器地址无效：" + shownAddress);
    }
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
    path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (path.empty()) path = L"/";

    const std::wstring agent = Wide(SoftName() + "/" + SoftVersion);
    THandle session{WinHttpOpen(agent.c_str(), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0)};
    if (session.Value == nullptr) throw TError("下载失败（无法初始化网络连接）。");
    const int step = static_cast<int>(std::clamp<int64_t>(timeout.count(), 1, INT32_MAX));
    WinHttpSetTimeouts(session.Value, step, step, step, step);
    DWORD redirects = 5;
    WinHttpSetOption(session.Value, WINHTTP_OPTION_MAX_HTTP_AUTOMATIC_REDIRECTS, &redirects,
                     sizeof(redirects));
    // gzip saves most of a draw list on the wire; older systems take the reply as it is.
    DWORD decompression = WINHTTP_DECOMPRESSION_FLAG_GZIP | WINHTTP_DECOMPRESSION_FLAG_DEFLATE;
    WinHttpSetOption(session.Value, WINHTTP_OPTION_DECOMPRESSION, &decompression,
                     sizeof(decompression));

    THandle connection{WinHttpConnect(session.Value, host.c_str(), parts.nPort, 0)};
    if (connection.Value == nullptr)
        throw TError(WinHttpFault(GetLastError(), timeout, shownAddress));
    const DWORD secure = parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0;
    HINTERNET request =
        WinHttpOpenRequest(connection.Value, L"GET", path.c_str(), nullptr, WINHTTP_NO_REFERER,
                           WINHTTP_DEFAULT_ACCEPT_TYPES, secure);
    if (request == nullptr) throw TError(WinHttpFault(GetLastError(), timeout, shownAddress));

    TWatch watch(request, timeout, stop);
    DWORD fault = ERROR_SUCCESS;
    DWORD status = 0;
    bool tooLarge = false;
    std::string body;
    if (!WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0,
                            0, 0) ||
        !WinHttpReceiveResponse(request, nullptr)) {
        fault = GetLastError();
    } else {
        DWORD size = sizeof(status);
        if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                 WINHTTP_HEADER_NAME_BY_INDEX, &status, &size,
                                 WINHTTP_NO_HEADER_INDEX))
            fault = GetLastError();
        char buffer[16384];
        while (fault == ERROR_SUCCESS) {
            DWORD read = 0;
            if (!WinHttpReadData(request, buffer, sizeof(buffer), &read)) {
                fault = GetLastError();
                break;
            }
            if (read == 0) break;
            if (body.size() + read > MaxReplyBytes) {
                tooLarge = true;
                break;
            }
            body.append(buffer, read);
        }
    }
    if (!watch.Finish()) WinHttpCloseHandle(request);

    if (stop.load()) throw TError("下载已取消。");
    if (tooLarge) throw TError("下载服务器的回复太大，不是开奖数据。");
    if (watch.TimedOut()) throw TError(WinHttpFault(ERROR_WINHTTP_TIMEOUT, timeout, shownAddress));
    if (fault != ERROR_SUCCESS) throw TError(WinHttpFault(fault, timeout, shownAddress));
    if (status < 200 || status >= 300)
        throw TError("下载服务器返回了错误（HTTP " + std::to_string(status) + "）。");
    return body;
}

void PrepareDownloads() {}
