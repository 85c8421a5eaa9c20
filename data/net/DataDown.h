#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

#include "data/DownloadCodec.h"
#include "data/Error.h"
#include "data/JobControl.h"

// How long the worker waits before its request and how long the request may take.
struct TDownloadTiming {
    // The worker counts whole units of this length before it sends the request (at least 4);
    // zero sends at once.
    std::chrono::milliseconds SecondLength{1000};
    // A request that has not finished after this long fails.
    std::chrono::milliseconds Timeout{30000};
};

// What a download hands over when it ends.
struct TDownloadResult {
    bool Succeeded = false;
    std::vector<std::string> Items;  // received items ("issue#scrambled digits") on success
    std::string Error;               // what went wrong, for the user, on failure
    bool Unreachable = false;        // the failure: the service was never reached
};

// A request that never reached the service (no connection, no such name, no answer in time),
// told apart from a service that answered wrongly.
class TUnreachableError : public TError {
  public:
    using TError::TError;
};

// One GET of url into memory; returns the reply's body. Raises TError with a message for the
// user on a connection error, an HTTP error status, a timeout or a reply larger than a draw
// history can be, and when stop aborts it ("下载已取消。"); TUnreachableError when the service
// was not reached (the Windows request raises TError for that too).
std::string FetchUrl(const std::string& url, std::chrono::milliseconds timeout,
                     const std::atomic<bool>& stop, const std::string& shownAddress);

// For the failure texts of both FetchUrl implementations: a span in whole seconds, rounded up,
// at least 1 ("30" for 30000 ms), and whether an address is an http or https one (any case).
std::string WholeSeconds(std::chrono::milliseconds span);
bool IsWebAddress(const std::string& address);

// Readies the network library; call it on the thread that starts downloads, before the first.
void PrepareDownloads();

// The whole download on the calling thread (the window runs it on a background job): a wait
// of a few units of the timing (counted from created), then one request into memory with
// libcurl and the reading of the reply; nothing is written to any file. A cancel of control
// ends the wait or aborts the request; the result then says so (not Succeeded).
TDownloadResult RunDownload(const TDownloadRequest& request, const TDownloadTiming& timing,
                            std::chrono::steady_clock::time_point created, TJobControl& control);
