#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "app/window/Application.h"

class TestProgramFolder : public QObject {
    Q_OBJECT

  private slots:
    // Portable only where the settings file is and the folder can keep the user's files.
    void ExecutableFolderOnlyWhenItHoldsWritableSettings() {
        QTemporaryDir exe;
        const QString data = QStringLiteral("/data/Tolvane");
        QCOMPARE(ChooseProgramFolder(exe.path(), data), data);

        QFile(exe.filePath(QStringLiteral("pavolen.ini"))).open(QIODevice::WriteOnly);
        QCOMPARE(ChooseProgramFolder(exe.path(), data), exe.path());

        if (::geteuid() == 0) QSKIP("root writes into any folder");
        QFile::setPermissions(exe.path(), QFile::ReadOwner | QFile::ExeOwner);
        QCOMPARE(ChooseProgramFolder(exe.path(), data), data);
        QFile::setPermissions(exe.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // Without an installed theme icon the window icon comes from inside the program.
    void IconIsThereWithoutATheme() {
        const QIcon icon = ProgramIcon();
        QVERIFY(!icon.isNull());
        QCOMPARE(icon.pixmap(48).width(), 48);
    }
};

QTEST_MAIN(TestProgramFolder)
#include "test_program_folder.moc"
