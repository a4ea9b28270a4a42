// The capacity lines of the processing window and the "#,##0" number format.
#include "scan/capacity_text.h"

#include <QTest>

#include <limits>

using namespace zek;
using namespace zek::scan;

class TestCapacityText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void wholeNumbers() {
        QCOMPARE(formatWholeNumber(qint64(0), ","), QString("0"));
        QCOMPARE(formatWholeNumber(qint64(999), ","), QString("999"));
        QCOMPARE(formatWholeNumber(qint64(1000), ","), QString("1,000"));
        QCOMPARE(formatWholeNumber(qint64(1048576), ","), QString("1,048,576"));
        QCOMPARE(formatWholeNumber(qint64(-1234567), "."), QString("-1.234.567"));
        QCOMPARE(formatWholeNumber(std::numeric_limits<qint64>::min(), ","),
                 QString("-9,223,372,036,854,775,808"));
        QCOMPARE(formatWholeNumber(qint64(12345678), QString(QChar(0x202F))),
                 QString("12") + QChar(0x202F) + "345" + QChar(0x202F) + "678");
        // The nearest whole number, halves away from zero.
        QCOMPARE(formatWholeNumber(37.4, ","), QString("37"));
        QCOMPARE(formatWholeNumber(37.5, ","), QString("38"));
        QCOMPARE(formatWholeNumber(-2.5, ","), QString("-3"));
        QCOMPARE(formatWholeNumber(1234.6, ","), QString("1,235"));
    }

    void linesOfTheExample_data() {
        QTest::addColumn<QString>("separator");
        QTest::newRow("comma") << ",";
        QTest::newRow("dot") << ".";
    }
    void linesOfTheExample() {
        QFETCH(QString, separator);
        platform::IntlSettings intl;
        intl.sThousand = separator;
        DriveCapacity capacity;
        capacity.totalBytes = 40'000'000;
        capacity.freeBytes = 10'000'000;
        capacity.known = true;
        const CapacityLines lines = capacityLines("/home", capacity, intl);
        QCOMPARE(lines.totalCaption, QString("Total capacity drive /home :"));
        QCOMPARE(lines.totalBytes, "40" + separator + "000" + separator + "000 Bytes.");
        QCOMPARE(lines.freeCaption, QString("Free capacity drive /home :"));
        QCOMPARE(lines.freeBytes, "10" + separator + "000" + separator + "000 Bytes.");
        QCOMPARE(lines.freePercent, QString("25 %"));
    }

    void largeDrivesAndRounding() {
        platform::IntlSettings intl;
        DriveCapacity capacity;
        capacity.totalBytes = 8'000'000'000'000LL; // 8 TB: far past 32 bits
        capacity.freeBytes = 2'999'999'999'999LL;
        const CapacityLines lines = capacityLines("/", capacity, intl);
        QCOMPARE(lines.totalBytes, QString("8,000,000,000,000 Bytes."));
        QCOMPARE(lines.freeBytes, QString("2,999,999,999,999 Bytes."));
        QCOMPARE(lines.freePercent, QString("37 %")); // 37.4999...
        QCOMPARE(lines.totalCaption, QString("Total capacity drive / :"));
    }

    void zeroTotalShowsNoShare() {
        platform::IntlSettings intl;
        DriveCapacity capacity; // unknown: both zero
        const CapacityLines lines = capacityLines("/media/usb", capacity, intl);
        QCOMPARE(lines.totalBytes, QString("0 Bytes."));
        QCOMPARE(lines.freeBytes, QString("0 Bytes."));
        QCOMPARE(lines.freePercent, UnknownPercentText);
        QCOMPARE(lines.freePercent, QString("n/a %"));
    }
};

QTEST_GUILESS_MAIN(TestCapacityText)
#include "test_capacity_text.moc"
