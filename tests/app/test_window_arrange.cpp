// Tile and Arrange Icons: every window gets a place, the places cover the area once, and the
// orientation decides whether windows stack or stand side by side.
#include "app/window_arrange.h"

#include <QRegion>
#include <QTest>

using namespace zek;

class TestWindowArrange : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void tilesCoverTheAreaExactlyOnce_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("orientation");
        for (int count : {1, 2, 3, 4, 5, 7, 10}) {
            QTest::addRow("%d horizontal", count) << count << int(TileOrientation::Horizontal);
            QTest::addRow("%d vertical", count) << count << int(TileOrientation::Vertical);
        }
    }

    void tilesCoverTheAreaExactlyOnce() {
        QFETCH(int, count);
        QFETCH(int, orientation);
        const QRect area(10, 20, 1001, 707);
        const QList<QRect> rects = tileRects(area, count, TileOrientation(orientation));
        QCOMPARE(rects.size(), count);
        long long total = 0;
        QRegion covered;
        for (const QRect& r : rects) {
            QVERIFY(area.contains(r));
            QVERIFY(!r.isEmpty());
            QVERIFY2(!covered.intersects(r), "tiles overlap");
            covered += r;
            total += static_cast<long long>(r.width()) * r.height();
        }
        QCOMPARE(total, static_cast<long long>(area.width()) * area.height());
    }

    void fewWindowsStackOrStandSideBySide() {
        const QRect area(0, 0, 900, 600);
        const QList<QRect> stacked = tileRects(area, 3, TileOrientation::Horizontal);
        QCOMPARE(stacked,
                 QList<QRect>({QRect(0, 0, 900, 200), QRect(0, 200, 900, 200), QRect(0, 400, 900, 200)}));
        const QList<QRect> side = tileRects(area, 2, TileOrientation::Vertical);
        QCOMPARE(side, QList<QRect>({QRect(0, 0, 450, 600), QRect(450, 0, 450, 600)}));
        // Five windows: two columns, the second takes the extra window.
        const QList<QRect> five = tileRects(area, 5, TileOrientation::Horizontal);
        QCOMPARE(five[0], QRect(0, 0, 450, 300));
        QCOMPARE(five[2], QRect(450, 0, 450, 200));
        QVERIFY(tileRects(area, 0, TileOrientation::Vertical).isEmpty());
        QVERIFY(tileRects(QRect(), 3, TileOrientation::Vertical).isEmpty());
    }

    void firstStartFrameIsCentredShareOfWorkArea_data() {
        QTest::addColumn<QRect>("workArea");
        QTest::addColumn<QRect>("frame");
        QTest::newRow("1366x768 below a bar") << QRect(0, 32, 1366, 736) << QRect(137, 106, 1092, 588);
        QTest::newRow("1920x1080") << QRect(0, 0, 1920, 1080) << QRect(192, 108, 1536, 864);
        QTest::newRow("second screen") << QRect(1920, 0, 1280, 1024) << QRect(2048, 102, 1024, 819);
    }

    void firstStartFrameIsCentredShareOfWorkArea() {
        QFETCH(QRect, workArea);
        QFETCH(QRect, frame);
        QCOMPARE(firstStartFrame(workArea), frame);
    }

    void childWindowIsKeptInsideItsArea_data() {
        QTest::addColumn<QRect>("wanted");
        QTest::addColumn<QSize>("minimum");
        QTest::addColumn<QRect>("placed");
        const QSize min(300, 200);
        QTest::newRow("fits") << QRect(10, 20, 400, 300) << min << QRect(10, 20, 400, 300);
        QTest::newRow("left of the area") << QRect(-120, -5, 400, 300) << min << QRect(0, 0, 400, 300);
        QTest::newRow("past the right edge") << QRect(700, 400, 400, 300) << min << QRect(400, 300, 400, 300);
        QTest::newRow("larger than the area") << QRect(50, 50, 1000, 900) << min << QRect(0, 0, 800, 600);
        QTest::newRow("below its minimum") << QRect(100, 100, 0, 0) << min << QRect(100, 100, 300, 200);
        QTest::newRow("minimum beyond the area")
            << QRect(100, 100, 400, 300) << QSize(900, 250) << QRect(0, 100, 900, 300);
    }

    void childWindowIsKeptInsideItsArea() {
        QFETCH(QRect, wanted);
        QFETCH(QSize, minimum);
        QFETCH(QRect, placed);
        QCOMPARE(fitChildRect(wanted, minimum, QSize(800, 600)), placed);
    }

    void tilesGiveEachWindowItsSmallestSize() {
        const QRect area(0, 0, 1000, 600);
        // Side by side, the first would get 500 of its 600: one above the other instead.
        QCOMPARE(tileRects(area, {QSize(600, 200), QSize(300, 200)}, TileOrientation::Vertical),
                 QList<QRect>({QRect(0, 0, 1000, 300), QRect(0, 300, 1000, 300)}));
        QCOMPARE(tileRects(area, {QSize(400, 200), QSize(300, 200)}, TileOrientation::Vertical),
                 QList<QRect>({QRect(0, 0, 500, 600), QRect(500, 0, 500, 600)}));
        // Neither side by side nor one above the other fits: each keeps its smallest size, the second
        // moves along past the edge, and none covers another.
        QCOMPARE(tileRects(area, {QSize(800, 400), QSize(300, 350)}, TileOrientation::Vertical),
                 QList<QRect>({QRect(0, 0, 800, 600), QRect(800, 0, 500, 600)}));
        QCOMPARE(tileRects(area, {QSize(800, 400), QSize(300, 350)}, TileOrientation::Horizontal),
                 QList<QRect>({QRect(0, 0, 1000, 400), QRect(0, 400, 1000, 350)}));
    }

    void iconsFillRowsFromTheBottom() {
        const QRect area(0, 0, 250, 400);
        const QList<QSize> sizes(4, QSize(100, 30));
        const QList<QPoint> at = iconPositions(area, sizes);
        QCOMPARE(at, QList<QPoint>({QPoint(0, 370), QPoint(100, 370), QPoint(0, 340), QPoint(100, 340)}));
        // An icon wider than the area still gets a place at the left edge.
        QCOMPARE(iconPositions(QRect(0, 0, 50, 100), {QSize(80, 20)}), QList<QPoint>({QPoint(0, 80)}));
    }
};

QTEST_MAIN(TestWindowArrange)
#include "test_window_arrange.moc"
