// The one seam every message box and modal dialog goes through.
//
// The program installs a prompter that shows real dialogs; tests install one that answers from a
// script and records every text and title it was shown. Message boxes take the classic arguments:
// the text, a style made of a button set plus an icon, and a title; they return the button pressed.
#pragma once

#include "platform/printer_choice.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

namespace zek::platform {

// Button sets.
constexpr int MbOkOnly = 0;
constexpr int MbOkCancel = 1;
constexpr int MbAbortRetryIgnore = 2;
constexpr int MbYesNoCancel = 3;
constexpr int MbYesNo = 4;
constexpr int MbRetryCancel = 5;

// Icons, added to the button set.
constexpr int MbCritical = 16; // the stop icon
constexpr int MbQuestion = 32;
constexpr int MbExclamation = 48;
constexpr int MbInformation = 64;

// Buttons pressed.
constexpr int IdOk = 1;
constexpr int IdCancel = 2;
constexpr int IdAbort = 3;
constexpr int IdRetry = 4;
constexpr int IdIgnore = 5;
constexpr int IdYes = 6;
constexpr int IdNo = 7;

// The title a message box gets when its caller gives none.
inline const QString DefaultMessageTitle = QStringLiteral("ZEK");

struct FileDialogRequest {
    QString title;
    QString initialFolder;
    QString fileName;         // proposed name ("*.ZEK", "ZEKDB.ZEK")
    QString filter;           // "ZEK database (*.zek)"
    QString defaultExtension; // "ZEK"
};

struct WorkDirectoryRequest {
    QString title;
    QString prompt;
    QString label;
    QString proposal;
};

struct PositionRequest {
    QString caption; // "Add queryfield"
    int count = 0;   // current number of entries
    int current = 0; // current position, 1-based
};

// The print dialog: which pages, how many copies, on which printer.
struct PrintDialogRequest {
    QString caption; // "Detail Report"
    int minPage = 1;
    int maxPage = 1;
    int fromPage = 1;
    int toPage = 1;
    PrinterChoice printer; // the current printer, chosen when the dialog opens
    QString pdfFile;       // the file proposed for the built-in PDF writer
};

enum class PrintRange { All, Pages, Selection };

struct PrintDialogAnswer {
    PrintRange range = PrintRange::All;
    int fromPage = 1;
    int toPage = 1;
    int copies = 1;
    PrinterChoice printer; // the printer chosen in the dialog
    QString outputFile;    // for the built-in PDF writer, when the dialog asked for the file already
};

class Prompter {
public:
    virtual ~Prompter() = default;

    virtual int message(const QString& text, int style, const QString& title) = 0;
    // The chosen file, or nothing when the user cancelled.
    virtual std::optional<QString> openFileName(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> saveFileName(const FileDialogRequest& request) = 0;
    // The printer set-up dialog on the current printer: the printer and paper chosen, or nothing
    // when cancelled.
    virtual std::optional<PrinterChoice> printSetup(const PrinterChoice& current) = 0;
    // The print dialog; nothing when cancelled.
    virtual std::optional<PrintDialogAnswer> printDialog(const PrintDialogRequest& request) {
        (void)request;
        return std::nullopt;
    }
    // The work-directory dialog; nothing when the user chose Exit.
    virtual std::optional<QString> workDirectory(const WorkDirectoryRequest& request) = 0;
    // The position dialog; the chosen insert position, 0 for Cancel.
    virtual int position(const PositionRequest& request) = 0;
    // Any other modal window (the Tip of the Day): runs it and returns its result. Without a screen
    // to show it on, nothing is shown and the result is 0.
    virtual int execDialog(QObject& dialog) {
        (void)dialog;
        return 0;
    }
};

// The prompter in use. Until one is installed, a prompter that answers every box with its first
// button and cancels every dialog stands in, so headless code never blocks.
Prompter& prompter();
// Installs a prompter (not owned) and returns the previous one; nullptr restores the stand-in.
Prompter* setPrompter(Prompter* p);

// Shorthand for prompter().message().
int msgBox(const QString& text, int style = MbOkOnly, const QString& title = DefaultMessageTitle);

} // namespace zek::platform
