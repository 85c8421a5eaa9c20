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

int main(int argc, char* argv[]) {
    if (const auto answer = AnswerBeforeStart(std::span<const char* const>(argv, argc))) {
        AnswerOnParentConsole();
        std::fputs(answer->Text.c_str(), stdout);
        return answer->ExitStatus;
    }
    TApplication app(argc, argv);
    const QString folder = ProgramFolder();
    TMainForm form(folder, app.Prompts());
    form.show();
    // Maximised once the window stands, like the end of the start-up.
    QTimer::singleShot(0, &form, [&form] {
        // Without a window manager a maximise request does nothing: fill the screen anyway.
        if (QScreen* screen = form.screen()) form.setGeometry(screen->availableGeometry());
        form.showMaximized();
    });
    return app.exec();
}
