#include "data/net/DataDown.h"

#include <algorithm>
#include <cctype>
#include <random>

#include "data/Error.h"

namespace {

// Waits whole units of the timing before the request; false when cancelled meanwhile.
bool WaitBeforeRequest(const TDownloadTiming& timing, std::chrono::steady_clock::time_point created,
                       TJobControl& control) {
    const auto unit = timing.SecondLength;
    if (unit.count() <= 0) return !control.Cancelled();
    std::minstd_rand random(static_cast<unsigned>(created.time_since_epoch().count()));
    std::uniform_int_distribution<int> spread(0, 4);
    // Several looks per unit, so that the moment the wait ends hardly depends on the pace.
    const auto pause =
        std::clamp(unit / 20, std::chrono::milliseconds(1), std::chrono::milliseconds(50));
    while (!control.Cancelled()) {
        const int64_t whole = (std::chrono::steady_clock::now() - created) / unit;
        const int limit = 3 + spread(random);  // drawn afresh at every look
        if (whole > limit) return true;
        if (!control.WaitFor(pause)) return false;
    }
    return false;
}

}  // namespace

std::string WholeSeconds(std::chrono::milliseconds span) {
    return std::to_string(std::max<int64_t>(1, (span.count() + 999) / 1000));
}

bool IsWebAddress(const std::string& address) {
    std::string scheme = address.substr(0, address.find("://"));
    for (char& c : scheme) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return address.find("://") != std::string::npos && (scheme == "http" || scheme == "https");
}

TDownloadResult RunDownload(const TDownloadRequest& request, const TDownloadTiming& timing,
                            std::chrono::steady_clock::time_point created, TJobControl& control) {
    TDownloadResult result;
    if (!WaitBeforeRequest(timing, created, control)) {
        result.Error = "下载已取消。";
        return result;
    }
    try {
        result.Items = ParseDownloadReply(FetchUrl(BuildRequestUrl(request), timing.Timeout,
                                                   control.CancelFlag(), request.ServiceUrl));
        result.Succeeded = true;
    } catch (const TUnreachableError& e) {
        result.Error = e.what();
        result.Unreachable = true;
    } catch (const TError& e) {
        result.Error = e.what();
    }
    return result;
}
