// A prompter for tests: answers from scripts and records every box and dialog it was shown.
#pragma once

#include "platform/prompt.h"

#include <QList>
#include <QString>

#include <deque>
#include <functional>
#include <optional>

namespace zek::test {

struct ShownMessage {
    QString text;
    int style = 0;
    QString title;
};

class ScriptedPrompter : public platform::Prompter {
public:
    // Installs itself for its lifetime.
    ScriptedPrompter();
    ~ScriptedPrompter() override;

    // Answers for the next message boxes, in order; without one, a box gets its first button.
    std::deque<int> messageAnswers;
    std::deque<std::optional<QString>> openAnswers;
    std::deque<std::optional<QString>> saveAnswers;
    std::deque<std::optional<QString>> workDirectoryAnswers;
    std::deque<int> positionAnswers;
    std::deque<std::optional<platform::PrinterChoice>> printSetupAnswers;
    std::deque<std::optional<platform::PrintDialogAnswer>> printAnswers;

    QList<ShownMessage> messages;
    QList<platform::FileDialogRequest> openRequests;
    QList<platform::FileDialogRequest> saveRequests;
    QList<platform::WorkDirectoryRequest> workDirectoryRequests;
    QList<platform::PositionRequest> positionRequests;
    QList<platform::PrinterChoice> printSetupRequests;
    QList<platform::PrintDialogRequest> printRequests;

    QStringList texts() const;
    void clear();

    int message(const QString& text, int style, const QString& title) override;
    std::optional<QString> openFileName(const platform::FileDialogRequest& request) override;
    std::optional<QString> saveFileName(const platform::FileDialogRequest& request) override;
    std::optional<platform::PrinterChoice> printSetup(const platform::PrinterChoice& current) override;
    std::optional<platform::PrintDialogAnswer>
    printDialog(const platform::PrintDialogRequest& request) override;
    std::optional<QString> workDirectory(const platform::WorkDirectoryRequest& request) override;
    int position(const platform::PositionRequest& request) override;
    // Records the dialog's object name; dialogHandler, when set, plays the user and gives the result.
    int execDialog(QObject& dialog) override;
    std::function<int(QObject&)> dialogHandler;
    QStringList dialogs;

private:
    platform::Prompter* m_previous = nullptr;
};

} // namespace zek::test
