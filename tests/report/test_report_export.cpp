// The pieces of a report file: CSV quoting, the raw values a spreadsheet reads, the padded lines of
// the text layout, and the extensions a report is written as.
#include "report/report_csv.h"
#include "report/report_export.h"
#include "report/report_text.h"

#include <QTest>

using namespace zek::report;

class TestReportExport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void csvQuoting_data() {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QString>("record");
        QTest::newRow("plain") << QStringList{"a.txt", "3000", ""} << "a.txt,3000,\r\n";
        QTest::newRow("comma") << QStringList{"we,ird", "1"} << "\"we,ird\",1\r\n";
        QTest::newRow("quote doubled") << QStringList{"say \"hi\""} << "\"say \"\"hi\"\"\"\r\n";
        QTest::newRow("line feed") << QStringList{"two\nlines", "x"} << "\"two\nlines\",x\r\n";
        QTest::newRow("carriage return") << QStringList{"a\rb"} << "\"a\rb\"\r\n";
        QTest::newRow("blanks and semicolons stay bare") << QStringList{" a ; b "} << " a ; b \r\n";
        QTest::newRow("non-ASCII stays as it is") << QStringList{"Größe"} << "Größe\r\n";
    }
    void csvQuoting() {
        QFETCH(QStringList, fields);
        QFETCH(QString, record);
        QCOMPARE(csvRecord(fields), record);
    }

    void rawValues() {
        // Dates and times of the file table, and what is no date or time.
        QCOMPARE(rawDateText(20200131), QString("2020-01-31"));
        QCOMPARE(rawDateText(19991231), QString("1999-12-31"));
        QCOMPARE(rawDateText(0), QString());
        QCOMPARE(rawDateText(20201340), QString());
        QCOMPARE(rawTimeText(90507), QString("09:05:07"));
        QCOMPARE(rawTimeText(0), QString("00:00:00"));
        QCOMPARE(rawTimeText(235959), QString("23:59:59"));
        QCOMPARE(rawTimeText(246000), QString());
        QCOMPARE(rawTimeText(-1), QString());
        // Shares: a point, no grouping, no trailing zeros; a whole of 0 gives 0.
        QCOMPARE(rawShareText(1, 3), QString("33.333333"));
        QCOMPARE(rawShareText(1500, 1000), QString("150"));
        QCOMPARE(rawShareText(123456789, 1000), QString("12345678.9"));
        QCOMPARE(rawShareText(5, 0), QString("0"));
        // Stored numbers: whole numbers without separators whatever their type.
        QCOMPARE(rawNumberText(QVariant(qint64(3000000000))), QString("3000000000"));
        QCOMPARE(rawNumberText(QVariant(2.0)), QString("2"));
        QCOMPARE(rawNumberText(QVariant(2.5)), QString("2.5"));
        QCOMPARE(rawNumberText(QVariant(true)), QString("1"));
        QCOMPARE(rawNumberText(QVariant()), QString());
    }

    void extensions() {
        QCOMPARE(exportFormatOf("/a/b.csv"), std::optional(ExportFormat::Csv));
        QCOMPARE(exportFormatOf("REPORT.TXT"), std::optional(ExportFormat::Text));
        QCOMPARE(exportFormatOf("x.Pdf"), std::optional(ExportFormat::Pdf));
        for (const char* refused : {"x.xlsx", "x", "csv", "x.csv.gz", "dir.pdf/x"})
            QVERIFY2(!exportFormatOf(refused), refused);
    }

    void textLines() {
        const std::vector<TextColumn> columns{{"#", 4, 1}, {"Name", 6, 0}, {"Mid", 5, 2}};
        QCOMPARE(textColumnChars(480), 4);
        QCOMPARE(textColumnChars(990), 8);
        QCOMPARE(textColumnChars(1200), 10);
        // Right, left and centre; trailing blanks dropped.
        QCOMPARE(textLine(columns, {"1", "ab", "x"}), QString("   1  ab        x"));
        QCOMPARE(textLine(columns, {"12", "abcdef", "xy"}), QString("  12  abcdef   xy"));
        // A cell longer than its column is written whole and pushes the rest along.
        QCOMPARE(textLine(columns, {"123456", "a", ""}), QString("123456  a"));
        // Missing cells are empty.
        QCOMPARE(textLine(columns, {"1"}), QString("   1"));
    }
};

QTEST_MAIN(TestReportExport)
#include "test_report_export.moc"
