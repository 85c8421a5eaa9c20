#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/DrawImport.h"
#include "data/Error.h"

// Draw files as results sites give them. A file whose lines hold no field separator is the
// plain form (one draw of seven characters per line, data/DrawImport); any other file is a
// table whose columns are decided once for the whole file: the draw (one field of seven digits
// or seven one-digit fields), an issue number that counts by one from line to line, a date.
// Header lines at the top are skipped and newest-first files are turned round, so the rows
// always come out oldest first.

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

struct TDrawTableLayout {
    TFieldSeparator Separator = TFieldSeparator::Comma;
    int32_t HeaderLines = 0;   // lines skipped at the top, blank ones included
    int32_t DrawColumn = -1;   // the draw's field, or the first of its seven one-digit fields
    bool DrawSplit = false;    // seven one-digit fields
    int32_t IssueColumn = -1;  // -1: none
    int32_t DateColumn = -1;   // -1: none
    int32_t ColumnCount = 0;   // fields of the widest line, for choosing columns by hand

    bool operator==(const TDrawTableLayout&) const = default;
};

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
    // The columns of a table, decided from all its lines. Throws TDrawLineError naming the
    // first line when no line holds a draw, a top line that is a broken data line (it has
    // digits and no word), a line with a zero byte or more than MaxLineFields fields.
    TDrawTableLayout DetectLayout() const;
    // The plain form by the plain rules, a table by its detected layout. Throws TDrawLineError
    // at a bad line, TNoDrawsError when no line gives a draw.
    TDrawFileReading Read() const;
    // A table by the given layout; every line after the header must fit it, and at least one
    // must give a draw.
    TDrawFileReading ReadTable(const TDrawTableLayout& layout) const;

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
