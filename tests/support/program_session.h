// The whole program for a window test: a private home and work directory, a scripted prompter, and
// the start-up run up to the idle main window. Header only: it needs the window library, which the
// support library does not link.
#pragma once

#include "app/gui/main_window.h"
#include "app/gui/start_window.h"
#include "platform/host_paths.h"
#include "platform/profile.h"
#include "support/scripted_prompter.h"
#include "support/test_env.h"

#include <QAction>
#include <QApplication>
#include <QTest>

#include <memory>

namespace zek::test {

class ProgramSession {
public:
    std::unique_ptr<TestEnvironment> env = std::make_unique<TestEnvironment>();
    std::unique_ptr<ScriptedPrompter> prompter = std::make_unique<ScriptedPrompter>();
    std::unique_ptr<AppState> app;
    std::unique_ptr<StartWindow> start;

    MainWindow* main() const { return start ? start->mainWindow() : nullptr; }
    QAction* action(const QString& name) const { return main()->findChild<QAction*>(name); }

    // Starts the program on the private work directory; true once the main window is idle and active.
    bool startProgram() {
        const QString ini = platform::settingsFileName();
        if (!platform::writePrivateProfileString("Global", "DefaultDirectory", env->workDirectory(), ini) ||
            !platform::writePrivateProfileString("Tip", "Tipstart", "NO", ini))
            return false;
        app = std::make_unique<AppState>();
        start = std::make_unique<StartWindow>(*app);
        start->setAssociationCaches(platform::CacheUpdate::Skip);
        start->show();
        if (!QTest::qWaitFor([this] { return main() && main()->status() == "ZEK 32-bit version"; }))
            return false;
        QApplication::setActiveWindow(main());
        return QTest::qWaitForWindowActive(main());
    }

    ~ProgramSession() {
        if (main() && !main()->hasEnded()) {
            prompter->messageAnswers = {platform::IdNo};
            main()->close();
        }
        start.reset();
        app.reset();
        prompter.reset();
        env.reset();
    }
};

} // namespace zek::test
