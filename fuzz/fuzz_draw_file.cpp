// Feeds arbitrary bytes to the draw file reader. It either refuses the file with a line error
// naming a line of the file, says the file holds no draw, or says which columns could be the
// draw, or gives at least one row; every row is a draw of seven digits from a real line. The
// same holds for every separator a user can choose and for every candidate column a user can
// pick in the preview.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "data/DrawTable.h"
#include "data/Error.h"

namespace {

void CheckRows(const TDrawFileText& file, const TDrawFileReading& reading) {
    if (reading.Rows.empty()) std::abort();
    for (const TDrawFileRow& row : reading.Rows) {
        if (row.Line < 1 || row.Line > file.LineCount()) std::abort();
        if (row.Number < 0 || row.Number > 9999999) std::abort();
        if (file.LineText(row.Line - 1).find('\0') != std::string_view::npos) std::abort();
    }
}

// Reads by a layout; false when the reading refused the file as it should.
template <typename Read>
bool Reads(const TDrawFileText& file, Read read, TDrawFileReading& reading) {
    try {
        reading = read();
        return true;
    } catch (const TDrawLineError& e) {
        if (e.Line < 1 || e.Line > file.LineCount()) std::abort();
    } catch (const TNoDrawsError&) {
    } catch (const TUndecidedDrawsError& e) {
        if (e.Candidates.empty()) std::abort();
    } catch (const TError&) {
        std::abort();  // every other refusal names its line
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const TDrawFileText file(bytes);
    TDrawFileReading reading;
    if (Reads(
            file, [&] { return file.Read(); }, reading))
        CheckRows(file, reading);
    if (!file.IsTable()) return 0;

    for (const TFieldSeparator separator :
         {TFieldSeparator::Tab, TFieldSeparator::Comma, TFieldSeparator::Semicolon,
          TFieldSeparator::Bar, TFieldSeparator::Blanks}) {
        TDrawTableLayout layout;
        try {
            layout = file.DetectLayout(separator);
        } catch (const TDrawLineError& e) {
            if (e.Line < 1 || e.Line > file.LineCount()) std::abort();
            continue;
        }
        if (layout.Decided() != layout.Candidates.empty()) std::abort();
        if (layout.ColumnCount > file.ColumnCountOf(separator)) std::abort();
        if (layout.Decided()) {
            if (Reads(
                    file, [&] { return file.ReadTable(layout); }, reading))
                CheckRows(file, reading);
            continue;
        }
        // The preview offers the candidates; each must read or be refused by its line.
        for (size_t k = 0; k < layout.Candidates.size() && k < 3; ++k) {
            TDrawTableLayout chosen = layout;
            chosen.DrawColumn = layout.Candidates[k].Column;
            chosen.DrawSplit = layout.Candidates[k].Split;
            if (chosen.DrawColumn < 0 || chosen.DrawColumn >= layout.ColumnCount) std::abort();
            if (Reads(
                    file, [&] { return file.ReadTable(chosen); }, reading))
                CheckRows(file, reading);
        }
    }
    return 0;
}
