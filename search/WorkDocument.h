#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/FileIo.h"
#include "data/Hao.h"
#include "data/ProgramIdentity.h"
#include "search/Gui2Reg.h"
#include "search/Gui2RegMgr.h"

// The work document: the grid's draws, the manager's patterns, the draws of the last search,
// as raw little-endian records one after the other.

// Reads a whole document. Every piece must be complete and hold sensible values, and nothing
// may follow the last piece; otherwise TError (TTruncatedError for a document cut short) is
// thrown and both targets are left exactly as they were. Empty bytes change nothing.
void ReadWorkDocument(std::vector<uint8_t> bytes, TCodes& gridDraws, TGui2RegMgr& manager);

// The same in two steps, so that the long part can run on another thread: ParseWorkDocument
// reads and checks everything (throwing as above, or TReadCancelled when control is cancelled)
// and touches nothing; TakeWorkDocument then puts it in place and cannot fail.
struct TWorkDocumentContent {
    std::vector<uint8_t> GridRecord;  // the grid's record as stored
    TGui2RegMgr::TLoaded Piece;
    bool Empty = true;  // an empty file: taking it changes nothing
};
TWorkDocumentContent ParseWorkDocument(std::vector<uint8_t> bytes, TJobControl* control = nullptr);
void TakeWorkDocument(TWorkDocumentContent&& content, TCodes& gridDraws, TGui2RegMgr& manager);
std::vector<uint8_t> WriteWorkDocument(const TCodes& gridDraws, const TGui2RegMgr& manager);
// The same layout from plain parts, for writers without a manager (the command-line tool).
std::vector<uint8_t> WriteWorkDocument(const TCodes& gridDraws,
                                       const std::vector<std::unique_ptr<TGui2Reg>>& patterns,
                                       const TCodes& searchDraws);

// The same written piece by piece, so that saving millions of patterns needs little memory.
void WriteWorkDocument(const TWriteChunk& write, const TCodes& gridDraws,
                       const std::vector<std::unique_ptr<TGui2Reg>>& patterns,
                       const TCodes& searchDraws);

// File forms. Opening a file of size 0 changes nothing and answers false. Saving goes through a
// temporary file in the same folder, so a failed save leaves the previous document intact.
bool OpenWorkDocument(const std::string& path, TCodes& gridDraws, TGui2RegMgr& manager);
// The document is written in pieces, so saving millions of patterns needs little extra memory.
void SaveWorkDocument(const std::string& path, const TCodes& gridDraws, const TGui2RegMgr& manager);
void SaveWorkDocument(const std::string& path, const TCodes& gridDraws,
                      const std::vector<std::unique_ptr<TGui2Reg>>& patterns,
                      const TCodes& searchDraws);
