#include "app/Application.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QMessageBox>
#include <QStandardPaths>
#include <exception>

#include "data/ProgramIdentity.h"
#include "view/paint/PaintBasics.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Tolvane"));
    setOrganizationName(QString());
    InstallFontSubstitutes();
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

QString ProgramFolder() {
    const QString exeFolder = QCoreApplication::applicationDirPath();
    if (QFileInfo::exists(QDir(exeFolder).filePath(QString::fromUtf8(SettingsFileName))))
        return exeFolder;
    QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (folder.isEmpty()) folder = QDir::home().filePath(QStringLiteral(".local/share/Tolvane"));
    QDir().mkpath(folder);
    return folder;
}
