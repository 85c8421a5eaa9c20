#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/DrawImport.h"
#include "data/Error.h"

// Draw files as results sites give them. A file whose lines hold no field separator is the
// plain form (one draw of seven characters per line, data/DrawImport); any other file is a
// table whose columns are decided once for the whole file: the draw (one field of seven digits,
// in a row or with separators between them such as "2 3 8 1 1 5 0", or seven one-digit
// fields), an issue number that counts by one from line to line, a date. Header lines at the
// top and summary lines at the end are skipped and newest-first files are turned round, so the
// rows always come out oldest first.
//
// A column is never taken for the draw when its header names an issue, a date, a weekday or
// money (期号, 开奖日期, 销售额 …) or when it counts by one from line to line; a header that
// names the draw (开奖号码, 号码, 中奖号码) decides. Otherwise the draw must be the only column
// that can hold it, else the file's columns stay undecided and the user (or the refusal of a
// command-line tool) is told which columns could be the draw.

// Lines with more fields than this are refused (a file of a million columns is no draw file,
// and splitting it would take the memory of the machine).
inline constexpr int32_t MaxLineFields = 1000;
// Columns past this are never a draw, an issue or a date; they only count for ColumnCount.
inline constexpr int32_t MaxKnownColumns = 64;

// A line of a draw file that cannot be read; what() is the text the user sees.
class TDrawLineError : public TError {
  public:
    TDrawLineError(const std::string& message, int32_t line) : TError(message), Line(line) {}
    int32_t Line;  // 1-based, as an editor counts the file's lines
};

// A file that holds no draw at all (empty, blank lines, lines too short to be a draw, only a
// byte order mark): reading it must not replace the draws with nothing.
class TNoDrawsError : public TError {
  public:
    TNoDrawsError();
};
inline constexpr char NoDrawsMessage[] = "文件中没有开奖号码（1期1行，每行7个数字）。";

// How the fields of a table are separated.
enum class TFieldSeparator : char {
    Tab = '\t',
    Comma = ',',
    Semicolon = ';',
    Bar = '|',
    Blanks = ' ',  // runs of blanks and tabs
};

// Where a draw may stand: one field, or the first of seven one-digit fields.
struct TDrawColumns {
    int32_t Column = -1;
    bool Split = false;

    bool operator==(const TDrawColumns&) const = default;
};
// "第3列" or "第3至第9列".
std::string DrawColumnsName(TDrawColumns columns);

struct TDrawTableLayout {
    TFieldSeparator Separator = TFieldSeparator::Comma;
    int32_t HeaderLines = 0;   // lines skipped at the top, blank ones included
    int32_t DrawColumn = -1;   // the draw's field, or the first of its seven one-digit fields;
                               // -1: undecided (see Candidates)
    bool DrawSplit = false;    // seven one-digit fields
    int32_t IssueColumn = -1;  // -1: none
    int32_t DateColumn = -1;   // -1: none
    int32_t ColumnCount = 0;   // fields of the widest line, for choosing columns by hand
    // When the draw's columns are undecided: the columns that hold a draw on most lines.
    std::vector<TDrawColumns> Candidates;

    bool Decided() const { return DrawColumn >= 0; }
    bool operator==(const TDrawTableLayout&) const = default;
};

// A table whose draw column cannot be told: what() names the candidate columns in one
// sentence ("无法确定哪一列是开奖号码（可能是第3列、第5列）。").
class TUndecidedDrawsError : public TError {
  public:
    explicit TUndecidedDrawsError(std::vector<TDrawColumns> candidates);
    std::vector<TDrawColumns> Candidates;
};
std::string UndecidedDrawsMessage(const std::vector<TDrawColumns>& candidates);
// What a program without the preview adds to that sentence.
inline constexpr char UndecidedDrawsHint[] = "请给开奖号码所在的列加上表头“开奖号码”后再读取。";

struct TDrawFileRow {
    int32_t Line = 0;    // 1-based line of the file
    int32_t Number = 0;  // the seven digits read as one integer
    std::string Issue;   // as written; empty without an issue column
    std::string Date;    // as written; empty without a date column
};

struct TDrawFileReading {
    bool IsTable = false;
    TDrawTableLayout Layout;         // a table's columns
    bool Reversed = false;           // the file was newest first
    std::vector<TDrawFileRow> Rows;  // oldest first

    std::vector<int32_t> Numbers() const;
};

// The text of one draw file, decoded once (UTF-8 with or without byte order mark, UTF-16 with
// one, or code page 936), so that a corrected layout can be read again without the file.
class TDrawFileText {
  public:
    explicit TDrawFileText(std::string_view bytes);

    // True when some non-empty line holds a comma, semicolon, tab, "|" or a blank between two
    // non-blank characters.
    bool IsTable() const { return isTable_; }
    // The columns of a table, decided from all its lines; the separator is the one under
    // which most of the first lines hold a draw. The draw may stay undecided (Decided() false,
    // Candidates filled). Throws TDrawLineError naming the first line when no line holds a
    // draw, a top line that is a broken data line (it has digits and no word), a line with a
    // zero byte or more than MaxLineFields fields.
    TDrawTableLayout DetectLayout() const;
    // The same under a separator the user chose.
    TDrawTableLayout DetectLayout(TFieldSeparator separator) const;
    // The plain form by the plain rules, a table by its detected layout. Throws TDrawLineError
    // at a bad line, TNoDrawsError when no line gives a draw, TUndecidedDrawsError when the
    // draw's column cannot be told.
    TDrawFileReading Read() const;
    // A table by the given layout; every line after the header must fit it, except summary
    // lines at the end (a word and no draw, issue or date where the layout has them), and at
    // least one must give a draw. An undecided layout throws TUndecidedDrawsError.
    TDrawFileReading ReadTable(const TDrawTableLayout& layout) const;
    // Fields of the widest line under a separator (at most MaxLineFields).
    int32_t ColumnCountOf(TFieldSeparator separator) const;

    int32_t LineCount() const { return static_cast<int32_t>(lines_.size()); }
    std::string_view LineText(int32_t index) const;
    // The trimmed fields of a line (0-based index) under a separator; a line of more than
    // MaxLineFields fields raises TDrawLineError.
    std::vector<std::string> FieldsOf(int32_t index, TFieldSeparator separator) const;

  private:
    struct TSpan {
        uint32_t Begin;
        uint32_t End;
    };
    using TFields = std::vector<TSpan>;

    TDrawFileReading ReadPlain() const;
    TFieldSeparator ChooseSeparator() const;
    bool HoldsDraw(const TFields& fields) const;
    bool HoldsWord(int32_t index) const;
    void SplitFields(int32_t index, TFieldSeparator separator, TFields& fields) const;
    std::string_view Text(TSpan span) const;
    [[noreturn]] void ThrowUnreadable(int32_t index) const;
    void RefuseZeroBytes() const;

    std::string text_;
    std::vector<TSpan> lines_;  // trimmed lines; line k of the file is lines_[k - 1]
    bool isTable_ = false;
    int32_t firstZeroLine_ = -1;  // index of the first line holding a zero byte
};

// Reads a whole draw file (its bytes as stored).
TDrawFileReading ReadDrawFile(std::string_view bytes);
