// The two report setup windows, one class for both: `SetupDetail` ("Setup Detail Report") edits the
// Detail report's column list and titles, `frmsummary` ("Setup Summary Report") the Summary
// report's. The window edits the work state's lists directly, so a save carries what was accepted and
// the unchanged flags see it; the editing rules live in report/column_setup.h.
#pragma once

#include "report/column_setup.h"
#include "work/work_state.h"

#include <QWidget>

class QComboBox;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QTimer;

namespace zek {

class SpinButton;

class ReportSetupWindow : public QWidget {
    Q_OBJECT
public:
    ReportSetupWindow(work::WorkState& work, report::SetupKind kind, QWidget* parent = nullptr);

    report::SetupKind kind() const { return m_kind; }
    // The column shown in the edit boxes, 1-based; 0 when the list is empty.
    int shownPosition() const { return m_shown; }

    // Rebuild from the list: the sample grid gets a column per entry, entry 1 is shown and the title
    // boxes show the stored titles. Runs when a work file was made or opened.
    void rebuildFromList();
    // The Summary report's first column was set from outside (the main sort field): the name list
    // starts with it, and the grid and the shown entry follow.
    void groupingColumnChanged();

    // The commands of the four buttons. Each first settles the edits of the shown column.
    void addField();
    void promoteField();
    void demoteField();
    void deleteField();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    QWidget* buildTitles();
    QWidget* buildFields();

    ReportColumns& columns();
    ReportTitles& titles();
    int count() { return static_cast<int>(columns().size()); }

    void fillNameList();
    void fillGrid();
    void setGridColumn(int p);
    void selectGridColumn(int p);
    void showColumn(int p);
    void showUnitListFor(const QString& name, const QString& extra);
    void showTitles();
    void storeTitles();

    report::ColumnEdits edits() const;
    QString shownName() const;
    // Asks about the edits of the shown column, stores what the user accepts and puts back what
    // not. False when the command under way must stop (the width box asks to be filled again).
    bool settleEdits();
    // The width box: 0 or nothing numeric becomes "180" (Valid); a width out of range asks Retry
    // (back into the box) or Cancel (the box is emptied).
    enum class BoxCheck { Valid, Retry, Emptied };
    BoxCheck checkWidthBox();
    void checkPositionBox();
    void positionTyped(const QString& text);
    void moveTo(int p);
    void namePicked();
    void nameSettled();
    void spinWidth(bool up);
    void previewWidth();

    work::WorkState& m_work;
    const report::SetupKind m_kind;
    int m_shown = 0;
    // The name shown while the list lacks it (a column read from a work file): it stays as stored.
    QString m_unlistedName;
    // Set while a check runs: the focus moves its message boxes cause are no leaving of a box.
    bool m_checking = false;

    QComboBox* m_name = nullptr;
    QLineEdit* m_description = nullptr;
    QLineEdit* m_width = nullptr;
    SpinButton* m_widthSpin = nullptr;
    QLineEdit* m_position = nullptr;
    SpinButton* m_positionSpin = nullptr;
    QComboBox* m_unit = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_promote = nullptr;
    QPushButton* m_demote = nullptr;
    QPushButton* m_delete = nullptr;
    QTableWidget* m_grid = nullptr;
    QLineEdit* m_firstTitle = nullptr;
    QLineEdit* m_secondTitle = nullptr;
    QLineEdit* m_firstFootnote = nullptr;
    QLineEdit* m_secondFootnote = nullptr;
    QTimer* m_fieldTimer = nullptr;
};

} // namespace zek
