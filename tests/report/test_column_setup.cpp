// The editing rules of the report setup windows: spinners, box checks, the pending-edit questions
// and the list commands.
#include "report/column_setup.h"

#include <QtTest>

using namespace zek;
using namespace zek::report;

namespace {

ReportColumns fourColumns() {
    ReportColumns c = defaultSummaryColumns();
    c.resize(4);
    return c;
}

QStringList namesOf(const ReportColumns& columns) {
    QStringList names;
    for (const ReportColumn& c : columns)
        names << c.name;
    return names;
}

} // namespace

class TestColumnSetup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void widthSpinner_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("up");
        QTest::addColumn<int>("down");
        QTest::newRow("middle") << 990 << 1010 << 970;
        QTest::newRow("near the top") << 9990 << 9999 << 9970;
        QTest::newRow("top") << 9999 << 9999 << 9979;
        QTest::newRow("near the bottom") << 110 << 130 << 100;
        QTest::newRow("bottom") << 100 << 120 << 100;
        QTest::newRow("below the bottom") << 50 << 70 << 50;
    }
    void widthSpinner() {
        QFETCH(int, width);
        QFETCH(int, up);
        QFETCH(int, down);
        QCOMPARE(widthSpinUp(width), up);
        QCOMPARE(widthSpinDown(width), down);
    }

    void positionSpinnerStaysInTheList() {
        QCOMPARE(positionSpinUp(3, 4), 4);
        QCOMPARE(positionSpinUp(4, 4), 4);
        QCOMPARE(positionSpinDown(2), 1);
        QCOMPARE(positionSpinDown(1), 1);
    }

    void widthBox_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("entry");
        QTest::addColumn<int>("width");
        QTest::newRow("zero becomes 180") << "0" << int(WidthEntry::Empty) << 180;
        QTest::newRow("empty becomes 180") << "" << int(WidthEntry::Empty) << 180;
        QTest::newRow("lowest") << "100" << int(WidthEntry::Valid) << 100;
        QTest::newRow("highest") << "9999" << int(WidthEntry::Valid) << 9999;
        QTest::newRow("too small") << "99" << int(WidthEntry::OutOfRange) << 99;
        QTest::newRow("too large") << "10000" << int(WidthEntry::OutOfRange) << 10000;
    }
    void widthBox() {
        QFETCH(QString, text);
        QFETCH(int, entry);
        QFETCH(int, width);
        const WidthCheck check = checkWidthText(text);
        QCOMPARE(int(check.entry), entry);
        QCOMPARE(check.width, width);
    }

    void positionBoxNamesAColumnOrNothing() {
        QCOMPARE(positionInBox("4", 4), 4);
        QCOMPARE(positionInBox("1", 4), 1);
        QCOMPARE(positionInBox("5", 4), 0);
        QCOMPARE(positionInBox("0", 4), 0);
        QCOMPARE(positionInBox("", 4), 0);
        QCOMPARE(positionRangeMessage(11), QString("Please specify a position between 1 and 11."));
    }

    void positionFromTheDialogsChoice_data() {
        QTest::addColumn<int>("choice");
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("position");
        QTest::newRow("as first") << int(PositionChoice::AsFirst) << 3 << 1;
        QTest::newRow("as last on 4") << int(PositionChoice::AsLast) << 3 << 5;
        QTest::newRow("before 3") << int(PositionChoice::Before) << 3 << 3;
        QTest::newRow("after 4") << int(PositionChoice::After) << 4 << 5;
        QTest::newRow("as number 2") << int(PositionChoice::AsNumber) << 2 << 2;
    }
    void positionFromTheDialogsChoice() {
        QFETCH(int, choice);
        QFETCH(int, number);
        QFETCH(int, position);
        QCOMPARE(positionFromChoice(PositionChoice(choice), 4, number), position);
    }

    void insertKeepsTheMovedEntryOrStartsEmptyPastTheEnd() {
        ReportColumns c = fourColumns();
        QVERIFY(insertColumn(c, 2, SetupKind::Summary));
        QCOMPARE(namesOf(c), QStringList({"PATH", "PATHLEVEL", "PATHLEVEL", "PATHSUBAANT", "SEL"}));

        QVERIFY(insertColumn(c, 6, SetupKind::Summary));
        QCOMPARE(c.size(), size_t(6));
        QCOMPARE(c.back().name, QString());
        QCOMPARE(c.back().description, QString());
        QCOMPARE(c.back().width, NewColumnWidth);

        ReportColumns empty;
        QVERIFY(insertColumn(empty, 1, SetupKind::Detail));
        QCOMPARE(empty.size(), size_t(1));

        // Cancel, and positions the dialog never gives, change nothing.
        const ReportColumns before = c;
        QVERIFY(!insertColumn(c, 0, SetupKind::Summary));
        QVERIFY(!insertColumn(c, 8, SetupKind::Summary));
        QVERIFY(c == before);
    }

    void promoteDemoteAndDelete() {
        ReportColumns c = fourColumns();
        int p = 1;
        QVERIFY(!promoteColumn(c, p));
        p = 4;
        QVERIFY(!demoteColumn(c, p));
        QCOMPARE(namesOf(c), QStringList({"PATH", "PATHLEVEL", "PATHSUBAANT", "SEL"}));

        c[2].width = 1234;
        p = 3;
        QVERIFY(promoteColumn(c, p));
        QCOMPARE(p, 2);
        QCOMPARE(namesOf(c), QStringList({"PATH", "PATHSUBAANT", "PATHLEVEL", "SEL"}));
        QCOMPARE(c[1].width, 1234); // the whole entry moves
        QVERIFY(demoteColumn(c, p));
        QCOMPARE(p, 3);
        QCOMPARE(namesOf(c), QStringList({"PATH", "PATHLEVEL", "PATHSUBAANT", "SEL"}));

        p = 4;
        QVERIFY(deleteColumn(c, p));
        QCOMPARE(p, 3); // the last entry went: the new last one is shown
        p = 1;
        QVERIFY(deleteColumn(c, p));
        QCOMPARE(p, 1);
        QCOMPARE(namesOf(c), QStringList({"PATHLEVEL", "PATHSUBAANT"}));
        QVERIFY(deleteColumn(c, p));
        QVERIFY(deleteColumn(c, p));
        QCOMPARE(p, 0);
        QVERIFY(!deleteColumn(c, p));
    }

    void pendingEditsAskTheRightQuestion_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("extra");
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("field");
        QTest::addColumn<bool>("widthChanged");
        QTest::newRow("nothing") << "SIZE"
                                 << "SIZE"
                                 << "" << 990 << false << false;
        QTest::newRow("blank unit is no unit") << "SIZE"
                                               << "SIZE"
                                               << "  " << 990 << false << false;
        QTest::newRow("name") << "NAME"
                              << "SIZE"
                              << "" << 990 << true << false;
        QTest::newRow("heading") << "SIZE"
                                 << "Bytes"
                                 << "" << 990 << true << false;
        QTest::newRow("unit") << "SIZE"
                              << "SIZE"
                              << "KB" << 990 << true << false;
        QTest::newRow("width") << "SIZE"
                               << "SIZE"
                               << "" << 1010 << false << true;
        QTest::newRow("both") << "SIZE"
                              << "x"
                              << "" << 180 << true << true;
    }
    void pendingEditsAskTheRightQuestion() {
        const ReportColumn stored{"SIZE", "SIZE", 990, "", NumberFormat};
        QFETCH(QString, name);
        QFETCH(QString, description);
        QFETCH(QString, extra);
        QFETCH(int, width);
        const PendingEdits pending = pendingEdits(stored, {name, description, extra, width});
        QFETCH(bool, field);
        QFETCH(bool, widthChanged);
        QCOMPARE(pending.field, field);
        QCOMPARE(pending.width, widthChanged);
    }

    void acceptedFieldTakesTheFormatOfItsName() {
        ReportColumn c{"NAME", "NAME", 990, "", TextFormat};
        acceptFieldEdits(c, {"SIZE", "Bytes", "KB", 990}, SetupKind::Detail);
        QCOMPARE(c.name, QString("SIZE"));
        QCOMPARE(c.description, QString("Bytes"));
        QCOMPARE(c.extra, QString("KB"));
        QCOMPARE(c.format, NumberFormat);
        acceptFieldEdits(c, {"%FREE DISKSPACE", "free", "", 990}, SetupKind::Detail);
        QCOMPARE(c.format, PercentFormat);
        QCOMPARE(c.extra, QString());
        // A blank unit stored as blanks keeps its stored form.
        ReportColumn blank{"SELSIZE", "SELSIZE", 990, "  ", NumberFormat};
        acceptFieldEdits(blank, {"SELSIZE", "selected", "", 990}, SetupKind::Summary);
        QCOMPARE(blank.extra, QString("  "));
    }

    void namesAndUnitLists() {
        const QStringList detail = detailFieldNames();
        QCOMPARE(detail.size(), 23);
        QCOMPARE(detail.first(), QString("LONGPATH"));
        QVERIFY(detail.contains("FILENUMBER"));
        QCOMPARE(detail.last(), QString("%OCCUPIED DISKSPACE"));
        QCOMPARE(summaryFieldNames().size(), 11);
        QCOMPARE(summaryFieldNames().first(), QString("PATH"));
        QCOMPARE(summaryFieldNames("EXTENSION").first(), QString("EXTENSION"));
        QCOMPARE(summaryFieldNames("EXTENSION").at(1), QString("PATHLEVEL"));

        QVERIFY(hasUnitList(SetupKind::Detail, "SIZE"));
        QVERIFY(!hasUnitList(SetupKind::Detail, "SELSIZE"));
        QVERIFY(hasUnitList(SetupKind::Summary, "CUMULUNSELSIZE"));
        QVERIFY(hasUnitList(SetupKind::Summary, "SIZE"));
        QVERIFY(!hasUnitList(SetupKind::Summary, "SEL"));
        QCOMPARE(unitChoices(), QStringList({"  ", "KB", "MB"}));
        QCOMPARE(unitIndex("MB"), 2);
        QCOMPARE(unitIndex("  "), 0);
    }
};

QTEST_MAIN(TestColumnSetup)
#include "test_column_setup.moc"
