// Condition lines as text: what a line reads into (the stored form the grid would give), what is
// refused and with which message, and that a stored line written out reads back the same.
#include "query/condition_text.h"
#include "query/value_validation.h"
#include "support/condition_lines.h"

#include <QTest>

Q_DECLARE_METATYPE(zek::test::ConditionRow)

using namespace zek;
using namespace zek::test;

namespace {

// The classic settings: month-day-year with "-", a 12-hour clock, "." and ",".
const platform::IntlSettings Classic{};

platform::IntlSettings german() {
    platform::IntlSettings s;
    s.iTime = 1;
    s.sDecimal = ",";
    s.sThousand = ".";
    s.sShortDate = "dd.MM.yy";
    s.sDate = ".";
    return s;
}

// bracketL|field|evaluation|value|unit position|bracketR|connection
QString fields(const QueryLine& l) {
    return QStringList{l.bracketL, l.field,     l.evaluation, l.value, QString::number(l.valueChoiceIndex),
                       l.bracketR, l.connection}
        .join('|');
}

} // namespace

class TestConditionText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void accepted_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored");
        QTest::newRow("brackets, text, connection") << "( NAME = A* OR"
                                                    << "(|NAME|LIKE|'A*'|-1||OR";
        QTest::newRow("size in MB") << "SIZE >= 1.5 MB )"
                                    << "|SIZE|>=|1572864|2|)|";
        QTest::newRow("unit joined, any case") << "size <= 2kb"
                                               << "|SIZE|<=|2048|1||";
        QTest::newRow("bytes with separators") << "SIZE > 1,000"
                                               << "|SIZE|>|1000|0||";
        QTest::newRow("ISO date") << "DATE < 2020-01-31"
                                  << "|DATE|<|20200131|-1||";
        QTest::newRow("locale date") << "ACCESSDATE >= 01-31-20"
                                     << "|ACCESSDATE|>=|20200131|-1||";
        QTest::newRow("locale date, long year") << "DATE = 1/31/1925"
                                                << "|DATE|=|19250131|-1||";
        QTest::newRow("attribute not set") << "HIDDEN NOT = SET AND NOT"
                                           << "|HIDDEN|=|FALSE|-1||AND NOT";
        QTest::newRow("attribute set") << "hidden = set"
                                       << "|HIDDEN|=|TRUE|-1||";
        QTest::newRow("NOT= joined") << "READONLY NOT= SET"
                                     << "|READONLY|=|FALSE|-1||";
        QTest::newRow("24-hour time") << "TIME > 14:30"
                                      << "|TIME|>|143000|-1||";
        QTest::newRow("PM") << "CREATIONTIME < 02:30 PM"
                            << "|CREATIONTIME|<|143000|-1||";
        QTest::newRow("12 AM is midnight") << "TIME = 12:00 am"
                                           << "|TIME|=|000000|-1||";
        QTest::newRow("brackets on the field") << "((name NOT = o'brien"
                                               << "((|NAME|NOT LIKE|'O''BRIEN'|-1||";
        QTest::newRow("quoted value with spaces") << R"x(LONGNAME = "My ""big"" file (1)" ) ) OR NOT)x"
                                                  << R"x(|LONGNAME|LIKE|'MY "BIG" FILE (1)'|-1|))|OR NOT)x";
        QTest::newRow("path") << "PATH = /HOME/*"
                              << "|PATH|LIKE|'/HOME/*'|-1||";
        QTest::newRow("brackets only") << " ( ( "
                                       << "((||||-1||";
        QTest::newRow("empty") << ""
                               << "||||-1||";
    }
    void accepted() {
        QFETCH(QString, text);
        QFETCH(QString, stored);
        const ConditionTextParse p = parseConditionText(text, Classic);
        QVERIFY2(p.error.isEmpty(), qPrintable(p.error));
        QCOMPARE(fields(p.line), stored);
        // Exactly what saving and loading the line gives: the list positions rebuilt from the texts.
        QCOMPARE(p.line, storedForm(p.line));
    }

    void refused_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        // The grid's own messages.
        QTest::newRow("no such day") << "DATE < 2020-02-30" << InvalidDateMessage;
        QTest::newRow("locale date, month 13") << "DATE < 13-45-96" << InvalidDateMessage;
        QTest::newRow("date of words") << "DATE < yesterday" << InvalidDateMessage;
        QTest::newRow("24:00") << "TIME = 24:00" << InvalidTimeMessage;
        QTest::newRow("13 PM") << "TIME = 13:00 PM" << InvalidTimeMessage;
        QTest::newRow("minute 75") << "TIME = 10:75" << InvalidTimeMessage;
        QTest::newRow("two decimal points") << "SIZE > 1.2.3 KB"
                                            << "Too many . specified.";
        QTest::newRow("device name") << "EXTENSION = CON" << NonStandardNameMessage;
        QTest::newRow("double colon") << "PATH = C::\\" << NonStandardPathMessage;
        // What the grid's key filter would not let through, and the rest of the line.
        QTest::newRow("full stop in NAME") << "NAME = A.B"
                                           << "\".\" cannot be typed into a NAME value";
        QTest::newRow("NAME too long") << "NAME = ABCDEFGHI"
                                       << "a NAME value holds at most 8 characters";
        QTest::newRow("fraction of bytes") << "SIZE > 1.5"
                                           << "a SIZE in bytes is a whole number: a fraction needs KB or MB";
        QTest::newRow("size without digits") << "SIZE > ,,, KB"
                                             << "a SIZE value needs a number";
        QTest::newRow("unknown field")
            << "COLOUR = RED"
            << "unknown field \"COLOUR\"; the fields are LONGPATH, PATH, LONGNAME, "
               "NAME, EXTENSION, SIZE, DATE, TIME, CREATIONDATE, CREATIONTIME, "
               "ACCESSDATE, ACCESSTIME, ARCHIVE, READONLY, HIDDEN, SYSTEM, "
               "DIRECTORY, COMPRESSED, TEMPORARY";
        QTest::newRow("order on a name") << "NAME < A"
                                         << "NAME takes the evaluations =, NOT =, not \"<\"";
        QTest::newRow("no value") << "NAME ="
                                  << "no value after NAME =";
        QTest::newRow("no evaluation") << "( NAME"
                                       << "no evaluation after NAME";
        QTest::newRow("attribute value")
            << "HIDDEN = YES"
            << "HIDDEN takes the value SET: write \"HIDDEN = SET\" or \"HIDDEN NOT = "
               "SET\"";
        QTest::newRow("unquoted spaces") << "LONGNAME = My File"
                                         << "\"File\" is not a connection (AND, OR, AND NOT, OR NOT); a "
                                            "value with spaces goes in double quotes";
        QTest::newRow("bad connection") << "NAME = A ) XOR"
                                        << "\"XOR\" is not a connection (AND, OR, AND NOT, OR "
                                           "NOT); a value with spaces goes in double quotes";
        QTest::newRow("open quote") << "LONGNAME = \"open"
                                    << "a value in double quotes has no closing quote";
        QTest::newRow("21 left brackets") << QString(21, u'(') + " NAME = A"
                                          << "at most 20 brackets go on either side of a condition";
        QTest::newRow("21 right brackets")
            << "NAME = A " + QString(21, u')') << "at most 20 brackets go on either side of a condition";
    }
    void refused() {
        QFETCH(QString, text);
        QFETCH(QString, message);
        QCOMPARE(parseConditionText(text, Classic).error, message);
    }

    // Lines as the window stores its rows, written out and read back: the same stored line.
    void roundTrip_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<ConditionRow>("row");
        QTest::addColumn<QString>("text");
        QTest::newRow("text") << "classic" << ConditionRow{"NAME", "NOT =", "O'BRIEN", "", "OR", "((", ")"}
                              << "(( NAME NOT = O'BRIEN ) OR";
        QTest::newRow("spaces and quotes")
            << "classic" << ConditionRow{"LONGNAME", "=", "A \"B\" C"} << R"(LONGNAME = "A ""B"" C")";
        QTest::newRow("size in KB") << "classic" << ConditionRow{"SIZE", ">=", "1.5", "KB"}
                                    << "SIZE >= 1.5 KB";
        QTest::newRow("bytes") << "classic" << ConditionRow{"SIZE", "<", "1234567", "  "}
                               << "SIZE < 1,234,567";
        QTest::newRow("date") << "classic" << ConditionRow{"DATE", ">", "12-31-99"} << "DATE > 1999-12-31";
        QTest::newRow("PM time") << "classic" << ConditionRow{"TIME", "<=", "02:30", "PM"} << "TIME <= 14:30";
        QTest::newRow("attribute") << "classic" << ConditionRow{"SYSTEM", "NOT =", "SET", "", "AND NOT"}
                                   << "SYSTEM NOT = SET AND NOT";
        QTest::newRow("size, comma decimal")
            << "german" << ConditionRow{"SIZE", "=", "1.536,5", "MB"} << "SIZE = 1.536,5 MB";
        QTest::newRow("date, day first")
            << "german" << ConditionRow{"CREATIONDATE", "<", "31.01.20"} << "CREATIONDATE < 2020-01-31";
        QTest::newRow("24-hour time")
            << "german" << ConditionRow{"ACCESSTIME", "=", "23:59"} << "ACCESSTIME = 23:59";
    }
    void roundTrip() {
        QFETCH(QString, locale);
        QFETCH(ConditionRow, row);
        QFETCH(QString, text);
        const platform::IntlSettings intl = locale == "german" ? german() : Classic;
        const QueryLine stored = storedForm(conditionLine(row, intl));
        QCOMPARE(conditionText(stored, intl), text);
        const ConditionTextParse back = parseConditionText(text, intl);
        QVERIFY2(back.error.isEmpty(), qPrintable(back.error));
        QCOMPARE(fields(back.line), fields(stored));
        QCOMPARE(back.line, stored);
    }

    void emptyLinesWriteNothing() {
        QCOMPARE(conditionText(QueryLine{}, Classic), QString());
        QueryLine brackets;
        brackets.bracketL = "((";
        QCOMPARE(conditionText(brackets, Classic), QString("(("));
    }

    void sorters_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("ascending");
        QTest::addColumn<QString>("error");
        QTest::newRow("descending") << "SIZE-"
                                    << "SIZE" << false << "";
        QTest::newRow("ascending, any case") << "name+"
                                             << "NAME" << true << "";
        QTest::newRow("bare") << "DATE"
                              << "DATE" << true << "";
        QTest::newRow("spaces") << " LONGPATH - "
                                << "LONGPATH" << false << "";
        QTest::newRow("unknown")
            << "COLOUR+"
            << "" << true
            << "unknown sort field \"COLOUR+\"; the fields are LONGPATH, PATH, LONGNAME, NAME, "
               "EXTENSION, SIZE, DATE, TIME, CREATIONDATE, CREATIONTIME, ACCESSDATE, "
               "ACCESSTIME, ARCHIVE, READONLY, HIDDEN, SYSTEM, DIRECTORY, COMPRESSED, "
               "TEMPORARY";
        QTest::newRow("direction only") << "-"
                                        << "" << true
                                        << "unknown sort field \"-\"; the fields are "
                                           "LONGPATH, PATH, LONGNAME, NAME, EXTENSION, SIZE, "
                                           "DATE, TIME, CREATIONDATE, CREATIONTIME, "
                                           "ACCESSDATE, ACCESSTIME, ARCHIVE, READONLY, "
                                           "HIDDEN, SYSTEM, DIRECTORY, COMPRESSED, TEMPORARY";
    }
    void sorters() {
        QFETCH(QString, text);
        QFETCH(QString, field);
        QFETCH(bool, ascending);
        QFETCH(QString, error);
        const SorterTextParse p = parseSorterText(text);
        QCOMPARE(p.error, error);
        if (!error.isEmpty())
            return;
        QCOMPARE(p.sorter.text, field);
        QCOMPARE(p.sorter.ascending, ascending);
        QCOMPARE(parseSorterText(sorterText(p.sorter)).sorter, p.sorter);
    }
};

QTEST_GUILESS_MAIN(TestConditionText)
#include "test_condition_text.moc"
