// Printing a report from the main window: the print dialog, the checks that the printer is still
// the one the reports were paged for, the print font, and the pages drawn onto the print job.
#pragma once

#include "platform/prompt.h"
#include "report/page_output.h"
#include "report/report_engine.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace zek::report {

inline const QString PrintQuestionText = QStringLiteral("Print Detail Report?");
inline const QString PrintQuestionTitle = QStringLiteral("Print Detail or Summary Report");
inline const QString PrintFontName = QStringLiteral("COURIER NEW");

// The print dialog's caption: "Detail Report" or "Summary Report".
QString printCaption(ReportKind kind);

QString printerChangedText(const QString& from, const QString& to);
QString orientationChangedText(const QString& from, const QString& to);

// Whether the printer's name and its orientation were found unchanged by the last print command.
// Both are set when the program starts.
struct PrinterCheckFlags {
    bool name = true;
    bool orientation = true;
};

// The printer the reports were paged for, against the current one: false, after the message that
// says what changed and what to do, when its name or its orientation differ. Each flag is cleared
// when its value changed and set when it did not.
bool checkReportPrinter(const QString& reportPrinter, const QString& reportOrientation,
                        const platform::PrinterChoice& current, PrinterCheckFlags& flags);

// "COURIER NEW" when the printer offers it (compared in upper case without blanks), as the
// printer spells it; else empty, for the printer's default font.
QString choosePrintFont(const QStringList& families);

// The pages of a print command, in print order: one pass per copy over the range chosen. The
// selection is the page shown (no page change).
std::vector<int> pagesToPrint(const platform::PrintDialogAnswer& answer, int currentPage, int pageCount);

// What a print command needs from the program around it. Each function may stay empty, except
// openOutput.
struct PrintContext {
    platform::PrinterChoice* currentPrinter = nullptr; // the program's printer; the dialog may change it
    QString reportPrinter;                             // as the reports were made
    QString reportOrientation;                         // "Portrait" or "Landscape"
    PrinterCheckFlags* flags = nullptr;
    QString dateText;     // today, in the long date format
    QString outputFolder; // where the built-in PDF writer proposes its file
    std::function<QStringList()> fontFamilies;
    // Starts the print job; nothing (with the reason in `error`) when it cannot start.
    std::function<std::unique_ptr<PageOutput>(const platform::PrinterChoice& printer, const QString& file,
                                              QString& error)>
        openOutput;
    std::function<void(bool)> busy;
    std::function<void()> processEvents;
};

// `RptPrintPage`: draws the page the engine shows onto the next page of the output, with the
// status box saying which page is printed. False when the output failed.
bool rptPrintPage(ReportEngine& engine, PageOutput& output, const QString& dateText,
                  const QString& fontFamily, const std::function<void(bool)>& busy = {});

// `RptPrintAll`: every page from 1 to the page count. False when the output failed.
bool rptPrintAll(ReportEngine& engine, PageOutput& output, const QString& dateText, const QString& fontFamily,
                 const std::function<void(bool)>& busy = {});

// The print command of one report: the print dialog, the printer checks, the print font, every
// page asked for, the job ended. A failure of the print job reaches the user as a message.
void runPrintCommand(ReportEngine& engine, PrintContext& context);

} // namespace zek::report
