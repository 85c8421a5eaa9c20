#pragma once

#include <string>

#include "data/DrawRegister.h"
#include "data/Hao.h"
#include "search/Gui2RegMgr.h"
#include "search/WorkDocument.h"

// The open work document: where it lives, whether the draws or patterns changed since the last
// open or save, and the care taken of a file that could not be read (it is copied aside before
// the first save replaces it).
class TDocumentSession {
  public:
    explicit TDocumentSession(std::string path);

    const std::string& Path() const { return path_; }

    bool Modified() const { return modified_; }
    void MarkModified() { modified_ = true; }
    void MarkUnmodified() { modified_ = false; }

    // Reads the document into the draws and the manager, all or nothing. Raises the reason when
    // the file is missing or damaged; the targets are then unchanged, and a file that exists is
    // remembered as unreadable.
    void Open(TCodes& draws, TGui2RegMgr& manager);
    // Open in steps, for a caller that reads on another thread: Read reads and checks the file
    // (any thread; it changes nothing here), Take puts what was read in place, OpenFailed
    // records that the document was not opened (failed or stopped), so that its file is kept.
    TWorkDocumentContent Read(TJobControl* control) const;
    void Take(TWorkDocumentContent&& content, TCodes& draws, TGui2RegMgr& manager);
    void OpenFailed();

    // Writes the document through a temporary file, so the old one survives a failure. Before
    // replacing an unreadable document it copies it aside; BackupPath() then names the copy.
    // Raises the reason of a failure; the session stays modified then.
    void Save(const TCodes& draws, const TGui2RegMgr& manager);
    // The same, and the draws' register into the companion file (RegisterPathOf): both are
    // written whole before either replaces its file, the document first; a failure before
    // that leaves the old pair, a failure after it leaves the new register's temporary file
    // for FinishInterruptedSave. A register that knows nothing removes the companion.
    void Save(const TCodes& draws, const TGui2RegMgr& manager, const TDrawRegister& reg);
    // Puts the pair right after a save that stopped between its renames (killed, or the
    // register could not be renamed): a document's temporary file left means the document was
    // never replaced, and every temporary file of the pair goes; else a register's temporary
    // file left belongs to the new document and replaces the companion. Called before the
    // document is read at start and before each save; true when it changed something.
    bool FinishInterruptedSave();

    // The register of the document's draws from its companion file, read after the document.
    // No companion: a register of unknowns. A companion that does not match the draws (other
    // draws, damaged, issues out of order, a date that is no date) is never trusted: it is
    // moved aside (FreeBackupName) and RegisterMessage() tells why and where it went. A few
    // unreadable lines in a companion that otherwise matches leave their rows unknown: the
    // file is copied aside and RegisterMessage() names the lines.
    TDrawRegister OpenRegister(const TCodes& draws);
    const std::string& RegisterMessage() const { return registerMessage_; }

    // The copy of unsaved changes written when the run ends without a save (the system's
    // end of the session): the document and its register as a save writes them, at
    // RecoveryPathOf(Path()); the session stays modified. A save or DiscardRecoveryCopy
    // removes it. After OpenRecoveryCopyNext the next Read, Take and OpenRegister read the
    // copy instead of the document, and what is taken stays modified.
    void SaveRecoveryCopy(const TCodes& draws, const TGui2RegMgr& manager,
                          const TDrawRegister& reg);
    bool HasRecoveryCopy() const;
    void DiscardRecoveryCopy();
    void OpenRecoveryCopyNext() { recovering_ = true; }
    static std::string RecoveryPathOf(const std::string& path);

    // The copy of an unreadable document made by the last save, else empty.
    const std::string& BackupPath() const { return backupPath_; }

    // path + ".bak", or ".bak1", ".bak2" … for the first name that is free.
    static std::string FreeBackupName(const std::string& path);

  private:
    std::string OpenedPath() const;
    static void WritePair(const std::string& path, const TCodes& draws, const TGui2RegMgr& manager,
                          const TDrawRegister& reg);
    static bool FinishInterruptedSaveOf(const std::string& path);

    std::string path_;
    bool recovering_ = false;
    bool modified_ = false;
    bool openFailed_ = false;
    std::string backupPath_;
    std::string registerMessage_;
};
