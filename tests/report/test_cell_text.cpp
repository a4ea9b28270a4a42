// The texts of report cells under two sets of "intl" settings: the classic US defaults and a
// European set (comma decimals, dot thousands, day-first dates, 24-hour clock).
#include "report/cell_text.h"

#include <QtTest>

using namespace zek;
using namespace zek::report;

namespace {

platform::IntlSettings us() {
    return platform::IntlSettings{};
}

platform::IntlSettings european() {
    platform::IntlSettings intl;
    intl.iTime = 1;
    intl.sDecimal = ",";
    intl.sThousand = ".";
    intl.sShortDate = "dd-MM-yyyy";
    intl.sTime = ".";
    return intl;
}

} // namespace

class TestCellText : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sizes() {
        struct Case {
            qint64 bytes;
            const char* unit;
            const char* detail;
            const char* summary;
        };
        const Case cases[] = {
            {3000, "  ", "3,000", "3,000"},
            {3000, "KB", "2.93", "2.93"},
            {3000, "MB", "0.00", "0.00"},
            {1536, "KB", "1.50", "1.50"},
            {2097152, "MB", "2.00", "2.00"},
            {1234567, "", "1,234,567", "1,234,567"},
            // Sizes past 32 bits stay exact.
            {3000000000LL, "  ", "3,000,000,000", "3,000,000,000"},
            {5000000000000LL, "MB", "4,768,371.58", "4,768,371.58"},
            {0, "  ", "0", "0"},
        };
        for (const Case& c : cases) {
            QCOMPARE(detailSizeText(c.bytes, c.unit, us()), QString(c.detail));
            QCOMPARE(summarySizeText(c.bytes, c.unit, us()), QString(c.summary));
        }
        QCOMPARE(detailSizeText(1234567, "KB", european()), QString("1.205,63"));
        QCOMPARE(summarySizeText(1234567, "", european()), QString("1.234.567"));
        QCOMPARE(standardWholeText(1234567.89, us()), QString("1,234,567"));
    }

    void datesAndTimes() {
        QCOMPARE(shortDateText(19960201, us()), QString("2/1/96"));
        QCOMPARE(shortDateText(19960201, european()), QString("01-02-1996"));
        // A file system that keeps no creation date stores 0; a damaged number is no date either.
        QCOMPARE(shortDateText(0, us()), QString());
        QCOMPARE(shortDateText(19961332, us()), QString());

        struct Case {
            qint64 hhmmss;
            const char* twentyFour;
            const char* twelve;
        };
        const Case cases[] = {
            {90507, "09.05", "09:05 AM"},  {0, "00.00", "12:00 AM"},      {120000, "12.00", "12:00 PM"},
            {133000, "13.30", "01:30 PM"}, {235959, "23.59", "11:59 PM"}, {246000, "", ""},
        };
        for (const Case& c : cases) {
            QCOMPARE(timeText(c.hhmmss, european()), QString(c.twentyFour));
            QCOMPARE(timeText(c.hhmmss, us()), QString(c.twelve));
        }
    }

    void attributesAndShares() {
        QCOMPARE(attributeText(true), QString("X"));
        QCOMPARE(attributeText(false), QString(" "));
        QCOMPARE(shareText(1, 3, false, us()), QString("33.33"));
        QCOMPARE(shareText(2, 3, false, european()), QString("66,67"));
        // No scan since start: every share is 0 rather than a division by zero.
        QCOMPARE(shareText(500, 0, false, us()), QString("0.00"));
        QCOMPARE(shareText(500, 0, true, us()), QString("0.00"));
        // A file larger than the free space: the grouped share.
        QCOMPARE(shareText(3000000000LL, 1000, true, us()), QString("300,000,000.00"));
        QCOMPARE(shareText(3000000000LL, 1000, false, us()), QString("300000000.00"));
    }
};

QTEST_GUILESS_MAIN(TestCellText)
#include "test_cell_text.moc"
