#include "search/PatternDisposer.h"

TPatternDisposer::~TPatternDisposer() {
    Wait();
}

void TPatternDisposer::Wait() {
    if (thread_.joinable()) thread_.join();
}

namespace {

void FreeAll(std::vector<std::unique_ptr<TGui2Reg>>& patterns) noexcept {
    while (!patterns.empty()) patterns.pop_back();
}

}  // namespace

void TPatternDisposer::Dispose(std::vector<std::unique_ptr<TGui2Reg>>&& patterns) noexcept {
    std::vector<std::unique_ptr<TGui2Reg>> doomed = std::move(patterns);
    patterns.clear();
    if (doomed.size() < BackgroundCount) return FreeAll(doomed);
    Wait();  // one thread at a time: two sets freed at once would only contend for the heap
    try {
        auto work = std::make_shared<std::vector<std::unique_ptr<TGui2Reg>>>(std::move(doomed));
        thread_ = std::thread([work] { FreeAll(*work); });
    } catch (...) {
        FreeAll(doomed);  // no thread to be had: free them here
    }
}
