#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/Error.h"
#include "data/Hao.h"

// The register of the draws: for each row of the draw list its 期号 (as the source writes
// it, such as "2024096" or "24096") and its date (YYYY-MM-DD), either possibly unknown. It
// lives beside the work document in a companion file of its own, so the document's bytes stay
// as they are; a document without a companion has a register of unknowns.

struct TDrawIdentity {
    std::string Issue;  // decimal digits, or empty when unknown
    std::string Date;   // YYYY-MM-DD, or empty when unknown
    bool Empty() const { return Issue.empty() && Date.empty(); }
    bool operator==(const TDrawIdentity&) const = default;
};

// The longest 期号 kept: longer digit runs are no issue number.
inline constexpr size_t MaxIssueDigits = 12;

// True for one to MaxIssueDigits decimal digits.
bool IsIssueText(std::string_view text);
// How 期号 of different widths order. Existing files use two yearly forms, yyyyNNN (seven
// digits) and yyNNN (five digits, the same numbering written short: "24096" is "2024096"),
// and services also number draws serially (1, 2, … 99999, 100000, …). No yearly form has six
// digits, so a numbering that holds a six-digit 期号 is a serial one that has passed 99999,
// and its five-digit 期号 are serials as well: 100000 follows 99999 instead of coming before
// it as "2099999". Every set of 期号 compared together (a register, or a register and a
// source being merged into it) is therefore read one way: serial when any of them has six
// digits (SerialNumbering), else yearly.
//
// The issue as a number that orders the issues of one numbering: a five-digit issue counts
// as its seven-digit form ("24096" → 2024096) unless serial; -1 for a text that is no issue.
int64_t IssueKey(std::string_view issue, bool serial = false);
// True when the issues of rows are serial numbers (one of them has six digits).
bool SerialNumbering(const std::vector<TDrawIdentity>& rows);
// True when the issue is a yearly form (yyyyNNN, or yyNNN outside a serial numbering), whose
// serial starts again at 001 each year.
bool IsYearlyIssue(std::string_view issue, bool serial);
// The issue after this one: the number plus one in the same width ("2024096" → "2024097",
// "00999" → "01000"; a carry past the width adds a digit). Empty for a text that is no issue.
std::string NextIssueAfter(std::string_view issue);
// The date of a text such as "2024-01-02", "2024/1/2", "2024.01.02", "2024年1月2日",
// "20240102", each maybe followed by a weekday in brackets or after a blank; YYYY-MM-DD, or
// empty when the text holds no real calendar date of the years 1900-2199.
std::string NormalDate(std::string_view text);
// The seven digits of a row as one number (digit A the highest).
int32_t DrawNumberOf(const DrawRecord& record);

class TDrawRegister {
  public:
    // One identity per draw, oldest first.
    std::vector<TDrawIdentity> Rows;

    int32_t Count() const { return static_cast<int32_t>(Rows.size()); }
    // The identity of a row; an empty one past the end.
    const TDrawIdentity& At(int32_t row) const;
    // True when some row has an issue or a date.
    bool Known() const;
    // The issue after the last row's one, or empty when the last row has none.
    std::string NextIssue() const;
    // Makes the register as long as the draws: rows past count go; new rows continue the
    // issues of the last row (last + 1) when it has one, else stay unknown.
    void Fit(int32_t count);
    void Clear() { Rows.clear(); }
    bool operator==(const TDrawRegister&) const = default;
};

// What names a row where the player looks (the grid's 期 column, the charts' axes, the
// exports, the status text): the row's 期号 when known, else its number counted from
// firstIssue as before. The coming draw (row == count) shows the next 期号 when the last is
// known, else nothing.
std::string IssueLabel(const TDrawRegister& reg, int32_t row, int32_t count, int64_t firstIssue);
// The last five characters of a label, for a narrow column.
std::string ShortIssueLabel(const std::string& label);
// "第2024096期 2024-04-12" (or without the date) for a row whose 期号 is known, else "第N行".
std::string RowDescription(const TDrawRegister& reg, int32_t row, int32_t count);

// A register that does not fit its draws or is damaged. Line is 1-based in the companion (or
// the row, for a check of rows); what() is the text the user reads.
class TRegisterError : public TError {
  public:
    TRegisterError(const std::string& message, int32_t line) : TError(message), Line(line) {}
    int32_t Line;
};

// Checks that the known issues of rows go strictly up and that every date is a date; raises
// TRegisterError naming the row (1-based, plus firstLine - 1, so callers can name a file's
// line) of the first duplicated or backward issue.
void CheckIssueOrder(const std::vector<TDrawIdentity>& rows, int32_t firstLine = 1);

// The companion file of the work document at documentPath.
std::string RegisterPathOf(const std::string& documentPath);

// The companion text (UTF-8, LF line ends):
//   Tolvane draw register 1
//   draws <count> <16 hex digits: FNV-1a of the draws' digits>
//   <issue>\t<date>          one line per draw, oldest first, either field empty when unknown
std::string RegisterText(const TDrawRegister& reg, const TCodes& draws);
// Reads a companion text for the given draws. Raises TRegisterError naming the line when the
// text is damaged, was written for other draws (count or digits), or holds a duplicated or
// backward issue or a line that cannot be read. Forgiven, as nothing can be misread by them:
// a byte order mark, blank lines, blanks around the fields, CR LF and lone CR line ends, and
// dates in another common form (2024/01/02, read as 2024-01-02).
TDrawRegister ParseRegister(std::string_view text, const TCodes& draws);
// The same, but up to MaxSkippedRegisterLines lines whose row cannot be read (no tab, an issue
// or a date that is none) leave that row unknown and are named in skipped (1-based file lines)
// instead of refusing the whole text; the count and the draws must still match.
inline constexpr size_t MaxSkippedRegisterLines = 10;
TDrawRegister ParseRegister(std::string_view text, const TCodes& draws,
                            std::vector<int32_t>& skipped);

// The register after the draw editor changed the rows from before to after: rows kept at the
// start and at the end keep their identities, a changed middle of the same length keeps them
// row by row, rows added after the last old row continue its issues, other new rows are
// unknown.
TDrawRegister RealignRegister(const std::vector<DrawRecord>& before, const TDrawRegister& reg,
                              const std::vector<DrawRecord>& after);
