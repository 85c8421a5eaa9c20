#include "search/DocumentSession.h"

#include <filesystem>
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
    return ParseWorkDocument(ReadWholeFile(path_), control);
}

void TDocumentSession::Take(TWorkDocumentContent&& content, TCodes& draws, TGui2RegMgr& manager) {
    TakeWorkDocument(std::move(content), draws, manager);
    openFailed_ = false;
    modified_ = false;
}

void TDocumentSession::OpenFailed() {
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
    const std::string companion = RegisterPathOf(path_);
    std::error_code error;
    if (!fs::exists(Native(companion), error)) return {};
    try {
        return ParseRegister(ReadTextFile(companion, MaxDrawFileBytes), draws);
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
    RemoveStaleTemporaries(path_);  // left by a save that was killed
    SaveWorkDocument(path_, draws, manager);
    const std::string companion = RegisterPathOf(path_);
    if (reg.Known()) {
        TDrawRegister fitted = reg;
        fitted.Fit(draws.Count());
        WriteFileAtomically(companion, RegisterText(fitted, draws));
    } else if (fs::exists(Native(companion), error)) {
        fs::remove(Native(companion), error);
    }
    modified_ = false;
}
