// The report table engine: one paged report with defined columns, shown a page at a time.
//
// The program has two engines for its whole run, Detail and Summary: the same code over separate
// state. A report builder writes the report's rows into the engine's record table (FILEDETTYPE or
// FILESUMTYPE, one record per row, numbered by SEEKID from 1, fields in column order), then creates
// the report, defines its columns and shows page 1. The engine computes no report content: it sizes
// pages from the report printer and reads one page at a time from the record table.
//
// The page currently shown is data of the engine (page(), headings(), caption(), ...); the viewer
// window draws it and learns of changes through the signals. Misuse of an operation is reported in a
// message box whose title is the operation's exact name for this engine ("RptSetText",
// "SrptSetText", ...).
#pragma once

#include "work/work_state.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace zek::report {

enum class ReportKind { Detail, Summary };

// The operations whose names appear as message titles.
enum class Operation { Create, DefineColumn, SetText, SetValue, Sort, NewPage, Close };

// The name of an operation for one engine: "RptDefineColumn" for Detail, "SrptDefineColumn" for
// Summary (four Summary names have a lower-case "rpt").
QString operationName(ReportKind kind, Operation op);

// Message texts.
inline const QString NoColumnsText = QStringLiteral("Error: there must be one or more columns");
inline const QString ReportTooLargeText = QStringLiteral("Error: report too large!");
inline const QString InvalidColumnText = QStringLiteral("invalid column number");
inline const QString TooManyNumericText = QStringLiteral("too many numeric columns");
inline const QString TooManyTextText = QStringLiteral("too many text columns");
inline const QString InvalidDatatypeText = QStringLiteral("Invalid datatype");
inline const QString InvalidWidthText = QStringLiteral("invalid column width");
inline const QString InvalidRowText = QStringLiteral("invalid row number");
inline const QString NotTextColumnText = QStringLiteral("not a valid text column");
inline const QString NotNumericColumnText = QStringLiteral("not a valid numeric column");
inline const QString InvalidPageText = QStringLiteral("invalid page number");
inline const QString LocateErrorText = QStringLiteral("Internal error when locating records to display");

inline const QString NumericType = QStringLiteral("9");
inline const QString TextType = QStringLiteral("A");

// Fixed sizes, in twips.
constexpr int RowPitch = 225;     // one data row on paper, without its 15-twip rule
constexpr int HeaderHeight = 600; // the heading row on screen and on paper
constexpr int RuleHeight = 15;
constexpr int PageMargins = 1750 + 2000; // above and below the printed table
constexpr int NoRule = 9999;             // a rule interval of 0: no rule inside a page
constexpr int MaxRows = 32767;           // the row count is a 16-bit number
constexpr int FixedTextSize = 30;        // title, heading and format are kept as 30 characters

// Page heights of the paper sizes the engine falls back on when no printer is asked.
constexpr int LetterHeightTwips = 15840;
constexpr int A4HeightTwips = 16838;

struct ColumnDefinition {
    QString dataType; // "9" numeric, "A" text
    QString format;   // 30 characters; kept for the printout, not used by the engine
    bool verticalRule = false;
    int valueSlot = 0; // 1-based among the numeric or the text columns; 0 for none
    QString heading;   // 30 characters
    int width = 0;     // twips
    int alignment = 0; // 0 left, 1 right, 2 centre
};

// The page shown: rowsPerPage rows of columnCount texts (grid rows 1..rowsPerPage).
struct ReportPage {
    int number = 0; // 0 before the first page is shown
    std::vector<QStringList> rows;
};

struct TitleLines {
    QString title1;
    QString title2;
    QString footnote1;
    QString footnote2;
};

// Rows per page for a printer page of this height: (height - 4350) / 240 to the nearest whole
// number, halves to the even neighbour.
int rowsPerPageFor(int pageHeightTwips);
// Pages for a row count: an exact multiple gets no empty last page, 0 rows give 0 pages.
int pageCountFor(int rowCount, int rowsPerPage);
// The page height of the paper the system's measurement system suggests: Letter or A4.
int fallbackPageHeight();

class ReportEngine : public QObject {
    Q_OBJECT
public:
    // The engine reads its record table from the work file of `ws`.
    ReportEngine(ReportKind kind, work::WorkState& ws, QObject* parent = nullptr);

    ReportKind kind() const { return m_kind; }
    QString operationName(Operation op) const { return report::operationName(m_kind, op); }
    work::WorkTable recordTable() const;
    // "DETAIL_FORM" or "SUMMARY_FORM", the viewer's window-position key.
    QString windowKey() const;
    // "RptForm" or "SRptForm".
    QString viewerName() const;

    // The report printer's page height in twips; without it the paper of the system's measurement
    // system stands in. A height it cannot give (0 or less) makes creation fail.
    std::function<int()> pageHeight;
    // Lets pending window messages run once; may stay empty.
    std::function<void()> processEvents;

    // `RptCreate`: 0 when created, -1 when not (after its message). The row count is a whole
    // number for Detail and a single-precision number for Summary; both become a 16-bit count.
    int rptCreate(const QString& title, int numericColumns, int textColumns, double rowCount,
                  int thinRuleInterval, int thickRuleInterval, const QString& title1, const QString& title2,
                  const QString& footnote1, const QString& footnote2);
    // `RptDefineColumn`: column 1..columnCount, data type "9" or "A", width in twips, alignment
    // 0 left, 1 right, 2 centre.
    void rptDefineColumn(int column, const QString& dataType, const QString& heading, int width,
                         int alignment, const QString& format, bool verticalRule);
    void rptSetText(int column, int row, const QString& text);
    void rptSetValue(int column, int row, float value);
    // `RptSort`: the cell rows in ascending order of one column, whole rows moving.
    void rptSort(int column);
    // `RptNewPage`: reads page 1..pageCount from the record table into page().
    void rptNewPage(int page);
    // `RptClose`: no report; the viewer goes.
    void rptClose();

    // The report-available flag.
    bool isAvailable() const { return m_available; }

    // Report state.
    QString title() const { return m_title; } // 30 characters
    int thinRuleInterval() const { return m_thinRule; }
    int thickRuleInterval() const { return m_thickRule; }
    int currentPage() const { return m_currentPage; }
    int rowCount() const { return m_rowCount; }
    int columnCount() const { return m_columnCount; }
    int numericColumnCount() const { return m_numericCount; }
    int textColumnCount() const { return m_textCount; }
    int numericColumnsDefined() const { return m_numericDefined; }
    int textColumnsDefined() const { return m_textDefined; }
    int pageCount() const { return m_pageCount; }
    int rowsPerPage() const { return m_rowsPerPage; }

    // Column 1..columnCount.
    const ColumnDefinition& column(int column) const { return m_columns.at(static_cast<size_t>(column - 1)); }
    // The grid's heading row, as the columns were defined (empty for a column not defined).
    const QStringList& headings() const { return m_headings; }
    const TitleLines& titleLines() const { return m_titleLines; }
    // New title lines and footnotes for the report as it stands (the viewer's four labels).
    void setTitleLines(const TitleLines& lines);
    // The viewer's window caption.
    const QString& caption() const { return m_caption; }
    const ReportPage& page() const { return m_page; }
    // The viewer's status box (`TXT_status`): shown while sorting and printing.
    const QString& statusText() const { return m_statusText; }
    bool statusVisible() const { return m_statusVisible; }
    void showStatus(const QString& text);
    void hideStatus();

    // The in-memory cells: slot 1..count, row 1..rowCount.
    float numericCell(int slot, int row) const;
    QString textCell(int slot, int row) const;

Q_SIGNALS:
    // A report was created: its viewer is shown and placed now.
    void created();
    void closed();
    void availabilityChanged(bool available);
    void captionChanged(const QString& caption);
    // The title lines and footnotes changed.
    void titlesChanged();
    // The grid's shape (columns, rows per page) or a column's heading, width or alignment changed.
    void layoutChanged();
    // The page's texts changed.
    void pageChanged();
    void statusChanged();

private:
    void misuse(Operation op, const QString& text) const;
    void yieldToEvents();
    void setAvailable(bool available);
    void setCaption(const QString& caption);
    void clearPage();
    void readPage(int page);
    db::Recordset& openRecordTable();
    bool validCell(Operation op, int column, int row) const;
    size_t cellIndex(int slot, int row) const;
    std::vector<double> sortKeys(const ColumnDefinition& def) const;
    void moveRows(const std::vector<int>& order);

    ReportKind m_kind;
    work::WorkState& m_ws;
    bool m_available = false;

    QString m_title;
    int m_thinRule = NoRule;
    int m_thickRule = NoRule;
    int m_currentPage = 0;
    int m_rowCount = 0;
    int m_columnCount = 0;
    int m_numericCount = 0;
    int m_textCount = 0;
    int m_numericDefined = 0;
    int m_textDefined = 0;
    int m_pageCount = 0;
    int m_rowsPerPage = 0;

    std::vector<ColumnDefinition> m_columns;
    QStringList m_headings;
    // Cells by slot, then row: index (slot - 1) * rowCount + (row - 1).
    std::vector<float> m_numericCells;
    std::vector<QString> m_textCells;

    TitleLines m_titleLines;
    QString m_caption;
    ReportPage m_page;
    QString m_statusText;
    bool m_statusVisible = false;
};

} // namespace zek::report
