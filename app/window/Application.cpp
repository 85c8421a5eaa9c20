#include "app/window/Application.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTranslator>
#include <exception>

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
    QFont::insertSubstitution(QStringLiteral("SimSun"), QStringLiteral("Noto Serif CJK SC"));
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

QString ChooseProgramFolder(const QString& exeFolder, const QString& dataFolder) {
    // A folder the user cannot write (such as /usr/bin) could keep neither the document nor
    // the settings.
    if (QFileInfo::exists(QDir(exeFolder).filePath(QString::fromUtf8(SettingsFileName))) &&
        QFileInfo(exeFolder).isWritable())
        return exeFolder;
    return dataFolder;
}

QString ProgramFolder() {
    QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (dataFolder.isEmpty())
        dataFolder = QDir::home().filePath(QStringLiteral(".local/share/Tolvane"));
    QString folder = ChooseProgramFolder(QCoreApplication::applicationDirPath(), dataFolder);
    QDir().mkpath(folder);
    return folder;
}
