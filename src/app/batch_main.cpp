// zek-batch: the headless scanner. See batch_options.cpp for its command line.
#include "app/batch_run.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void onInterrupt(int signalNumber) {
    // A second Ctrl-C ends the program at once.
    if (g_interrupted) {
        std::signal(signalNumber, SIG_DFL);
        std::raise(signalNumber);
        return;
    }
    g_interrupted = 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zek-batch"));
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);

    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return zek::batch::runBatch(arguments, out, err, &g_interrupted, ::isatty(STDERR_FILENO) == 1);
}
