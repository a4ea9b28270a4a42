// The encoding of a condition row into its stored line: every field kind, the units of a size, the
// date order and the 12-hour clock, and the values that cannot be read.
#include "query/row_encoding.h"
#include "support/condition_lines.h"

#include <QTest>

using namespace zek;

namespace {

GridRowInput row(const QString& field, const QString& evaluation, const QString& value) {
    return test::gridRowOf({field, evaluation, value});
}

GridRowInput sizeRow(const QString& evaluation, const QString& value, const QString& unit) {
    return test::gridRowOf({"SIZE", evaluation, value, unit});
}

// amPm: -1 with the AM/PM box hidden, 0 for AM, 1 for PM.
GridRowInput timeRow(const QString& value, int amPm = -1) {
    return test::gridRowOf({"TIME", "=", value, amPm < 0 ? "" : amPm == 1 ? "PM" : "AM"});
}

platform::IntlSettings classic() {
    return platform::IntlSettings{}; // ".", ",", "-", "M/d/yy", ":"
}

platform::IntlSettings german() {
    platform::IntlSettings s;
    s.sDecimal = ",";
    s.sThousand = ".";
    s.sDate = ".";
    s.sShortDate = "dd.MM.yy";
    return s;
}

} // namespace

class TestRowEncoding : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void controlsCopied() {
        GridRowInput r = row("NAME", "=", "A*");
        r.marked = true;
        r.bracketL = " (( ";
        r.bracketR = ")";
        r.evaluationIndex = 0;
        r.connection = "OR";
        r.connectionIndex = 2;
        const QueryLine l = encodeGridRow(r, classic());
        QCOMPARE(l.choice, 1);
        QCOMPARE(l.bracketL, QString(" (( ")); // unchanged: the statement trims it
        QCOMPARE(l.field, QString("NAME"));
        QCOMPARE(l.fieldIndex, 4);
        QCOMPARE(l.evaluation, QString("LIKE"));
        QCOMPARE(l.value, QString("'A*'"));
        QCOMPARE(l.valueChoice, QString());
        QCOMPARE(l.valueChoiceIndex, -1);
        QCOMPARE(l.bracketR, QString(")"));
        QCOMPARE(l.connection, QString("OR"));
        QCOMPARE(l.connectionIndex, 2);
        r.marked = false;
        QCOMPARE(encodeGridRow(r, classic()).choice, 0);
    }

    void textFields() {
        for (const char* field : {"LONGPATH", "PATH", "LONGNAME", "NAME", "EXTENSION"}) {
            const QueryLine eq = encodeGridRow(row(field, "=", "AB"), classic());
            QCOMPARE(eq.evaluation, QString("LIKE"));
            QCOMPARE(eq.value, QString("'AB'"));
            QCOMPARE(encodeGridRow(row(field, "NOT =", "AB"), classic()).evaluation, QString("NOT LIKE"));
        }
        // A typed underscore is part of the name (the box text holds no unfilled places).
        QCOMPARE(encodeGridRow(row("NAME", "=", "MY_FILE"), classic()).value, QString("'MY_FILE'"));
        QCOMPARE(encodeGridRow(row("LONGNAME", "=", "LIB_C*"), classic()).value, QString("'LIB_C*'"));
        // Wildcards pass unchanged.
        QCOMPARE(encodeGridRow(row("PATH", "=", "/HOME/*/?X"), classic()).value, QString("'/HOME/*/?X'"));
        // An empty or blank box gives no value.
        QCOMPARE(encodeGridRow(row("NAME", "=", ""), classic()).value, QString());
        QCOMPARE(encodeGridRow(row("NAME", "=", "   "), classic()).value, QString());
    }

    void apostrophes() {
        // The user's text can never end the literal: each apostrophe is doubled inside the quotes.
        QCOMPARE(encodeTextValue("O'BRIEN"), QString("'O''BRIEN'"));
        QCOMPARE(encodeTextValue("'"), QString("''''"));
        QCOMPARE(encodeTextValue("X' OR 'A'='A"), QString("'X'' OR ''A''=''A'"));
        // The grid shows the entry as it was typed.
        QCOMPARE(textEntryFromValue("'O''BRIEN'"), QString("O'BRIEN"));
        QCOMPARE(textEntryFromValue(encodeTextValue("X' OR 'A'='A")), QString("X' OR 'A'='A"));
        QCOMPARE(textEntryFromValue("''"), QString());
        QCOMPARE(textEntryFromValue("'AB'"), QString("AB"));
    }

    void sizes_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<bool>("comma");
        QTest::addColumn<QString>("value");
        QTest::newRow("1 KB") << "1"
                              << "KB" << false << "1024";
        QTest::newRow("1.5 KB") << "1.5"
                                << "KB" << false << "1536";
        QTest::newRow("2 MB") << "2"
                              << "MB" << false << "2097152";
        QTest::newRow("1,024 bytes") << "1,024"
                                     << "  " << false << "1024";
        QTest::newRow("1,234,567 bytes") << "1,234,567"
                                         << "  " << false << "1234567";
        QTest::newRow("0 bytes") << "0"
                                 << "  " << false << "0";
        QTest::newRow("1,024 KB") << "1,024"
                                  << "KB" << false << "1048576";
        QTest::newRow("1.3 KB keeps the fraction") << "1.3"
                                                   << "KB" << false << "1331.2";
        QTest::newRow("two decimal points") << "1.5.2"
                                            << "KB" << false << "";
        QTest::newRow("no entry") << ""
                                  << "  " << false << "";
        QTest::newRow("no entry with KB") << ""
                                          << "KB" << false << "";
        QTest::newRow("4096 MB, beyond 32 bits") << "4,096"
                                                 << "MB" << false << "4294967296";
        QTest::newRow("comma decimal 1,5 KB") << "1,5"
                                              << "KB" << true << "1536";
        QTest::newRow("point thousands 1.024 bytes") << "1.024"
                                                     << "  " << true << "1024";
    }
    void sizes() {
        QFETCH(QString, entry);
        QFETCH(QString, unit);
        QFETCH(bool, comma);
        QFETCH(QString, value);
        const QueryLine l = encodeGridRow(sizeRow(">=", entry, unit), comma ? german() : classic());
        QCOMPARE(l.value, value);
        QCOMPARE(l.evaluation, QString(">="));
        QCOMPARE(l.valueChoice, unit);
        QCOMPARE(l.valueChoiceIndex, unit == "KB" ? 1 : unit == "MB" ? 2 : 0);
    }

    void dates_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("value");
        QTest::newRow("7 December 1996, month first") << "12-07-96"
                                                      << "M/d/yy"
                                                      << "19961207";
        QTest::newRow("day first") << "07.12.96"
                                   << "dd.MM.yy"
                                   << "19961207";
        QTest::newRow("year first") << "96/12/07"
                                    << "yy/MM/dd"
                                    << "19961207";
        QTest::newRow("quoted letters skipped") << "12-07-96"
                                                << "'day' M/d/yy"
                                                << "19961207";
        QTest::newRow("two-digit year 05") << "01-31-05"
                                           << "M/d/yy"
                                           << "20050131";
        QTest::newRow("two-digit year 29") << "01-31-29"
                                           << "M/d/yy"
                                           << "20290131";
        QTest::newRow("two-digit year 30") << "01-31-30"
                                           << "M/d/yy"
                                           << "19300131";
        QTest::newRow("untouched") << "__-__-__"
                                   << "M/d/yy"
                                   << "";
        QTest::newRow("spaces") << "  -  -  "
                                << "M/d/yy"
                                << "";
        QTest::newRow("half filled") << "12-07-__"
                                     << "M/d/yy"
                                     << "";
        QTest::newRow("no such month") << "13-45-96"
                                       << "M/d/yy"
                                       << "";
        QTest::newRow("30 February") << "02-30-96"
                                     << "M/d/yy"
                                     << "";
        QTest::newRow("29 February of a leap year") << "02-29-96"
                                                    << "M/d/yy"
                                                    << "19960229";
    }
    void dates() {
        QFETCH(QString, entry);
        QFETCH(QString, pattern);
        QFETCH(QString, value);
        platform::IntlSettings intl = classic();
        intl.sShortDate = pattern;
        for (const char* field : {"DATE", "CREATIONDATE", "ACCESSDATE"}) {
            const QueryLine l = encodeGridRow(row(field, "<=", entry), intl);
            QCOMPARE(l.value, value);
            QCOMPARE(l.evaluation, QString("<="));
        }
    }

    void times24() {
        const platform::IntlSettings intl = classic();
        QCOMPARE(encodeGridRow(timeRow("09:30"), intl).value, QString("093000"));
        QCOMPARE(encodeGridRow(timeRow("00:00"), intl).value, QString("000000"));
        QCOMPARE(encodeGridRow(timeRow("23:59"), intl).value, QString("235900"));
        QCOMPARE(encodeGridRow(timeRow("9_:3_"), intl).value, QString("090300"));
        // What cannot be read stays empty, never a crash and never a made-up time.
        QCOMPARE(encodeGridRow(timeRow("__:__"), intl).value, QString());
        QCOMPARE(encodeGridRow(timeRow("24:00"), intl).value, QString());
        QCOMPARE(encodeGridRow(timeRow("10:75"), intl).value, QString());
        QCOMPARE(encodeGridRow(timeRow("10:__"), intl).value, QString());
        for (const char* field : {"CREATIONTIME", "ACCESSTIME"}) {
            GridRowInput r = timeRow("14.05");
            r.field = field;
            QCOMPARE(encodeGridRow(r, intl).value, QString("140500"));
        }
        QCOMPARE(encodeGridRow(timeRow("09:30"), intl).valueChoiceIndex, -1);
    }

    void times12() {
        platform::IntlSettings intl = classic();
        intl.iTime = 0;
        const int am = 0, pm = 1;
        QCOMPARE(encodeGridRow(timeRow("09:30", am), intl).value, QString("093000"));
        QCOMPARE(encodeGridRow(timeRow("11:59", am), intl).value, QString("115900"));
        QCOMPARE(encodeGridRow(timeRow("12:00", am), intl).value, QString("000000"));
        QCOMPARE(encodeGridRow(timeRow("12:30", pm), intl).value, QString("123000"));
        QCOMPARE(encodeGridRow(timeRow("01:15", pm), intl).value, QString("131500"));
        QCOMPARE(encodeGridRow(timeRow("02:30", pm), intl).value, QString("143000"));
        QCOMPARE(encodeGridRow(timeRow("11:59", pm), intl).value, QString("235900"));
        // Outside 1 to 12 a 12-hour entry is no time.
        QCOMPARE(encodeGridRow(timeRow("00:30", am), intl).value, QString());
        QCOMPARE(encodeGridRow(timeRow("13:00", pm), intl).value, QString());
        // The designator box is kept with the line.
        const QueryLine l = encodeGridRow(timeRow("02:30", pm), intl);
        QCOMPARE(l.valueChoice, QString("PM"));
        QCOMPARE(l.valueChoiceIndex, 1);
        // Without a position, the box text decides.
        GridRowInput byText = timeRow("02:30", pm);
        byText.valueChoiceIndex = -1;
        QCOMPARE(encodeGridRow(byText, intl).value, QString("143000"));
    }

    void attributes() {
        for (const char* field :
             {"ARCHIVE", "READONLY", "HIDDEN", "SYSTEM", "DIRECTORY", "COMPRESSED", "TEMPORARY"}) {
            const QueryLine set = encodeGridRow(row(field, "=", "SET"), classic());
            QCOMPARE(set.evaluation, QString("="));
            QCOMPARE(set.value, QString("TRUE"));
            const QueryLine notSet = encodeGridRow(row(field, "NOT =", "SET"), classic());
            QCOMPARE(notSet.evaluation, QString("="));
            QCOMPARE(notSet.value, QString("FALSE"));
            QCOMPARE(notSet.evaluationIndex, 0); // the position stays as the user left it
        }
    }

    void lineWithoutField() {
        GridRowInput r = row("", "", "");
        r.bracketL = "(";
        const QueryLine l = encodeGridRow(r, classic());
        QCOMPARE(l.field, QString());
        QCOMPARE(l.fieldIndex, 0);
        QCOMPARE(l.evaluation, QString());
        QCOMPARE(l.value, QString());
        QCOMPARE(l.bracketL, QString("("));
        // The same line as a work file gives it back: storing it again changes nothing.
        QueryLine reloaded = l;
        restoreLinePositions(reloaded, QString::number(l.valueChoiceIndex));
        QCOMPARE(reloaded, l);
    }
};

QTEST_MAIN(TestRowEncoding)
#include "test_row_encoding.moc"
