#ifndef _WIN32
#include <unistd.h>
#endif

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "app/window/Application.h"

class TestProgramFolder : public QObject {
    Q_OBJECT

  private slots:
    // Portable only where the folder can keep the user's files and, except on Windows, the
    // settings file is already there; a folder that is not there keeps nothing.
    void ExecutableFolderOnlyWhenItHoldsWritableSettings() {
        QTemporaryDir exe;
        const QString data = QStringLiteral("/data/Tolvane");
#ifdef _WIN32
        QCOMPARE(ChooseProgramFolder(exe.path(), data), exe.path());
#else
        QCOMPARE(ChooseProgramFolder(exe.path(), data), data);
#endif
        QCOMPARE(ChooseProgramFolder(exe.filePath(QStringLiteral("gone")), data), data);

        QFile(exe.filePath(QStringLiteral("pavolen.ini"))).open(QIODevice::WriteOnly);
        QCOMPARE(ChooseProgramFolder(exe.path(), data), exe.path());
        QVERIFY2(QDir(exe.path()).entryList(QDir::Hidden | QDir::Files).size() == 1,
                 "the probe leaves no file behind");

#ifdef _WIN32
        QSKIP("folder permissions are not POSIX bits on Windows");
#else
        if (::geteuid() == 0) QSKIP("root writes into any folder");
        QFile::setPermissions(exe.path(), QFile::ReadOwner | QFile::ExeOwner);
        QCOMPARE(ChooseProgramFolder(exe.path(), data), data);
        QFile::setPermissions(exe.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
#endif
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
