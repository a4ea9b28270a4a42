// The condition grid's rows without the window: set-up per field, stored lines shown back, and the
// line commands over the lines.
#include "query/row_encoding.h"
#include "query/row_model.h"
#include "support/condition_lines.h"

#include <QtTest>

using namespace zek;
using platform::IntlSettings;
using test::fieldIndex;
using test::numberedLines;
using test::storedTextLine;

namespace {

IntlSettings clock12() {
    IntlSettings s;
    s.sDate = "/";
    s.iTime = 0;
    return s;
}

IntlSettings clock24() {
    IntlSettings s = clock12();
    s.iTime = 1;
    return s;
}

// The NAME entry a row shows, without the unfilled places.
QString shownName(const GridRowState& row) {
    QString t = row.valueText;
    return t.remove('_');
}

RowEncoder encoder(const IntlSettings& intl) {
    return [intl](const GridRowInput& in) { return encodeGridRow(in, intl); };
}

} // namespace

class TestRowModel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void setupForEveryKindOfField() {
        const IntlSettings s = clock24();
        GridRowState row;
        row.fieldIndex = fieldIndex("SIZE");
        row.valueText = "1234";
        setupRowForField(row, s);
        QCOMPARE(row.evaluations, QStringList({"=", "NOT =", "<", "<=", ">", ">="}));
        QVERIFY(row.valueChoiceVisible);
        QCOMPARE(row.valueChoices, QStringList({"  ", "KB", "MB"}));
        QCOMPARE(row.valueChoiceIndex, 0);
        QCOMPARE(row.valueText, QString()); // a typed value is cleared
        QVERIFY(row.mask.isEmpty());
        QCOMPARE(row.maxLength, 64);
        QVERIFY(row.valueEnabled);

        row.fieldIndex = fieldIndex("NAME");
        setupRowForField(row, s);
        QCOMPARE(row.evaluations, QStringList({"=", "NOT ="}));
        QVERIFY(!row.valueChoiceVisible);
        QCOMPARE(row.valueChoiceIndex, -1);
        QCOMPARE(row.mask, QString("&&&&&&&&"));
        QCOMPARE(row.valueText, QString()); // unfilled "&" places are left out

        row.fieldIndex = fieldIndex("LONGPATH");
        setupRowForField(row, s);
        QCOMPARE(row.mask, QString(64, '&'));
        row.fieldIndex = fieldIndex("EXTENSION");
        setupRowForField(row, s);
        QCOMPARE(row.mask, QString("&&&"));

        row.fieldIndex = fieldIndex("CREATIONDATE");
        setupRowForField(row, s);
        QCOMPARE(row.mask, QString("##/##/##"));
        QCOMPARE(row.valueText, QString("__/__/__"));
        QCOMPARE(row.evaluations.size(), 6);

        row.fieldIndex = fieldIndex("READONLY");
        setupRowForField(row, s);
        QCOMPARE(row.valueText, QString("SET"));
        QCOMPARE(row.evaluations.size(), 2);

        row.fieldIndex = 0;
        setupRowForField(row, s);
        QVERIFY(!row.valueEnabled);
        QCOMPARE(row.evaluations, QStringList({""}));
        QVERIFY(!row.valueChoiceVisible);
    }

    void amPmBoxOnlyWithATwelveHourClock() {
        GridRowState row;
        row.fieldIndex = fieldIndex("TIME");
        IntlSettings s = clock12();
        s.s1159 = "vorm.";
        s.s2359 = "nachm.";
        s.sTime = ".";
        setupRowForField(row, s);
        QVERIFY(row.valueChoiceVisible);
        QCOMPARE(row.valueChoices, QStringList({"vorm.", "nachm."}));
        QCOMPARE(row.valueChoiceIndex, 0);
        QCOMPARE(row.valueText, QString("__.__"));
        setupRowForField(row, clock24());
        QVERIFY(!row.valueChoiceVisible);
        QCOMPARE(row.valueText, QString("__:__"));
    }

    void maskedTextFillsThePlaces() {
        QCOMPARE(maskedText("&&&&&&&&", "A*"), QString("A*"));
        QCOMPARE(maskedText("&&&&&&&&", "MY_FILE"), QString("MY_FILE")); // "_" typed, not a blank
        QCOMPARE(maskedText("##/##/##", "12/07/96"), QString("12/07/96"));
        QCOMPARE(maskedText("##/##/##", "120796"), QString("12/07/96"));
        QCOMPARE(maskedText("##:##", "1x"), QString("1_:__"));
        QCOMPARE(untouchedMask("AAA"), QString("___"));
    }

    void storedValuesShownBack() {
        QueryLine size;
        size.field = "SIZE";
        size.fieldIndex = fieldIndex("SIZE");
        size.evaluation = ">=";
        size.evaluationIndex = 5;
        size.value = "1536";
        size.valueChoice = "KB";
        size.valueChoiceIndex = 1;
        GridRowState row = showLineInRow(size, 3, clock24());
        QCOMPARE(row.lineNumber, 3);
        QCOMPARE(row.valueText, QString("1.5"));
        QVERIFY(row.valueChoiceVisible);
        QCOMPARE(row.valueChoices.value(row.valueChoiceIndex), QString("KB"));
        QCOMPARE(row.evaluationIndex, 5);
        size.value = "3145728";
        size.valueChoiceIndex = 2;
        QCOMPARE(showLineInRow(size, 1, clock24()).valueText, QString("3"));
        size.value = "1234567";
        size.valueChoiceIndex = 0;
        QCOMPARE(showLineInRow(size, 1, clock24()).valueText, QString("1,234,567"));

        QueryLine time;
        time.field = "TIME";
        time.fieldIndex = fieldIndex("TIME");
        time.value = "143000";
        time.valueChoiceIndex = -1; // as a loaded line has it
        row = showLineInRow(time, 1, clock12());
        QCOMPARE(row.valueText, QString("02:30"));
        QVERIFY(row.valueChoiceVisible);
        QCOMPARE(row.valueChoiceIndex, 1);
        QCOMPARE(row.valueChoices.value(1), QString("PM"));
        row = showLineInRow(time, 1, clock24());
        QCOMPARE(row.valueText, QString("14:30"));
        QVERIFY(!row.valueChoiceVisible);
        // Noon and midnight on a 12-hour clock: 12 PM and 12 AM, which the check accepts.
        time.value = "120500";
        row = showLineInRow(time, 1, clock12());
        QCOMPARE(row.valueText, QString("12:05"));
        QCOMPARE(row.valueChoiceIndex, 1);
        time.value = "003000";
        row = showLineInRow(time, 1, clock12());
        QCOMPARE(row.valueText, QString("12:30"));
        QCOMPARE(row.valueChoiceIndex, 0);

        QueryLine date;
        date.field = "ACCESSDATE";
        date.fieldIndex = fieldIndex("ACCESSDATE");
        date.value = "19961207";
        QCOMPARE(showLineInRow(date, 1, clock24()).valueText, QString("12/07/96"));
        IntlSettings de = clock24();
        de.sDate = ".";
        de.sShortDate = "dd.MM.yy";
        QCOMPARE(showLineInRow(date, 1, de).valueText, QString("07.12.96"));
        date.value = "";
        QCOMPARE(showLineInRow(date, 1, de).valueText, QString("__.__.__"));

        QueryLine attr;
        attr.field = "HIDDEN";
        attr.fieldIndex = fieldIndex("HIDDEN");
        attr.evaluation = "=";
        attr.value = "FALSE";
        row = showLineInRow(attr, 1, clock24());
        QCOMPARE(row.valueText, QString("SET"));
        QCOMPARE(row.evaluationIndex, 1);
        attr.value = "TRUE";
        QCOMPARE(showLineInRow(attr, 1, clock24()).evaluationIndex, 0);

        QueryLine text = storedTextLine("NAME", "A*");
        text.choice = 1;
        text.bracketL = "((";
        text.bracketR = ")";
        text.connection = "OR";
        text.connectionIndex = 2;
        row = showLineInRow(text, 4, clock24());
        QCOMPARE(row.valueText, QString("A*"));
        QVERIFY(row.marked);
        QCOMPARE(row.bracketL, QString("(("));
        QCOMPARE(row.bracketR, QString(")"));
        QCOMPARE(row.connectionIndex, 2);
    }

    // What the grid shows, stored again, is the line it came from.
    void showAndStoreRoundTrip_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("choice");
        QTest::addColumn<int>("iTime");
        QTest::newRow("size KB") << "SIZE"
                                 << "1536" << 1 << 1;
        QTest::newRow("size MB odd") << "SIZE"
                                     << "1048577" << 2 << 1;
        QTest::newRow("size bytes") << "SIZE"
                                    << "123456789" << 0 << 1;
        QTest::newRow("time 24") << "TIME"
                                 << "143000" << -1 << 1;
        QTest::newRow("time PM") << "TIME"
                                 << "143000" << 1 << 0;
        QTest::newRow("time noon") << "CREATIONTIME"
                                   << "120000" << 1 << 0;
        QTest::newRow("time midnight") << "ACCESSTIME"
                                       << "000500" << 0 << 0;
        QTest::newRow("date") << "DATE"
                              << "19961207" << -1 << 1;
        QTest::newRow("date 2029") << "DATE"
                                   << "20290101" << -1 << 1;
        QTest::newRow("apostrophe") << "LONGNAME"
                                    << "'O''BRIEN*'" << -1 << 1;
        QTest::newRow("extension") << "EXTENSION"
                                   << "'TXT'" << -1 << 1;
    }

    void showAndStoreRoundTrip() {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(int, choice);
        QFETCH(int, iTime);
        IntlSettings s = clock12();
        s.iTime = iTime;
        QueryLine line;
        line.field = field;
        line.fieldIndex = fieldIndex(field);
        line.value = value;
        line.valueChoiceIndex = choice;
        const GridRowState row = showLineInRow(line, 1, s);
        const QueryLine stored = encodeGridRow(gridRowInput(row), s);
        QCOMPARE(stored.value, value);
        QCOMPARE(stored.field, field);
    }

    void clearedRow() {
        const GridRowState row = clearRow(7, clock12());
        QCOMPARE(row.lineNumber, 7);
        QVERIFY(!row.marked);
        QCOMPARE(row.fieldIndex, 0);
        QVERIFY(!row.valueEnabled);
        QVERIFY(!row.valueChoiceVisible);
        QCOMPARE(row.valueText, QString());
        QCOMPARE(row.connectionIndex, 0);
        QCOMPARE(row, showLineInRow(QueryLine{}, 7, clock12()));
    }

    void addNearTheEndShowsTheLastFive() {
        const IntlSettings s = clock24();
        QueryLines lines = numberedLines(10);
        ConditionGrid grid;
        showLinesFrom(grid, lines, 6, s);
        // Rows show 6..10; the user edits row 2 (line 7) before adding: the edit is kept.
        grid.rows[1].valueText = maskedText(grid.rows[1].mask, "EDITED");
        QCOMPARE(addLine(grid, lines, 9, s, encoder(s)), 2);
        QCOMPARE(lines.count(), 11);
        QCOMPARE(grid.rows[0].lineNumber, 7);
        QCOMPARE(shownName(grid.rows[0]), QString("EDITED"));
        QCOMPARE(grid.rows[2].lineNumber, 9);
        QCOMPARE(grid.rows[2].fieldIndex, 0);
        QCOMPARE(grid.rows[4].lineNumber, 11);
        QCOMPARE(shownName(grid.rows[4]), QString("L10"));
        QCOMPARE(grid.currentRow, 3);
        // As last.
        QCOMPARE(addLine(grid, lines, 12, s, encoder(s)), 4);
        QCOMPARE(grid.rows[4].lineNumber, 12);
    }

    void addCancelledOrOutOfRangeChangesNothing() {
        const IntlSettings s = clock24();
        QueryLines lines = numberedLines(5);
        ConditionGrid grid;
        showLinesFrom(grid, lines, 1, s);
        const QueryLines before = lines;
        const ConditionGrid gridBefore = grid;
        QCOMPARE(addLine(grid, lines, 0, s, encoder(s)), -1);
        QCOMPARE(addLine(grid, lines, 7, s, encoder(s)), -1);
        QVERIFY(lines == before);
        QVERIFY(grid.rows == gridBefore.rows);
    }

    void demoteInsideTheGridSwapsRows() {
        const IntlSettings s = clock24();
        QueryLines lines = numberedLines(6);
        lines.line(2) = QueryLine{};
        lines.line(2).field = "SIZE";
        lines.line(2).fieldIndex = fieldIndex("SIZE");
        lines.line(2).value = "2048";
        lines.line(2).valueChoiceIndex = 1;
        lines.line(2).choice = 1;
        ConditionGrid grid;
        showLinesFrom(grid, lines, 1, s);
        grid.currentRow = 2;
        QVERIFY(demoteLine(grid, lines, s, encoder(s)));
        QCOMPARE(grid.rows[1].lineNumber, 2);
        QCOMPARE(grid.rows[2].lineNumber, 3);
        QCOMPARE(shownName(grid.rows[1]), QString("L3"));
        QCOMPARE(grid.rows[2].field(), QString("SIZE"));
        QCOMPARE(grid.rows[2].valueText, QString("2"));
        QVERIFY(grid.rows[2].valueChoiceVisible);
        QCOMPARE(grid.rows[2].valueChoiceIndex, 1);
        QVERIFY(grid.rows[2].marked);
        QVERIFY(!grid.rows[1].marked);
        QVERIFY(!grid.rows[1].valueChoiceVisible);
        QCOMPARE(grid.currentRow, 2);
        // Promote from row 3 brings it back.
        grid.currentRow = 3;
        QVERIFY(promoteLine(grid, lines, s, encoder(s)));
        QCOMPARE(grid.rows[1].field(), QString("SIZE"));
        QCOMPARE(shownName(grid.rows[2]), QString("L3"));
    }

    void demoteFromTheBottomRowSwapsLines() {
        const IntlSettings s = clock24();
        QueryLines lines = numberedLines(8);
        ConditionGrid grid;
        showLinesFrom(grid, lines, 1, s);
        grid.currentRow = 5; // line 5
        QVERIFY(demoteLine(grid, lines, s, encoder(s)));
        QCOMPARE(lines.line(5).value, QString("'L6'"));
        QCOMPARE(lines.line(6).value, QString("'L5'"));
        QCOMPARE(grid.rows[4].lineNumber, 5);
        QCOMPARE(shownName(grid.rows[4]), QString("L6"));
        QCOMPARE(grid.rows[0].lineNumber, 1); // no scrolling
        // Promote from the top row.
        showLinesFrom(grid, lines, 4, s);
        grid.currentRow = 1; // line 4
        QVERIFY(promoteLine(grid, lines, s, encoder(s)));
        QCOMPARE(lines.line(3).value, QString("'L4'"));
        QCOMPARE(shownName(grid.rows[0]), QString("L3"));
    }

    void scrolling() {
        const IntlSettings s = clock24();
        QueryLines lines = numberedLines(9);
        ConditionGrid grid;
        showLinesFrom(grid, lines, 1, s);
        grid.currentRow = 3; // line 3
        // Inside the grid the current row moves by one.
        QVERIFY(!scrollGrid(grid, lines, 4, s, encoder(s)));
        QCOMPARE(grid.currentRow, 4);
        grid.currentRow = 5;
        grid.rows[4].valueText = maskedText(grid.rows[4].mask, "NEW5");
        QVERIFY(scrollGrid(grid, lines, 6, s, encoder(s)));
        QCOMPARE(grid.rows[0].lineNumber, 2);
        QCOMPARE(grid.rows[4].lineNumber, 6);
        QCOMPARE(grid.currentRow, 5);
        QCOMPARE(lines.line(5).value, QString("'NEW5'")); // stored before scrolling
        // Up from the top row.
        grid.currentRow = 1; // line 2
        QVERIFY(scrollGrid(grid, lines, 1, s, encoder(s)));
        QCOMPARE(grid.rows[0].lineNumber, 1);
        QCOMPARE(grid.rows[4].lineNumber, 5);
        QCOMPARE(grid.currentRow, 1);
        QVERIFY(!scrollGrid(grid, lines, 1, s, encoder(s)));
    }
};

QTEST_MAIN(TestRowModel)
#include "test_row_model.moc"
