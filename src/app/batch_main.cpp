// zek-batch: the headless scanner. See batch_options.cpp for its command line.
#include "app/batch_run.h"

#include <QGuiApplication>

#include <csignal>
#include <cstdio>
#include <memory>
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

QtMessageHandler g_qtMessages = nullptr;

// A run from cron has no XDG_RUNTIME_DIR, and Qt's warning about it would be mailed with every run:
// the folder it falls back on serves zek-batch well enough.
void withoutRuntimeDirWarning(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtWarningMsg && text.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    if (g_qtMessages)
        g_qtMessages(type, context, text);
}

// Whether the run writes a report: only the reports need fonts, so only they need a GUI application,
// whose start-up (a platform plugin, the font configuration) a scan does without.
bool writesReports(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const zek::batch::ParsedOptions parsed = zek::batch::parseBatchOptions(arguments);
    return !parsed.options.detailFile.isEmpty() || !parsed.options.summaryFile.isEmpty();
}

} // namespace

int main(int argc, char** argv) {
    // The PDF writer and its fonts need a GUI application, but never a display: a run from cron has
    // none, so without a platform named the offscreen one serves.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    g_qtMessages = qInstallMessageHandler(withoutRuntimeDirWarning);
    const std::unique_ptr<QCoreApplication> app = writesReports(argc, argv)
                                                      ? std::make_unique<QGuiApplication>(argc, argv)
                                                      : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zek-batch"));
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);

    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return zek::batch::runBatch(arguments, out, err, &g_interrupted, ::isatty(STDERR_FILENO) == 1);
}
