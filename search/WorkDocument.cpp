#include "search/WorkDocument.h"

#include <string_view>

#include "data/Error.h"
#include "data/FileIo.h"

namespace {

// Rows further back than this cannot come from any search the program can run.
constexpr int32_t DeepestRowOffset = -1000;

[[noreturn]] void ThrowBadPattern(int32_t index, const std::string& what) {
    throw TError("Pattern " + std::to_string(index + 1) +
                 " of the work document is damaged: " + what + ".");
}

bool InRange(int32_t value, int32_t low, int32_t high) {
    return value >= low && value <= high;
}

}  // namespace

void CheckStoredDraws(const TCodes& draws, const char* what) {
    const DrawRecord* rows = draws.Rows();
    for (int32_t r = 0; r < draws.Count(); ++r) {
        const DrawRecord& row = rows[r];
        bool good = row[0] == row[1] + row[2] + row[3] + row[4];
        for (int p = 1; p <= 7; ++p) good = good && InRange(row[p], 0, 9);
        if (!good)
            throw TError("Draw " + std::to_string(r + 1) + " of the " + what +
                         " of the work document is damaged.");
    }
}

void CheckStoredPattern(const TGui2Reg& pattern, int32_t index) {
    for (int32_t l = 0; l < TGui2Reg::LineCount; ++l) {
        const TPointList& line = pattern.Line(l);
        for (int32_t i = 0; i < line.Count(); ++i) {
            const TPoint p = line.Items()[i];
            if (!InRange(p.X, 0, 7) || !InRange(p.Y, DeepestRowOffset, 0))
                ThrowBadPattern(index, "a cell lies outside the grid");
        }
        const TLineResult& result = pattern.LineResults[static_cast<size_t>(l)];
        if (!InRange(result.ResultValue, 0, 9)) ThrowBadPattern(index, "a result is not a digit");
        for (uint8_t mark : result.Positions)
            if (mark > 1) ThrowBadPattern(index, "a position mark is neither 0 nor 1");
    }
    if (!InRange(pattern.Layout, 1, 4)) ThrowBadPattern(index, "unknown layout");
    if (!InRange(pattern.ContrastKind, 1, 3)) ThrowBadPattern(index, "unknown contrast kind");
    if (pattern.BaseRow < 0) ThrowBadPattern(index, "negative base row");
    for (int32_t sum : pattern.StepSums)
        if (!InRange(sum, 0, 9)) ThrowBadPattern(index, "a step sum is not a digit");
}

void ReadWorkDocument(std::vector<uint8_t> bytes, TCodes& gridDraws, TGui2RegMgr& manager) {
    if (bytes.empty()) return;
    TMemoryStream stream(std::move(bytes));
    // Everything is read into scratch objects first; the targets change only at the end.
    TCodes grid;
    grid.LoadFromStream(stream);
    CheckStoredDraws(grid, "grid draws");
    TGui2RegMgr::TLoaded piece = TGui2RegMgr::ReadPiece(stream);
    if (stream.Remaining() != 0)
        throw TError("The work document has " + std::to_string(stream.Remaining()) +
                     " unexpected bytes after its end.");
    // Reading the grid's record again cannot fail now and leaves Modified as a load does.
    stream.SetPosition(0);
    gridDraws.LoadFromStream(stream);
    manager.TakePiece(std::move(piece));
}

std::vector<uint8_t> WriteWorkDocument(const TCodes& gridDraws, const TGui2RegMgr& manager) {
    return WriteWorkDocument(gridDraws, manager.Patterns(), manager.SearchDraws());
}

bool OpenWorkDocument(const std::string& path, TCodes& gridDraws, TGui2RegMgr& manager) {
    std::vector<uint8_t> bytes = ReadWholeFile(path);
    if (bytes.empty()) return false;
    ReadWorkDocument(std::move(bytes), gridDraws, manager);
    return true;
}

std::vector<uint8_t> WriteWorkDocument(const TCodes& gridDraws,
                                       const std::vector<std::unique_ptr<TGui2Reg>>& patterns,
                                       const TCodes& searchDraws) {
    TMemoryStream stream;
    gridDraws.SaveToStream(stream);
    stream.WriteInt32(static_cast<int32_t>(patterns.size()));
    for (const auto& pattern : patterns) pattern->SaveToStream(stream);
    searchDraws.SaveToStream(stream);
    return stream.Bytes();
}

void SaveWorkDocument(const std::string& path, const TCodes& gridDraws,
                      const TGui2RegMgr& manager) {
    SaveWorkDocument(path, gridDraws, manager.Patterns(), manager.SearchDraws());
}

void SaveWorkDocument(const std::string& path, const TCodes& gridDraws,
                      const std::vector<std::unique_ptr<TGui2Reg>>& patterns,
                      const TCodes& searchDraws) {
    WriteFileAtomically(path, [&](const TWriteChunk& write) {
        // One reused buffer: records are written at its start and handed on once it is full.
        constexpr size_t ChunkSize = 1 << 20;
        TMemoryStream chunk;
        const auto flush = [&] {
            write(std::string_view(reinterpret_cast<const char*>(chunk.Bytes().data()),
                                   chunk.Position()));
            chunk.SetPosition(0);
        };
        gridDraws.SaveToStream(chunk);
        chunk.WriteInt32(static_cast<int32_t>(patterns.size()));
        for (const auto& pattern : patterns) {
            pattern->SaveToStream(chunk);
            if (chunk.Position() >= ChunkSize) flush();
        }
        searchDraws.SaveToStream(chunk);
        flush();
    });
}

