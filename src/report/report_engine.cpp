#include "report/report_engine.h"

#include "platform/printer_choice.h"
#include "platform/prompt.h"

#include <cmath>
#include <new>

namespace zek::report {

namespace {

QString fixedText(const QString& text) {
    return text.left(FixedTextSize).leftJustified(FixedTextSize, QLatin1Char(' '));
}

} // namespace

QString operationName(ReportKind kind, Operation op) {
    const bool detail = kind == ReportKind::Detail;
    switch (op) {
    case Operation::Create:
        return detail ? QStringLiteral("RptCreate") : QStringLiteral("SRptCreate");
    case Operation::DefineColumn:
        return detail ? QStringLiteral("RptDefineColumn") : QStringLiteral("SrptDefineColumn");
    case Operation::SetText:
        return detail ? QStringLiteral("RptSetText") : QStringLiteral("SrptSetText");
    case Operation::SetValue:
        return detail ? QStringLiteral("RptSetValue") : QStringLiteral("SrptSetValue");
    case Operation::Sort:
        return detail ? QStringLiteral("RptSort") : QStringLiteral("SRptSort");
    case Operation::NewPage:
        return detail ? QStringLiteral("RptNewPage") : QStringLiteral("SrptNewPage");
    case Operation::Close:
        return detail ? QStringLiteral("RptClose") : QStringLiteral("SRptClose");
    }
    return {};
}

int rowsPerPageFor(int pageHeightTwips) {
    const double rows =
        static_cast<double>(pageHeightTwips - PageMargins - HeaderHeight) / (RowPitch + RuleHeight);
    // nearbyint rounds in the default mode, to nearest with halves to even.
    return static_cast<int>(std::nearbyint(rows));
}

int pageCountFor(int rowCount, int rowsPerPage) {
    if (rowsPerPage <= 0)
        return 0;
    int pages = rowCount / rowsPerPage + 1;
    if (rowCount == (pages - 1) * rowsPerPage)
        --pages;
    return pages;
}

int fallbackPageHeight() {
    return static_cast<int>(
        platform::paperSizeTwips({QString(), platform::PortraitOrientation, platform::localePaper()})
            .height());
}

ReportEngine::ReportEngine(ReportKind kind, work::WorkState& ws, QObject* parent)
    : QObject(parent), m_kind(kind), m_ws(ws) {
    setObjectName(kind == ReportKind::Detail ? QStringLiteral("DetailReport")
                                             : QStringLiteral("SummaryReport"));
}

work::WorkTable ReportEngine::recordTable() const {
    return m_kind == ReportKind::Detail ? work::WorkTable::Filedettype : work::WorkTable::Filesumtype;
}

QString ReportEngine::windowKey() const {
    return m_kind == ReportKind::Detail ? QStringLiteral("DETAIL_FORM") : QStringLiteral("SUMMARY_FORM");
}

QString ReportEngine::viewerName() const {
    return m_kind == ReportKind::Detail ? QStringLiteral("RptForm") : QStringLiteral("SRptForm");
}

void ReportEngine::misuse(Operation op, const QString& text) const {
    platform::msgBox(text, platform::MbOkOnly | platform::MbCritical, operationName(op));
}

void ReportEngine::yieldToEvents() {
    if (processEvents)
        processEvents();
}

void ReportEngine::setAvailable(bool available) {
    m_available = available;
    // Told on every create and close: closing either report disables printing, even when that
    // report was closed already.
    Q_EMIT availabilityChanged(available);
}

void ReportEngine::setCaption(const QString& caption) {
    m_caption = caption;
    Q_EMIT captionChanged(m_caption);
}

int ReportEngine::rptCreate(const QString& title, int numericColumns, int textColumns, double rowCount,
                            int thinRuleInterval, int thickRuleInterval, const QString& title1,
                            const QString& title2, const QString& footnote1, const QString& footnote2) {
    const int columns = numericColumns + textColumns;
    if (columns < 1) {
        misuse(Operation::Create, NoColumnsText);
        return -1;
    }

    // Everything that can fail is worked out before anything changes, so a report that cannot be
    // made leaves no viewer behind and printing as it was.
    const double rows = std::nearbyint(rowCount);
    const int height = pageHeight ? pageHeight() : fallbackPageHeight();
    const int perPage = rowsPerPageFor(height);
    if (!(rows >= 0 && rows <= MaxRows) || height <= 0 || perPage <= 0) {
        misuse(Operation::Create, ReportTooLargeText);
        return -1;
    }
    const int rowsStored = static_cast<int>(rows);
    std::vector<float> numericCells;
    std::vector<QString> textCells;
    try {
        if (numericColumns > 0)
            numericCells.resize(static_cast<size_t>(numericColumns) * static_cast<size_t>(rowsStored));
        if (textColumns > 0)
            textCells.resize(static_cast<size_t>(textColumns) * static_cast<size_t>(rowsStored));
    } catch (const std::bad_alloc&) {
        misuse(Operation::Create, ReportTooLargeText);
        return -1;
    }

    m_columns.assign(static_cast<size_t>(columns), ColumnDefinition{});
    m_headings = QStringList(columns, QString());
    m_numericCells = std::move(numericCells);
    m_textCells = std::move(textCells);
    m_title = fixedText(title);
    m_thinRule = thinRuleInterval == 0 ? NoRule : thinRuleInterval;
    m_thickRule = thickRuleInterval == 0 ? NoRule : thickRuleInterval;
    m_titleLines = TitleLines{title1, title2, footnote1, footnote2};
    m_columnCount = columns;
    m_numericCount = numericColumns;
    m_textCount = textColumns;
    m_rowCount = rowsStored;
    m_rowsPerPage = perPage;
    m_pageCount = pageCountFor(m_rowCount, m_rowsPerPage);
    m_currentPage = 0;
    m_numericDefined = 0;
    m_textDefined = 0;
    m_statusVisible = false;
    m_page = ReportPage{};
    m_page.rows.assign(static_cast<size_t>(m_rowsPerPage), QStringList(columns, QString()));

    yieldToEvents();
    Q_EMIT created();
    yieldToEvents();
    setAvailable(true);
    // Before the first page the caption is the whole title as given.
    setCaption(title);
    Q_EMIT titlesChanged();
    Q_EMIT layoutChanged();
    Q_EMIT pageChanged();
    return 0;
}

void ReportEngine::rptDefineColumn(int column, const QString& dataType, const QString& heading, int width,
                                   int alignment, const QString& format, bool verticalRule) {
    if (column < 1 || column > m_columnCount) {
        misuse(Operation::DefineColumn, InvalidColumnText);
        return;
    }
    ColumnDefinition& def = m_columns[static_cast<size_t>(column - 1)];
    def =
        ColumnDefinition{dataType, fixedText(format), verticalRule, 0, fixedText(heading), width, alignment};

    // The messages below do not stop the definition: the column stays without a value slot, or
    // keeps the width given.
    if (dataType == NumericType) {
        if (m_numericDefined < m_numericCount)
            def.valueSlot = ++m_numericDefined;
        else
            misuse(Operation::DefineColumn, TooManyNumericText);
    } else if (dataType == TextType) {
        if (m_textDefined < m_textCount)
            def.valueSlot = ++m_textDefined;
        else
            misuse(Operation::DefineColumn, TooManyTextText);
    } else {
        misuse(Operation::DefineColumn, InvalidDatatypeText);
    }
    if (width <= 0)
        misuse(Operation::DefineColumn, InvalidWidthText);

    m_headings[column - 1] = heading;
    Q_EMIT layoutChanged();
}

bool ReportEngine::validCell(Operation op, int column, int row) const {
    if (column < 1 || column > m_columnCount) {
        misuse(op, InvalidColumnText);
        return false;
    }
    if (row < 1 || row > m_rowCount) {
        misuse(op, InvalidRowText);
        return false;
    }
    return true;
}

size_t ReportEngine::cellIndex(int slot, int row) const {
    return static_cast<size_t>(slot - 1) * static_cast<size_t>(m_rowCount) + static_cast<size_t>(row - 1);
}

void ReportEngine::rptSetText(int column, int row, const QString& text) {
    if (!validCell(Operation::SetText, column, row))
        return;
    const ColumnDefinition& def = m_columns[static_cast<size_t>(column - 1)];
    if (def.dataType != TextType) {
        misuse(Operation::SetText, NotTextColumnText);
        return;
    }
    // A text column defined beyond the declared count has no cells.
    if (def.valueSlot > 0)
        m_textCells[cellIndex(def.valueSlot, row)] = text;
}

void ReportEngine::rptSetValue(int column, int row, float value) {
    if (!validCell(Operation::SetValue, column, row))
        return;
    const ColumnDefinition& def = m_columns[static_cast<size_t>(column - 1)];
    if (def.dataType != NumericType) {
        misuse(Operation::SetValue, NotNumericColumnText);
        return;
    }
    if (def.valueSlot > 0)
        m_numericCells[cellIndex(def.valueSlot, row)] = value;
}

float ReportEngine::numericCell(int slot, int row) const {
    return m_numericCells.at(cellIndex(slot, row));
}

QString ReportEngine::textCell(int slot, int row) const {
    return m_textCells.at(cellIndex(slot, row));
}

void ReportEngine::setTitleLines(const TitleLines& lines) {
    m_titleLines = lines;
    Q_EMIT titlesChanged();
}

void ReportEngine::rptClose() {
    // Nothing carries over to the next report.
    m_columns.clear();
    m_headings.clear();
    m_numericCells.clear();
    m_textCells.clear();
    m_columnCount = m_numericCount = m_textCount = 0;
    m_numericDefined = m_textDefined = 0;
    m_rowCount = m_pageCount = m_rowsPerPage = m_currentPage = 0;
    m_page = ReportPage{};
    m_statusVisible = false;
    Q_EMIT closed();
    setAvailable(false);
}

void ReportEngine::showStatus(const QString& text) {
    m_statusText = text;
    m_statusVisible = true;
    Q_EMIT statusChanged();
}

void ReportEngine::hideStatus() {
    m_statusVisible = false;
    Q_EMIT statusChanged();
}

} // namespace zek::report
