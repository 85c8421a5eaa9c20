#pragma once

#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "search/SearchEngine.h"
#include "tests/support/RandomDraws.h"
#include "tests/support/SearchReference.h"

// The text of the error a call raises, or "(no error)".
inline std::string ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const TError& e) {
        return e.what();
    }
    return "(no error)";
}

// Everything a search reported, in order; patterns are kept as their full text form.
struct TRecordedEvent {
    bool IsFound = false;
    int64_t CandidateCount = 0;
    std::string Pattern;  // all fields of a found pattern
    bool operator==(const TRecordedEvent&) const = default;
};

inline std::string Describe(const TGui2Reg& reg) {
    std::string text = "L" + std::to_string(reg.Layout) + " T" + std::to_string(reg.StepTotal) +
                       " B" + std::to_string(reg.BaseRow) + " C" +
                       std::to_string(reg.ContrastKind) + " |";
    for (int32_t l = 0; l < TGui2Reg::LineCount; ++l) {
        const TPointList& line = reg.Line(l);
        for (int32_t i = 0; i < line.Count(); ++i)
            text += " " + std::to_string(line.Get(i).X) + "," + std::to_string(line.Get(i).Y);
        text += " r" + std::to_string(reg.GetResult(l)) + " p";
        for (int32_t c = 0; c < 8; ++c) text += reg.GetPosition(l, c) ? '1' : '0';
        text += " |";
    }
    text += " s" + std::to_string(reg.StepSums.size()) + ":";
    for (int32_t v : reg.StepSums) text += std::to_string(v);
    return text;
}

class TRecordingSink : public ISearchSink {
  public:
    std::vector<TRecordedEvent> Events;
    std::vector<std::unique_ptr<TGui2Reg>> Patterns;
    bool KeepPatterns = false;

    void Progress(int64_t candidateCount) override {
        Events.push_back({false, candidateCount, {}});
    }
    void Found(std::unique_ptr<TGui2Reg> pattern, int64_t candidateCount) override {
        Events.push_back({true, candidateCount, Describe(*pattern)});
        if (KeepPatterns) Patterns.push_back(std::move(pattern));
    }
    std::vector<int64_t> ProgressCounts() const {
        std::vector<int64_t> counts;
        for (const auto& e : Events)
            if (!e.IsFound) counts.push_back(e.CandidateCount);
        return counts;
    }
    size_t FoundCount() const {
        size_t n = 0;
        for (const auto& e : Events) n += e.IsFound;
        return n;
    }
};

using TEngine = TSearchTotals (*)(const TSearchRequest&, ISearchSink&, const TJobControl&);

inline TSearchTotals Search(TEngine engine, const SearchOptions& options, const TCodes& draws,
                            TRecordingSink& sink, int threads = 0, uint64_t seed = 7,
                            bool drawingOrder = true) {
    TSearchRequest request;
    request.DrawingOrder = drawingOrder;
    request.Options = options;
    request.Draws = &draws;
    request.Threads = threads;
    request.Seed = seed;
    const TJobControl never;
    return engine(request, sink, never);
}
