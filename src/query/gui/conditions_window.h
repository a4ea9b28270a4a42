// The Conditions & Sorting window (`ConditionsWindow`): five rows of the condition lines with their
// scroll bar and line commands, and the three sorters. The rows are a view of the work state's
// condition lines; the line logic itself lives in query/row_model.h.
#pragma once

#include "platform/intl.h"
#include "query/row_model.h"
#include "work/work_state.h"

#include <QWidget>

#include <array>
#include <functional>

class QComboBox;
class QLabel;
class QMdiSubWindow;
class QPushButton;
class QScrollBar;
class QToolButton;

namespace zek {

class BracketEdit;
class ChoiceButton;
class MaskedValueEdit;

class ConditionsWindow : public QWidget {
    Q_OBJECT
public:
    // The rows and sorters show and edit the settings of `work`; values are read and shown as `intl`
    // has numbers and dates.
    ConditionsWindow(work::WorkState& work, const platform::IntlSettings& intl, QWidget* parent = nullptr);

    // StoreGridRows: the five rows, encoded, back into the lines they show.
    void storeGridRows();
    // A new or opened work file: lines 1 to 5 in rows 0 to 4 and the sorters as stored.
    void showSettings();

    // The window became the active child window / stopped being it.
    void activate();
    void deactivate();
    // Called with true on activation and false on deactivation: the main window's Edit menu
    // entries (Add New Entry, Insert Entry, Delete Entry and their separator).
    std::function<void(bool)> entryItemsVisible;

public Q_SLOTS:
    // The line commands of the buttons; the main window's Edit menu entries "&Add New Entry",
    // "&Insert Entry" and "&Delete Entry" run addLine, insertLine and deleteLine.
    void addLine();
    // A new empty line before the current row's line, without asking for a position.
    void insertLine();
    void demoteLine();
    void promoteLine();
    void deleteLine();

public:
    // The first sorter that is set, "PATH" when none is.
    QString mainSortField() const;

    // What the rows show, as the row model sees it.
    GridRowState rowState(int row) const;
    int currentRow() const { return m_grid.currentRow; }
    QString currentColumn() const { return m_grid.currentColumn; }

Q_SIGNALS:
    // Deactivation made `field` the first entry of the Summary report's field list.
    void summaryMainFieldChanged(const QString& field);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The dynamic properties the controls carry: their row and column, a direction button's
    // direction, and the value box's length as the row set-up gave it (a masked box's own length is
    // its mask's).
    static constexpr const char* RowProperty = "gridRow";
    static constexpr const char* ColumnProperty = "gridColumn";
    static constexpr const char* AscendingProperty = "ascending";
    static constexpr const char* MaxLengthProperty = "designMaxLength";

    struct RowControls {
        QWidget* container = nullptr;
        ChoiceButton* choice = nullptr;
        BracketEdit* bracketL = nullptr;
        QComboBox* field = nullptr;
        QComboBox* evaluation = nullptr;
        MaskedValueEdit* value = nullptr;
        QComboBox* valueChoice = nullptr;
        BracketEdit* bracketR = nullptr;
        QComboBox* connection = nullptr;
    };

    void buildWindow();
    QWidget* buildHeading();
    QWidget* buildRow(int r);
    QWidget* buildSorting();
    void attachToSubWindow();

    QueryLines& lines() { return m_work.settings.queryLines; }
    RowEncoder encoder() const;
    void readGrid();
    void applyGrid();
    void applyRow(int r, const GridRowState& state);
    void syncScrollBar();
    void updateChoiceStyles();
    void focusCurrentColumn();
    QWidget* control(int r, const QString& column) const;

    void rowFocused(int r, const QString& column);
    void fieldClicked(int r);
    void validateValue(int r);
    QString filterValueText(int r, const QString& typed) const;
    void scrolled(int value);
    void syncSorters();
    void setSorterAscending(int i, bool ascending);
    void showNotYetImplemented();
    void addLineAt(int position);
    void handOverMainSortField();

    work::WorkState& m_work;
    const platform::IntlSettings& m_intl;
    ConditionGrid m_grid;
    std::array<RowControls, GridRowCount> m_rows;
    // The field each row was last set up for: choosing it again, or the empty field, changes nothing.
    std::array<QString, GridRowCount> m_rowSetupField;
    std::array<QComboBox*, 3> m_sorters{};
    std::array<QToolButton*, 3> m_sorterStatus{};
    QScrollBar* m_scroll = nullptr;
    // Set while the window itself changes the rows or checks a value: the focus moves that causes
    // are no visits of the user's.
    bool m_quiet = false;
    bool m_active = false;
    QMdiSubWindow* m_subWindow = nullptr; // the sub-window whose activation the window follows
};

} // namespace zek
