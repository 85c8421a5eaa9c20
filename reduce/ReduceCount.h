#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "data/FileIo.h"
#include "data/Hao.h"
#include "data/JobControl.h"
#include "reduce/ReduceConditions.h"
#include "search/Gui2Reg.h"
#include "stats/ShapeMetrics.h"

// Counting the candidates a set of conditions keeps. A candidate is numbered by its digits read
// as a decimal number (0012345 is 12345), so the numbers ascend as the bets are listed.

// A pattern as a test of the coming draw. The difference of its two lines' sums is
// Offset + sum of Weights[p] x digit p (mod 10), the cells on earlier draws in Offset and
// column H folded into digits 1-4; the pattern hits when that difference is in Hits (bit r).
struct TPatternForm {
    std::array<uint8_t, ReduceDigitCount> Weights{};
    uint8_t Offset = 0;
    uint16_t Hits = 0;
    bool operator==(const TPatternForm&) const = default;
};
// The form of a pattern whose coming draw follows the draws (BaseRow == draws.Count()) and
// whose cells lie on them; none for any other pattern.
std::optional<TPatternForm> PatternFormOf(const TGui2Reg& pattern, const TCodes& draws);
bool PatternFormHits(const TPatternForm& form, const TShapeDraw& candidate);
// The chance that a form hits a candidate of independent uniform digits (exact): what one
// chosen pattern adds to the hits expected by chance.
double PatternFormChance(const TPatternForm& form);
// The forms of the patterns whose coming draw is the next one, read as the verifier reads them:
// patterns found on searchDraws whose draws before the base row are still the document's
// (the others are left out).
std::vector<TPatternForm> PendingPatternForms(const std::vector<const TGui2Reg*>& patterns,
                                              const TCodes& draws, const TCodes& searchDraws);

// What the conditions read besides the candidate.
struct TReduceContext {
    std::optional<TShapeDraw> Previous;  // the draw before the coming one (重号, 邻号)
    std::vector<TPatternForm> Patterns;  // the chosen patterns (规律)
    TShapeConventions Conventions;
    // Off (the window, the tool): m above the chosen patterns, or 规律 with no pattern, is an
    // error naming the line. On (the strategy check, whose patterns change with each draw):
    // such a condition keeps no candidate.
    bool PatternsMayFallShort = false;
};

std::string ReduceBetText(int32_t candidate);  // "0012345"
TShapeDraw ReduceCandidateDigits(int32_t candidate);
int32_t ReduceCandidateOf(const TShapeDraw& digits);

// Conditions bound to their context, with the tables the count runs on. Raises TReduceError
// naming the line of a condition that cannot apply (重号 or 邻号 with no previous draw, m above
// the chosen patterns).
class TReducePlan {
  public:
    // Without tables the plan only answers Failures and Keeps (one candidate at a time). A
    // cancel of control while the tables are built stops it (Stopped): a plan of tens of
    // thousands of conditions takes a while.
    TReducePlan(const TReduceSet& set, const TReduceContext& context, bool buildTables = true,
                const TJobControl* control = nullptr);

    // The conditions the candidate fails, each checked on its own.
    int32_t Failures(const TShapeDraw& candidate) const;
    bool Keeps(const TShapeDraw& candidate) const { return Failures(candidate) <= tolerance_; }
    int32_t Tolerance() const { return tolerance_; }
    // The building was cancelled: the plan counts nothing (CountReduced says Stopped).
    bool Stopped() const { return stopped_; }
    // How many patterns the 规律 condition needs (0 without one).
    int32_t PatternsNeeded() const { return patternsNeeded_; }
    // 规律 asks for more patterns than were chosen (allowed by PatternsMayFallShort): nothing
    // can be kept.
    bool PatternsFallShort() const { return patternsImpossible_; }

    // One condition's table: the candidate's first three digits (A) give row keyA, the last
    // four (B) column keyB, and the cell says whether it fails (or, for a pattern group, how
    // many of its patterns hit).
    struct TTable {
        int32_t KeysA = 1;
        int32_t KeysB = 1;
        std::vector<uint16_t> KeyA;     // 1000
        std::vector<uint16_t> KeyB;     // 10000
        std::vector<int32_t> Cells;     // KeysA x KeysB
        int32_t Patterns = 0;           // a pattern group's table: the patterns it counts
        std::vector<uint16_t> Columns;  // keyB by the plan's joint key of the second half
    };

    // Runs one block of 10,000 candidates that share the first three digits a, adding their
    // kept numbers to bets when asked; returns how many were kept. Scratch space of the caller.
    struct TScratch {
        std::vector<int32_t> Fails;
        std::vector<int32_t> Hits;
        std::vector<uint16_t> Open;  // candidates the patterns have not decided yet
    };
    int64_t RunBlock(int32_t a, TScratch& scratch, std::vector<int32_t>* bets) const;

  private:
    TReduceSet set_;
    TReduceContext context_;
    int32_t tolerance_ = 0;
    int32_t patternsNeeded_ = 0;
    bool patternsImpossible_ = false;  // 规律 that no candidate can meet
    bool stopped_ = false;

    std::vector<int32_t> failsA_;  // per first half: the conditions of A alone
    std::vector<int32_t> failsB_;  // per second half: the conditions of B alone
    std::vector<TTable> mixed_;    // conditions of both halves
    std::vector<int32_t> hitsA_;   // pattern hits of forms on A alone
    std::vector<int32_t> hitsB_;
    std::vector<TTable> mixedPatterns_;
    int32_t mixedPatternCount_ = 0;  // the patterns of mixedPatterns_
    // Second halves that every table, failsB_ and hitsB_ treat alike share a joint key: the
    // count runs once per joint key and multiplies.
    std::vector<uint16_t> jointB_;     // per second half: its joint key
    std::vector<int32_t> jointFirst_;  // per joint key: its first second half
    std::vector<int32_t> jointCount_;  // per joint key: how many second halves have it
    std::vector<int32_t> jointFails_;  // failsB_ and hitsB_ by joint key
    std::vector<int32_t> jointHits_;

    bool Fails(const TReduceCondition& condition, const TShapeDraw& candidate) const;
    int32_t PatternHits(const TShapeDraw& candidate) const;
    void AddTable(TTable table, bool patterns);
    void AddPatternTables();
    void MakeJointKeys();
};

struct TReduceCount {
    int64_t Kept = 0;
    std::vector<int32_t> Bets;  // ascending, when asked for
    bool Stopped = false;
    double Share() const {
        return static_cast<double>(Kept) / static_cast<double>(ReduceCandidateCount);
    }
    int64_t Cost() const { return Kept * ReduceBetPrice; }
};

// Counts the kept candidates over all 10^7, on threads workers (0: one per core), reporting to
// control the blocks of 10,000 done out of 1,000; a cancel ends it within one block of each
// thread, Stopped set.
TReduceCount CountReduced(const TReducePlan& plan, bool keepBets, int threads,
                          TJobControl& control);

// The bets as text, one per line (LF), in the order given, handed over in pieces.
void WriteBetsText(std::span<const int32_t> bets, const TWriteChunk& write);
// Writes them to a file through the crash-safe writer (TFileWriteError on failure).
void WriteBetsFile(const std::string& path, std::span<const int32_t> bets);
