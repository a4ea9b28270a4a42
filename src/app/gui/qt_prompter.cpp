#include "app/gui/qt_prompter.h"

#include <QDialog>

#include "app/gui/work_directory_dialog.h"
#include "platform/gui/printers.h"
#include "report/gui/position_dialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

#include <algorithm>
#include <memory>

namespace zek {

using namespace platform;

namespace {

// In the order the classic box shows them, so the default-button bits can pick one.
QList<QMessageBox::StandardButton> buttonsOf(int style) {
    switch (style & 7) {
    case MbOkCancel:
        return {QMessageBox::Ok, QMessageBox::Cancel};
    case MbAbortRetryIgnore:
        return {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore};
    case MbYesNoCancel:
        return {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
    case MbYesNo:
        return {QMessageBox::Yes, QMessageBox::No};
    case MbRetryCancel:
        return {QMessageBox::Retry, QMessageBox::Cancel};
    default:
        return {QMessageBox::Ok};
    }
}

QMessageBox::Icon iconOf(int style) {
    switch (style & 0x70) {
    case MbCritical:
        return QMessageBox::Critical;
    case MbQuestion:
        return QMessageBox::Question;
    case MbExclamation:
        return QMessageBox::Warning;
    case MbInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

int idOf(QMessageBox::StandardButton button) {
    switch (button) {
    case QMessageBox::Ok:
        return IdOk;
    case QMessageBox::Cancel:
        return IdCancel;
    case QMessageBox::Abort:
        return IdAbort;
    case QMessageBox::Retry:
        return IdRetry;
    case QMessageBox::Ignore:
        return IdIgnore;
    case QMessageBox::Yes:
        return IdYes;
    case QMessageBox::No:
        return IdNo;
    default:
        return IdCancel;
    }
}

// Proposed names such as "*.ZEK" are patterns, not files: the filter already shows them.
bool isPattern(const QString& name) {
    return name.contains('*') || name.contains('?');
}

std::optional<QString> runFileDialog(const FileDialogRequest& request, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(dialogParent(), request.title, request.initialFolder);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!request.filter.isEmpty())
        dialog.setNameFilter(request.filter);
    if (!request.defaultExtension.isEmpty())
        dialog.setDefaultSuffix(request.defaultExtension.toLower());
    if (!request.fileName.isEmpty() && !isPattern(request.fileName))
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty())
        return std::nullopt;
    return files.first();
}

} // namespace

QWidget* dialogParent() {
    if (QWidget* active = QApplication::activeModalWidget())
        return active;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->isWindow() && !w->inherits("QMenu"))
            return w;
    }
    return nullptr;
}

int closedWithoutButton(int style) {
    switch (style & 7) {
    case MbOkOnly:
        return IdOk;
    case MbYesNo:
        return IdNo;
    case MbAbortRetryIgnore:
        return IdAbort;
    default:
        return IdCancel;
    }
}

QString messageText(const QString& text) {
    QString shown = text;
    shown.remove('\r');
    return shown;
}

int QtPrompter::message(const QString& text, int style, const QString& title) {
    QMessageBox box(dialogParent());
    box.setWindowTitle(title.isEmpty() ? DefaultMessageTitle : title);
    box.setText(messageText(text));
    box.setIcon(iconOf(style));
    const QList<QMessageBox::StandardButton> buttons = buttonsOf(style);
    QMessageBox::StandardButtons set;
    for (QMessageBox::StandardButton b : buttons)
        set |= b;
    box.setStandardButtons(set);
    const int defaultIndex = (style & 0x300) >> 8;
    box.setDefaultButton(buttons.value(defaultIndex, buttons.first()));
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    if (!clicked)
        return closedWithoutButton(style);
    const QMessageBox::StandardButton which = box.standardButton(clicked);
    return which == QMessageBox::NoButton ? closedWithoutButton(style) : idOf(which);
}

std::optional<QString> QtPrompter::openFileName(const FileDialogRequest& request) {
    return runFileDialog(request, QFileDialog::AcceptOpen);
}

std::optional<QString> QtPrompter::saveFileName(const FileDialogRequest& request) {
    return runFileDialog(request, QFileDialog::AcceptSave);
}

std::optional<platform::PrinterChoice> QtPrompter::printSetup(const platform::PrinterChoice& current) {
    std::unique_ptr<QPrinter> printer = platform::makePrinter(current);
    QPrintDialog dialog(printer.get(), dialogParent());
    dialog.setWindowTitle("Print Setup");
    // Setting up chooses the printer and its paper; page ranges and copies belong to printing. The
    // PDF writer is offered as the print-to-file printer.
    dialog.setOptions(QAbstractPrintDialog::PrintShowPageSize | QAbstractPrintDialog::PrintToFile);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return platform::choiceOf(*printer);
}

std::optional<platform::PrintDialogAnswer>
QtPrompter::printDialog(const platform::PrintDialogRequest& request) {
    std::unique_ptr<QPrinter> printer = platform::makePrinter(request.printer, request.pdfFile);
    QPrintDialog dialog(printer.get(), dialogParent());
    dialog.setWindowTitle(request.caption);
    dialog.setOptions(QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintSelection |
                      QAbstractPrintDialog::PrintShowPageSize | QAbstractPrintDialog::PrintToFile);
    dialog.setMinMax(request.minPage, request.maxPage);
    dialog.setFromTo(request.fromPage, request.toPage);
    dialog.setPrintRange(QAbstractPrintDialog::AllPages);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    platform::PrintDialogAnswer answer;
    switch (dialog.printRange()) {
    case QAbstractPrintDialog::PageRange:
        answer.range = platform::PrintRange::Pages;
        break;
    case QAbstractPrintDialog::Selection:
    case QAbstractPrintDialog::CurrentPage:
        answer.range = platform::PrintRange::Selection;
        break;
    default:
        answer.range = platform::PrintRange::All;
        break;
    }
    answer.fromPage = dialog.fromPage();
    answer.toPage = dialog.toPage();
    answer.copies = std::max(1, printer->copyCount());
    answer.printer = platform::choiceOf(*printer);
    if (answer.printer.isBuiltInPdf())
        answer.outputFile = printer->outputFileName();
    return answer;
}

std::optional<QString> QtPrompter::workDirectory(const WorkDirectoryRequest& request) {
    WorkDirectoryDialog dialog(dialogParent());
    dialog.setTexts(request.title, request.prompt, request.label, request.proposal);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.directory();
}

int QtPrompter::position(const PositionRequest& request) {
    return PositionDialog::ask(request, dialogParent());
}

int QtPrompter::execDialog(QObject& dialog) {
    auto* window = qobject_cast<QDialog*>(&dialog);
    return window ? window->exec() : 0;
}

} // namespace zek
