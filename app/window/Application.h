#pragma once

#include <QApplication>
#include <QIcon>
#include <QLockFile>
#include <QString>
#include <QStringList>

#include "ui/Prompts.h"

// The application object: names, fonts, the one set of dialogs every window is given, and the
// last resort for errors that no command catches, which are shown in a message box while the
// program goes on.
class TApplication : public QApplication {
    Q_OBJECT

  public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
    // The message boxes, file dialogs and desktop hand-over of the whole run.
    TPrompts& Prompts() { return prompts_; }

  signals:
    // The system asks the program to end (SIGTERM or SIGHUP, on the window's thread); the
    // session's end on Windows comes as commitDataRequest instead.
    void TerminationRequested();

  private:
    void WatchForTermination();
    TDialogPrompts prompts_;
};

// Maps the Windows font families the windows ask for to installed ones.
void InstallFontSubstitutes();

// Loads Qt's own Chinese texts when they are installed; false when they are not.
bool InstallChineseTranslations(QCoreApplication& application);

// The window icon: the installed theme icon, else the copy compiled into the program.
QIcon ProgramIcon();

// The folder of the settings and the work document: the executable's own folder when files
// can be created there and it holds pavolen.ini (on Windows: whenever files can be created
// there; a portable install), else the user's data folder (%APPDATA%\Tolvane on Windows),
// created if missing.
QString ProgramFolder();

// At start, the debris of writes that were killed: the temporary files beside each of paths
// (the document, the settings) and those of every export and picture noted while it ran,
// wherever it went; then notes the writes of this run in the program folder's notes folder.
void RemoveDebrisAtStart(const QString& programFolder, const QStringList& paths);
// The choice behind ProgramFolder, without creating anything.
QString ChooseProgramFolder(const QString& exeFolder, const QString& dataFolder);
// Whether a file can be created in folder, tried for real.
bool CanCreateFilesIn(const QString& folder);

// Takes the program folder's lock for this run (FolderLockFileName), so that two programs
// never save over each other's document: false when another running program holds it. A lock
// left by a program that crashed is taken over; a folder where no lock can be made at all does
// not keep the program from starting. The lock goes with the object at the end of the run.
bool LockProgramFolder(QLockFile& lock);
// The lock file of a program folder.
QString FolderLockPath(const QString& programFolder);
