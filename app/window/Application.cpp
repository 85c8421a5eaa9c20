#include "app/window/Application.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTranslator>
#include <exception>
#ifndef _WIN32
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <csignal>
#endif

#include "data/FileIo.h"
#include "data/ProgramIdentity.h"
#include "view/paint/PaintBasics.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    IgnoreFileSizeSignal();  // a save past ulimit -f says "无法写入" instead of killing us
    setApplicationName(QStringLiteral("Tolvane"));
    setOrganizationName(QString());
    // Lets Wayland compositors match the windows with the installed desktop entry and icon.
    setDesktopFileName(QString::fromUtf8(DesktopId));
    setWindowIcon(ProgramIcon());
    InstallFontSubstitutes();
    InstallChineseTranslations(*this);
    WatchForTermination();
}

#ifndef _WIN32
namespace {

int terminationPipe[2] = {-1, -1};

void OnTerminationSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(terminationPipe[1], &byte, 1);
}

}  // namespace
#endif

void TApplication::WatchForTermination() {
#ifndef _WIN32
    // The signal handler only writes a byte; the window's thread reads it and acts.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, terminationPipe) != 0) return;
    auto* notifier = new QSocketNotifier(terminationPipe[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this, notifier] {
        char byte = 0;
        [[maybe_unused]] const ssize_t read = ::read(terminationPipe[0], &byte, 1);
        notifier->setEnabled(false);  // once is enough
        emit TerminationRequested();
    });
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
#endif
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        QMessageBox::critical(activeWindow(), applicationName(), QString::fromStdString(e.what()));
    }
    return false;
}

void InstallFontSubstitutes() {
    SongFont();  // maps "宋体" to an installed CJK serif
    QFont::insertSubstitutions(
        QStringLiteral("SimSun"),
        {QStringLiteral("NSimSun"), QStringLiteral("Noto Serif CJK SC"),
         QStringLiteral("Microsoft YaHei"), QStringLiteral("Noto Sans CJK SC")});
#ifdef _WIN32
    // Windows: the system's interface font may lack Chinese (an English system, or Wine), so
    // the Chinese faces come next, one character at a time, the first installed one first.
    QFont font = QApplication::font();
    QStringList families{font.family()};
    const QStringList installed = QFontDatabase::families();
    for (const char* family : {"Microsoft YaHei UI", "Microsoft YaHei", "SimSun", "NSimSun",
                               "Noto Sans CJK SC", "Noto Serif CJK SC"})
        if (installed.contains(QString::fromLatin1(family), Qt::CaseInsensitive))
            families << QString::fromLatin1(family);
    font.setFamilies(families);
    QApplication::setFont(font);
#endif
}

bool InstallChineseTranslations(QCoreApplication& application) {
    // Qt's own texts (file dialogs, the editor's context menu) in Chinese; where the
    // translations are not installed the program works with Qt's English texts.
    auto* translator = new QTranslator(&application);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                          QStringLiteral("_"), folder)) {
        delete translator;
        return false;
    }
    application.installTranslator(translator);
    return true;
}

QIcon ProgramIcon() {
    const QString id = QString::fromUtf8(DesktopId);
    QIcon compiledIn;
    for (const int size : {48, 128, 256})
        compiledIn.addFile(QStringLiteral(":/icons/%1x%1/%2.png").arg(size).arg(id));
    return QIcon::fromTheme(id, compiledIn);
}

bool CanCreateFilesIn(const QString& folder) {
    // A real try: the folder's permission bits (or a Windows folder's read-only mark) do not
    // tell what the system lets this user do.
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".tolvane-probe-XXXXXX")));
    return probe.open();
}

QString ChooseProgramFolder(const QString& exeFolder, const QString& dataFolder) {
    // A folder the user cannot write (such as /usr/bin or C:\Program Files) could keep neither
    // the document nor the settings.
    if (!CanCreateFilesIn(exeFolder)) return dataFolder;
#ifdef _WIN32
    // Windows: a program folder the user may write is the portable program's own (an unpacked
    // zip keeps its settings and document beside tolvane.exe from the first start).
    return exeFolder;
#else
    // Elsewhere only a folder that already holds the settings is a portable install.
    if (QFileInfo::exists(QDir(exeFolder).filePath(QString::fromUtf8(SettingsFileName))))
        return exeFolder;
    return dataFolder;
#endif
}

QString ProgramFolder() {
    QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (dataFolder.isEmpty())
        dataFolder = QDir::home().filePath(QStringLiteral(".local/share/Tolvane"));
    QString folder = ChooseProgramFolder(QCoreApplication::applicationDirPath(), dataFolder);
    QDir().mkpath(folder);
    return folder;
}

void RemoveDebrisAtStart(const QString& programFolder, const QStringList& paths) {
    for (const QString& path : paths) RemoveStaleTemporaries(path.toStdString());
    const std::string notes =
        QDir(programFolder).filePath(QString::fromUtf8(WriteNotesFolderName)).toStdString();
    RemoveDebrisOfKilledWrites(notes);
    SetWriteNotesFolder(notes);
}

QString FolderLockPath(const QString& programFolder) {
    return QDir(programFolder).filePath(QString::fromUtf8(FolderLockFileName));
}

bool LockProgramFolder(QLockFile& lock) {
    // Never stale by age: a run lasts for days. A lock whose program is gone is stale.
    lock.setStaleLockTime(0);
    if (lock.tryLock(0)) return true;
    return lock.error() != QLockFile::LockFailedError;
}
