// Feeds arbitrary bytes to the draw file reader. It either refuses the file with a line error
// naming a line of the file or says the file holds no draw, or gives at least one row; every row
// is a draw of seven digits from a real line.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "data/DrawTable.h"
#include "data/Error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const TDrawFileText file(bytes);
    TDrawFileReading reading;
    try {
        reading = file.Read();
    } catch (const TDrawLineError& e) {
        if (e.Line < 1 || e.Line > file.LineCount()) std::abort();
        return 0;
    } catch (const TNoDrawsError&) {
        return 0;
    } catch (const TError&) {
        std::abort();  // every refusal names its line
    }
    if (reading.Rows.empty()) std::abort();
    for (const TDrawFileRow& row : reading.Rows) {
        if (row.Line < 1 || row.Line > file.LineCount()) std::abort();
        if (row.Number < 0 || row.Number > 9999999) std::abort();
        if (file.LineText(row.Line - 1).find('\0') != std::string_view::npos) std::abort();
    }
    return 0;
}
