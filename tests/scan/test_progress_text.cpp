// The progress line of the processing window: counts, singular forms, grouping and the rate.
#include "scan/progress_text.h"

#include <QTest>

using namespace zek::scan;

class TestProgressText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void lines_data() {
        QTest::addColumn<qint64>("entries");
        QTest::addColumn<qint64>("folders");
        QTest::addColumn<qint64>("elapsedMs");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("expected");
        QTest::newRow("nothing yet") << qint64(0) << qint64(0) << qint64(0) << ","
                                     << "0 entries in 0 folders";
        QTest::newRow("singular") << qint64(1) << qint64(1) << qint64(50) << ","
                                  << "1 entry in 1 folder";
        QTest::newRow("rate singular") << qint64(1) << qint64(2) << qint64(1000) << ","
                                       << "1 entry in 2 folders, 1 entry per second";
        QTest::newRow("grouped") << qint64(1234567) << qint64(12345) << qint64(2000) << ","
                                 << "1,234,567 entries in 12,345 folders, 617,284 entries per second";
        QTest::newRow("dot separator") << qint64(5000) << qint64(1000) << qint64(4000) << "."
                                       << "5.000 entries in 1.000 folders, 1.250 entries per second";
        QTest::newRow("rate rounded") << qint64(10) << qint64(3) << qint64(3000) << ","
                                      << "10 entries in 3 folders, 3 entries per second";
        QTest::newRow("rate zero") << qint64(0) << qint64(1) << qint64(500) << ","
                                   << "0 entries in 1 folder, 0 entries per second";
    }
    void lines() {
        QFETCH(qint64, entries);
        QFETCH(qint64, folders);
        QFETCH(qint64, elapsedMs);
        QFETCH(QString, separator);
        QFETCH(QString, expected);
        QCOMPARE(progressText(entries, folders, elapsedMs, separator), expected);
    }
};

QTEST_MAIN(TestProgressText)
#include "test_progress_text.moc"
