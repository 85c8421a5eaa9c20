#include "search/DocumentSession.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

#include "data/Error.h"
#include "data/FileIo.h"
#include "data/Platform.h"
#include "search/WorkDocument.h"

namespace fs = std::filesystem;

namespace {

// Names are UTF-8 here; the system's wide form keeps Chinese names whatever the code page.
fs::path Native(const std::string& path) {
    return PathFromUtf8(path);
}

}  // namespace

TDocumentSession::TDocumentSession(std::string path) : path_(std::move(path)) {}

void TDocumentSession::Open(TCodes& draws, TGui2RegMgr& manager) {
    TWorkDocumentContent content;
    try {
        content = Read(nullptr);
    } catch (...) {
        OpenFailed();
        throw;
    }
    Take(std::move(content), draws, manager);
}

TWorkDocumentContent TDocumentSession::Read(TJobControl* control) const {
    return ParseWorkDocument(ReadWholeFile(OpenedPath()), control);
}

std::string TDocumentSession::OpenedPath() const {
    return recovering_ ? RecoveryPathOf(path_) : path_;
}

void TDocumentSession::Take(TWorkDocumentContent&& content, TCodes& draws, TGui2RegMgr& manager) {
    TakeWorkDocument(std::move(content), draws, manager);
    openFailed_ = false;
    modified_ = recovering_;  // the recovered changes are not saved yet
}

void TDocumentSession::OpenFailed() {
    recovering_ = false;
    std::error_code error;
    openFailed_ = fs::exists(Native(path_), error);
}

std::string TDocumentSession::FreeBackupName(const std::string& path) {
    std::error_code error;
    std::string backup = path + ".bak";
    for (int n = 1; fs::exists(Native(backup), error); ++n)
        backup = path + ".bak" + std::to_string(n);
    return backup;
}

void TDocumentSession::Save(const TCodes& draws, const TGui2RegMgr& manager) {
    Save(draws, manager, TDrawRegister());
}

TDrawRegister TDocumentSession::OpenRegister(const TCodes& draws) {
    registerMessage_.clear();
    const std::string companion = RegisterPathOf(OpenedPath());
    recovering_ = false;
    std::error_code error;
    if (!fs::exists(Native(companion), error)) return {};
    try {
        std::vector<int32_t> skipped;
        TDrawRegister reg =
            ParseRegister(ReadTextFile(companion, MaxDrawFileBytes), draws, skipped);
        if (!skipped.empty()) {
            // The rest is sound: only the rows of those lines stay unknown, and the file as it
            // was is kept aside, as the next save writes the register without them.
            std::string named;
            for (const int32_t line : skipped)
                named += (named.empty() ? "" : "、") + std::to_string(line);
            const std::string backup = FreeBackupName(companion);
            registerMessage_ = "期号文件第" + named +
                               "行无法识别，这些期的期号和日期没有读入。\r\n" +
                               (fs::copy_file(Native(companion), Native(backup), error)
                                    ? "原文件已备份为：" + backup
                                    : "无法备份期号文件：" + companion);
        }
        return reg;
    } catch (const std::exception& e) {
        const std::string backup = FreeBackupName(companion);
        fs::rename(Native(companion), Native(backup), error);
        registerMessage_ = std::string(e.what()) + "\r\n" +
                           (error ? "无法移开期号文件：" + companion
                                  : "期号和日期没有读入，原文件已改名为：" + backup);
        return {};
    }
}

void TDocumentSession::Save(const TCodes& draws, const TGui2RegMgr& manager,
                            const TDrawRegister& reg) {
    backupPath_.clear();
    std::error_code error;
    if (openFailed_ && fs::exists(Native(path_), error)) {
        // The file that failed to open is kept beside the new one, never silently replaced.
        const std::string backup = FreeBackupName(path_);
        if (!fs::copy_file(Native(path_), Native(backup), error))
            throw TError("无法备份无法读取的文档：" + backup);
        backupPath_ = backup;
    }
    openFailed_ = false;
    WritePair(path_, draws, manager, reg);
    modified_ = false;
    DiscardRecoveryCopy();  // the document holds every change now
}

void TDocumentSession::WritePair(const std::string& path, const TCodes& draws,
                                 const TGui2RegMgr& manager, const TDrawRegister& reg) {
    FinishInterruptedSaveOf(path);
    // Both files are written and flushed before either is renamed; the document goes first,
    // so a save stopped between the renames leaves the new register waiting beside the new
    // document, which FinishInterruptedSave puts in place.
    const std::string companion = RegisterPathOf(path);
    TStagedWrite document(path, [&](const TWriteChunk& write) {
        WriteWorkDocument(write, draws, manager.Patterns(), manager.SearchDraws());
    });
    std::optional<TStagedWrite> registerFile;
    if (reg.Known()) {
        TDrawRegister fitted = reg;
        fitted.Fit(draws.Count());
        const std::string text = RegisterText(fitted, draws);
        registerFile.emplace(companion, [&](const TWriteChunk& write) { write(text); });
    }
    document.Commit();
    std::error_code error;
    if (registerFile) {
        try {
            registerFile->Commit();
        } catch (...) {
            registerFile->KeepTemporary();  // the next save or start puts it in place
            throw;
        }
    } else if (fs::exists(Native(companion), error)) {
        fs::remove(Native(companion), error);
    }
}

std::string TDocumentSession::RecoveryPathOf(const std::string& path) {
    return path + ".recovery";
}

void TDocumentSession::SaveRecoveryCopy(const TCodes& draws, const TGui2RegMgr& manager,
                                        const TDrawRegister& reg) {
    WritePair(RecoveryPathOf(path_), draws, manager, reg);
}

bool TDocumentSession::HasRecoveryCopy() const {
    FinishInterruptedSaveOf(RecoveryPathOf(path_));
    return !IsMissing(RecoveryPathOf(path_));
}

void TDocumentSession::DiscardRecoveryCopy() {
    const std::string copy = RecoveryPathOf(path_);
    RemoveStaleTemporaries(copy);
    RemoveStaleTemporaries(RegisterPathOf(copy));
    RemoveFileQuietly(RegisterPathOf(copy));
    RemoveFileQuietly(copy);
}

bool TDocumentSession::FinishInterruptedSave() {
    return FinishInterruptedSaveOf(path_);
}

bool TDocumentSession::FinishInterruptedSaveOf(const std::string& path) {
    const std::vector<std::string> documents = StaleTemporaries(path);
    std::vector<std::string> registers = StaleTemporaries(RegisterPathOf(path));
    if (documents.empty() && registers.empty()) return false;
    if (!documents.empty()) {
        // The document was never replaced: the old pair stands, the new one goes.
        for (const auto& temp : documents) RemoveFileQuietly(temp);
        for (const auto& temp : registers) RemoveFileQuietly(temp);
        return true;
    }
    // The document was replaced and its register not yet: the newest one belongs to it.
    std::error_code error;
    const auto newest = std::max_element(
        registers.begin(), registers.end(), [&](const std::string& a, const std::string& b) {
            return fs::last_write_time(Native(a), error) < fs::last_write_time(Native(b), error);
        });
    try {
        ReplaceFileDurably(*newest, WriteTarget(RegisterPathOf(path)));
        registers.erase(newest);
    } catch (const TError&) {
        return false;  // tried again at the next save or start
    }
    for (const auto& temp : registers) RemoveFileQuietly(temp);
    return true;
}
