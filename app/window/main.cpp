#include "app/window/Main.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <cstdio>
#include <span>

#include "app/window/Application.h"
#include "app/window/StartOptions.h"
#include "data/Platform.h"
#include "data/ProgramIdentity.h"

int main(int argc, char* argv[]) {
    if (const auto answer = AnswerBeforeStart(std::span<const char* const>(argv, argc))) {
        AnswerOnParentConsole();
        std::fputs(answer->Text.c_str(), stdout);
        return answer->ExitStatus;
    }
    TApplication app(argc, argv);
    const QString folder = ProgramFolder();
    // One program per folder: a second one would save over the first one's document.
    QLockFile lock(FolderLockPath(folder));
    if (!LockProgramFolder(lock)) {
        app.Prompts().ShowMessage(nullptr, QString::fromUtf8(AlreadyRunningText));
        return 1;
    }
    TMainForm form(folder, app.Prompts());
    // The system ends the run: unsaved changes are kept for the next start, without a question.
    const auto endRun = [&form] { form.KeepUnsavedChanges(); };
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &form, endRun);
    QObject::connect(&app, &TApplication::TerminationRequested, &form, [endRun] {
        endRun();
        QCoreApplication::exit(0);
    });
    form.show();
    // Maximised once the window stands, like the end of the start-up.
    QTimer::singleShot(0, &form, [&form] {
        // Without a window manager a maximise request does nothing: fill the screen anyway.
        if (QScreen* screen = form.screen()) form.setGeometry(screen->availableGeometry());
        form.showMaximized();
    });
    return app.exec();
}
