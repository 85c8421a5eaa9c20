#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "data/DownloadCodec.h"
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
};

// The download worker: a thread that waits a few seconds, fetches the request address into
// memory with libcurl, reads the reply and hands the result to OnReceived, which runs on the
// worker thread (the receiver posts it to its own thread). Nothing is written to any file.
class TDataDown {
  public:
    using TReceived = std::function<void(TDownloadResult)>;

    TDataDown(TDownloadRequest request, TReceived onReceived, TDownloadTiming timing = {});
    TDataDown(const TDataDown&) = delete;
    TDataDown& operator=(const TDataDown&) = delete;
    // Stops the worker and waits for its thread.
    ~TDataDown();

    void Start();
    // Ends the wait or aborts the request and waits for the thread; OnReceived is not called
    // once Stop has returned, and not at all when the download had not ended by then.
    void Stop();
    // True once the thread has handed its result over (or was stopped).
    bool Finished() const { return finished_.load(); }

  private:
    void Execute();

    TDownloadRequest request_;
    TReceived onReceived_;
    TDownloadTiming timing_;
    std::chrono::steady_clock::time_point created_;
    TJobControl control_;
    std::atomic<bool> finished_{false};
    std::thread thread_;
};

// Readies the network library; call it on the thread that starts downloads, before the first.
void PrepareDownloads();

// The whole download on the calling thread: the wait (counted from created), the request and
// the reading of the reply. A cancel of control ends the wait or aborts the request; the
// result then says so (not Succeeded). For a worker of the caller's choosing.
TDownloadResult RunDownload(const TDownloadRequest& request, const TDownloadTiming& timing,
                            std::chrono::steady_clock::time_point created, TJobControl& control);

// One GET of url into memory. Fails with a message for the user on a connection error, an
// HTTP error status, a timeout or a reply larger than a draw history can be; stop aborts it
// (Cancelled is then set).
struct TFetchResult {
    bool Succeeded = false;
    bool Cancelled = false;
    std::string Body;
    std::string Error;
};
TFetchResult FetchUrl(const std::string& url, std::chrono::milliseconds timeout,
                      const std::atomic<bool>& stop, const std::string& shownAddress);
