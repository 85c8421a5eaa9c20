#include "search/PatternExport.h"

#include "data/DrawExport.h"
#include "search/PatternColumns.h"

namespace {

constexpr size_t ChunkBytes = 1 << 20;
constexpr int64_t RowsBetweenLooks = 1 << 14;

// The list's seven headers, then the fields of the pattern that the list does not show.
constexpr const char* Headers[] = {"点",       "步",       "格局",     "明对",     "位置",
                                   "合值",     "结果",     "基准行",   "格局序号", "明对序号",
                                   "高线位置", "高线结果", "低线位置", "低线结果"};

// The grid columns whose cells of this line fall on the coming draw, as "A+C".
std::string LinePositions(const TGui2Reg& pattern, int32_t line) {
    std::string text;
    for (int32_t column = 0; column < 8; ++column) {
        if (!pattern.GetPosition(line, column)) continue;
        if (!text.empty()) text += '+';
        text += PositionLetters[column];
    }
    return text;
}

// Thrown through the file writer so that a stopped export leaves no file behind.
struct TExportStopped {};

}  // namespace

std::string PatternTableHeader() {
    std::string text;
    for (const char* header : Headers) {
        if (!text.empty()) text += ',';
        text += header;
    }
    return text + "\r\n";
}

void AppendPatternRow(std::string& out, const TGui2Reg& pattern) {
    for (int column = 0; column < PatternColumnCount; ++column) {
        AppendCsvField(out, PatternColumnText(pattern, column));
        out += ',';
    }
    out += std::to_string(pattern.BaseRow) + ',' + std::to_string(pattern.Layout) + ',' +
           std::to_string(pattern.ContrastKind);
    for (int32_t line = TGui2Reg::LineCount - 1; line >= 0; --line) {
        const bool predicts = pattern.PositionCount(line) > 0;
        out += ',';
        out += LinePositions(pattern, line);
        out += ',';
        if (predicts) out += pattern.ResultText(pattern.GetResult(line));
    }
    out += "\r\n";
}

bool WritePatternTable(std::span<const TGui2Reg* const> patterns, const TWriteChunk& write,
                       TJobControl* control) {
    std::string buffer = Utf8ByteOrderMark + PatternTableHeader();
    buffer.reserve(ChunkBytes + 4096);
    int64_t written = 0;
    const auto total = static_cast<int64_t>(patterns.size());
    for (const TGui2Reg* pattern : patterns) {
        AppendPatternRow(buffer, *pattern);
        if (buffer.size() >= ChunkBytes) {
            write(buffer);
            buffer.clear();
        }
        if (++written % RowsBetweenLooks == 0 && control != nullptr) {
            if (control->Cancelled()) return false;
            control->Report(written, total);
        }
    }
    write(buffer);
    if (control != nullptr) control->Report(written, total);
    return true;
}

bool ExportPatternTable(const std::string& path, std::span<const TGui2Reg* const> patterns,
                        TJobControl* control) {
    try {
        WriteFileAtomically(path, [&](const TWriteChunk& write) {
            if (!WritePatternTable(patterns, write, control)) throw TExportStopped{};
        });
    } catch (const TExportStopped&) {
        return false;
    }
    return true;
}
