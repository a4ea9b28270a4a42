// The prompter the program installs: real message boxes and dialogs.
#pragma once

#include "platform/prompt.h"

class QWidget;

namespace zek {

class QtPrompter : public platform::Prompter {
public:
    QtPrompter() = default;

    // The classic style maps to a QMessageBox: button set in the low three bits, the icon in 16..64,
    // the default button in 0x100 (second) or 0x200 (third). Carriage returns are dropped from the
    // text, since the program's texts end lines with CR LF.
    int message(const QString& text, int style, const QString& title) override;
    std::optional<QString> openFileName(const platform::FileDialogRequest& request) override;
    std::optional<QString> saveFileName(const platform::FileDialogRequest& request) override;
    // The printer dialog in set-up mode on the program's printer.
    std::optional<platform::PrinterChoice> printSetup(const platform::PrinterChoice& current) override;
    // The printer dialog with page range, selection and copies.
    std::optional<platform::PrintDialogAnswer>
    printDialog(const platform::PrintDialogRequest& request) override;
    // The work-directory dialog (WorkDirectoryDialog), modal, with the proposal selected.
    std::optional<QString> workDirectory(const platform::WorkDirectoryRequest& request) override;
    // The position dialog (PositionDialog), modal; 0 for Cancel.
    int position(const platform::PositionRequest& request) override;
    int execDialog(QObject& dialog) override;
};

// The window the dialogs belong to: the active window, else the first visible top-level one.
QWidget* dialogParent();

// The Id* constant for a style's button set when a box is closed without a button (Escape or the
// close box where the box has no Cancel).
int closedWithoutButton(int style);

// A message text as shown: line ends without carriage returns.
QString messageText(const QString& text);

} // namespace zek
