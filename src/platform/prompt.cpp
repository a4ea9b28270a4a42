#include "platform/prompt.h"

namespace zek::platform {
namespace {

// Answers without asking: the first button of every box, Cancel for every dialog.
class SilentPrompter : public Prompter {
public:
    int message(const QString&, int style, const QString&) override {
        switch (style & 7) {
        case MbAbortRetryIgnore:
            return IdAbort;
        case MbYesNoCancel:
        case MbYesNo:
            return IdYes;
        case MbRetryCancel:
            return IdRetry;
        default:
            return IdOk;
        }
    }
    std::optional<QString> openFileName(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> saveFileName(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<PrinterChoice> printSetup(const PrinterChoice&) override { return std::nullopt; }
    std::optional<QString> workDirectory(const WorkDirectoryRequest&) override { return std::nullopt; }
    int position(const PositionRequest&) override { return 0; }
};

SilentPrompter g_silent;
Prompter* g_current = &g_silent;

} // namespace

Prompter& prompter() {
    return *g_current;
}

Prompter* setPrompter(Prompter* p) {
    Prompter* previous = g_current == &g_silent ? nullptr : g_current;
    g_current = p ? p : &g_silent;
    return previous;
}

int msgBox(const QString& text, int style, const QString& title) {
    return prompter().message(text, style, title);
}

} // namespace zek::platform
