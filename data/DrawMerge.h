#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "data/DrawRegister.h"
#include "data/DrawTable.h"
#include "data/Hao.h"

// Adding draws from a file or the download to the draws a document holds, without losing any:
// a plan says what would change (new draws, gaps, duplicates, differing draws) before anything
// does, and applying it appends the new draws, replaces differing ones only when asked and
// keeps every draw of the document that the source lacks.

// Draws from outside, oldest first: the seven digits as one number and what is known of each.
struct TIncomingDraws {
    std::vector<int32_t> Numbers;
    std::vector<TDrawIdentity> Identities;  // as many as Numbers (empty identities when unknown)
    std::vector<int32_t> Lines;  // the file line of each draw (1-based), when read from a file
};

// The draws of a file as read: numbers, issues (kept when they are issue numbers) and dates.
TIncomingDraws IncomingFromReading(const TDrawFileReading& reading);
// The draws of received download items ("issue#scrambled digits"), oldest first; raises as
// DecodeReceivedItems does.
TIncomingDraws IncomingFromItems(const std::vector<std::string>& items);

// A draw whose digits differ between the document and the source.
struct TDrawDifference {
    int32_t Row = 0;       // 0-based row of the document
    int32_t Incoming = 0;  // index into the incoming draws
    int32_t DocumentNumber = 0;
    int32_t IncomingNumber = 0;
    bool operator==(const TDrawDifference&) const = default;
};

enum class TMergeMatch {
    Issue,    // matched by 期号
    Overlap,  // by the longest run of the document's newest draws found in the source
    None,     // nothing in common: the document is empty, or no overlap was found
};

struct TDrawMergePlan {
    TMergeMatch Match = TMergeMatch::None;
    // Overlap: the document's row r faces incoming draw r - Offset (Offset = rows of the
    // document before the source's first draw, negative when the source starts earlier).
    int64_t Offset = 0;
    int32_t OverlapLength = 0;      // Overlap: the equal run of newest draws
    std::vector<int32_t> NewDraws;  // incoming indices appended, in order
    std::vector<TDrawDifference> Differences;
    std::vector<int32_t> Duplicates;  // incoming indices of an issue seen before in the source
    std::vector<int32_t> Older;       // Issue: incoming draws older than the document's last
                                      // issue that the document lacks (never inserted)
    std::vector<std::string> Gaps;    // missing issues inside the sequence after the merge
    int64_t GapCount = 0;             // all of them (Gaps holds at most MaxListedGaps)
    // A jump over whole years (2022150 → 2024001): draws missing that cannot be counted; the
    // 期号 before and after it, both empty when there is none.
    std::pair<std::string, std::string> UncountedGap;
    // The new draws leave draws missing after the document's last 期号 (counted or not): the
    // gaps the merge opens, not those the document already had.
    bool OpensGap = false;
    int32_t FilledIdentities = 0;  // rows of the document that gain an issue or a date
    int32_t Backward = -1;         // the first incoming draw whose issue is below the one before it
    // The source numbers draws another way: the two share no 期号 while the source reaches
    // back before the document's last draw (the plan is the overlap of the digits instead), a
    // draw both number has two 期号, or the source's first new 期号 cannot follow the
    // document's last. Its 期号 are then given to no draw.
    bool NumberingDiffers = false;
    // The 期号 after the merge would not go up, so the source's identities are given to no
    // draw (the new draws stay without 期号 and date; FilledIdentities is then 0).
    bool IdentitiesDropped = false;

    bool ChangesNothing() const {
        return NewDraws.empty() && Differences.empty() && FilledIdentities == 0;
    }
};

inline constexpr size_t MaxListedGaps = 200;
// Fewest equal newest draws that count as an overlap (fewer when the document is shorter).
inline constexpr int32_t MinOverlap = 3;

// Compares the incoming draws with the document's: by 期号 when the document knows some and
// every incoming draw has one (unless the two numberings share no 期号, see NumberingDiffers),
// else by the longest run of the document's newest draws found in the source. Changes nothing.
TDrawMergePlan PlanDrawMerge(const TCodes& draws, const TDrawRegister& reg,
                             const TIncomingDraws& incoming);

// Applies a plan made for exactly these draws and incoming draws: appends the new draws,
// replaces the differing ones when replaceDiffering, and gives known issues and dates to rows
// that had none (only when the register stays in order). Rows the source lacks stay.
void ApplyDrawMerge(const TDrawMergePlan& plan, const TIncomingDraws& incoming,
                    bool replaceDiffering, TCodes& draws, TDrawRegister& reg);

// "全部替换": the draws and the register become the incoming ones.
void ReplaceAllDraws(const TIncomingDraws& incoming, TCodes& draws, TDrawRegister& reg);

// The plan for the user, one sentence a line: "新增N期", differences, gaps, duplicates.
std::string DescribeMergePlan(const TDrawMergePlan& plan, const TIncomingDraws& incoming,
                              const TDrawRegister& reg);
