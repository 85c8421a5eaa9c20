#include "search/WorkDocument.h"

#include <string_view>

#include "data/Error.h"
#include "data/FileIo.h"
#include "search/StoredChecks.h"

TWorkDocumentContent ParseWorkDocument(std::vector<uint8_t> bytes, TJobControl* control) {
    TWorkDocumentContent content;
    if (bytes.empty()) return content;
    TMemoryStream stream(std::move(bytes));
    // Everything is read into scratch objects; the targets change only when it is taken.
    TCodes grid;
    grid.LoadFromStream(stream);
    CheckStoredDraws(grid, "grid draws");
    const size_t gridEnd = stream.Position();
    content.Piece = TGui2RegMgr::ReadPiece(stream, control);
    if (stream.Remaining() != 0)
        throw TError("The work document has " + std::to_string(stream.Remaining()) +
                     " unexpected bytes after its end.");
    stream.SetPosition(0);
    content.GridRecord.resize(gridEnd);
    stream.ReadExact(content.GridRecord.data(), gridEnd, "the grid record");
    content.Empty = false;
    return content;
}

void TakeWorkDocument(TWorkDocumentContent&& content, TCodes& gridDraws, TGui2RegMgr& manager) {
    if (content.Empty) return;
    // Reading the grid's record again cannot fail now and leaves Modified as a load does.
    TMemoryStream grid(std::move(content.GridRecord));
    gridDraws.LoadFromStream(grid);
    manager.TakePiece(std::move(content.Piece));
    content.Empty = true;
}

void ReadWorkDocument(std::vector<uint8_t> bytes, TCodes& gridDraws, TGui2RegMgr& manager) {
    TakeWorkDocument(ParseWorkDocument(std::move(bytes)), gridDraws, manager);
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

void WriteWorkDocument(const TWriteChunk& write, const TCodes& gridDraws,
                       const std::vector<std::unique_ptr<TGui2Reg>>& patterns,
                       const TCodes& searchDraws) {
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
}

void SaveWorkDocument(const std::string& path, const TCodes& gridDraws,
                      const std::vector<std::unique_ptr<TGui2Reg>>& patterns,
                      const TCodes& searchDraws) {
    WriteFileAtomically(path, [&](const TWriteChunk& write) {
        WriteWorkDocument(write, gridDraws, patterns, searchDraws);
    });
}
