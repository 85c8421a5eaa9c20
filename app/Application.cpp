#include "app/Application.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTranslator>
#include <exception>

#include "data/ProgramIdentity.h"
#include "view/paint/PaintBasics.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Tolvane"));
    setOrganizationName(QString());
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

QString ProgramFolder() {
    const QString exeFolder = QCoreApplication::applicationDirPath();
    if (QFileInfo::exists(QDir(exeFolder).filePath(QString::fromUtf8(SettingsFileName))))
        return exeFolder;
    QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (folder.isEmpty()) folder = QDir::home().filePath(QStringLiteral(".local/share/Tolvane"));
    QDir().mkpath(folder);
    return folder;
}
