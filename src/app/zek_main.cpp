// The program: the start window runs the start-up and opens the main window.
#include "app/app_state.h"
#include "app/gui/qt_prompter.h"
#include "app/gui/start_window.h"
#include "zek_version.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setOrganizationName("ZEK");
    QApplication::setApplicationName("zek");
    QApplication::setApplicationDisplayName("ZEK");
    QApplication::setApplicationVersion(ZEK_VERSION_TEXT);
    QApplication::setDesktopFileName("zek");
    // The start window is hidden once the main window shows; the program ends when the start-up
    // or the main window says so, not when the last window happens to close.
    QApplication::setQuitOnLastWindowClosed(false);

    zek::QtPrompter prompter;
    zek::platform::setPrompter(&prompter);

    zek::AppState app;
    const QStringList arguments = QApplication::arguments();
    zek::StartWindow start(app, arguments.value(1));
    QObject::connect(
        &start, &zek::StartWindow::finished, &application, [](int code) { QCoreApplication::exit(code); },
        Qt::QueuedConnection);
    start.show();
    const int code = QApplication::exec();
    zek::platform::setPrompter(nullptr);
    return code;
}
