#include "support/scripted_prompter.h"

#include <QScopeGuard>

#include <utility>

namespace zek::test {

namespace {

template <typename T, typename D> T takeOr(std::deque<T>& queue, D fallback) {
    if (queue.empty())
        return fallback;
    // Returned straight from the queue: a named copy of an optional<QString> here makes GCC's
    // optimiser warn of a use before initialisation that cannot happen.
    const auto pop = qScopeGuard([&] { queue.pop_front(); });
    return std::move(queue.front());
}

int firstButton(int style) {
    switch (style & 7) {
    case platform::MbAbortRetryIgnore:
        return platform::IdAbort;
    case platform::MbYesNoCancel:
    case platform::MbYesNo:
        return platform::IdYes;
    case platform::MbRetryCancel:
        return platform::IdRetry;
    default:
        return platform::IdOk;
    }
}

} // namespace

ScriptedPrompter::ScriptedPrompter() {
    m_previous = platform::setPrompter(this);
}

ScriptedPrompter::~ScriptedPrompter() {
    platform::setPrompter(m_previous);
}

QStringList ScriptedPrompter::texts() const {
    QStringList result;
    for (const ShownMessage& m : messages)
        result.append(m.text);
    return result;
}

void ScriptedPrompter::clear() {
    messages.clear();
    openRequests.clear();
    saveRequests.clear();
    workDirectoryRequests.clear();
    positionRequests.clear();
    printSetupRequests.clear();
    printRequests.clear();
}

int ScriptedPrompter::message(const QString& text, int style, const QString& title) {
    messages.append({text, style, title});
    return takeOr(messageAnswers, firstButton(style));
}

std::optional<QString> ScriptedPrompter::openFileName(const platform::FileDialogRequest& request) {
    openRequests.append(request);
    return takeOr(openAnswers, std::optional<QString>());
}

std::optional<QString> ScriptedPrompter::saveFileName(const platform::FileDialogRequest& request) {
    saveRequests.append(request);
    return takeOr(saveAnswers, std::optional<QString>());
}

std::optional<platform::PrinterChoice> ScriptedPrompter::printSetup(const platform::PrinterChoice& current) {
    printSetupRequests.append(current);
    return takeOr(printSetupAnswers, std::optional<platform::PrinterChoice>());
}

std::optional<platform::PrintDialogAnswer>
ScriptedPrompter::printDialog(const platform::PrintDialogRequest& request) {
    printRequests.append(request);
    return takeOr(printAnswers, std::optional<platform::PrintDialogAnswer>());
}

std::optional<QString> ScriptedPrompter::workDirectory(const platform::WorkDirectoryRequest& request) {
    workDirectoryRequests.append(request);
    return takeOr(workDirectoryAnswers, std::optional<QString>());
}

int ScriptedPrompter::execDialog(QObject& dialog) {
    dialogs.append(dialog.objectName());
    return dialogHandler ? dialogHandler(dialog) : 0;
}

int ScriptedPrompter::position(const platform::PositionRequest& request) {
    positionRequests.append(request);
    return takeOr(positionAnswers, 0);
}

} // namespace zek::test
