// The packed folder queue: what goes in comes out whole, whatever the texts hold, while the walk
// appends and releases as a breadth-first walk does, and a change to the entry being walked stays;
// the queue under it keeps its middle in a temporary file, or in memory when it cannot.
#include "scan/folder_queue.h"
#include "scan/spilling_fifo.h"

#include <QTemporaryDir>
#include <QTest>

using namespace zek::scan;

namespace {

FolderQueueEntry entryNumber(int n) {
    FolderQueueEntry e;
    // Texts of every kind and length, some empty: a name beyond 16 bits, bytes that are no UTF-8.
    e.shortPath = n % 5 == 0 ? QString() : QStringLiteral("DIR%1~1").arg(n);
    e.longPath =
        n % 3 == 0 ? QString() : QStringLiteral("/r/Ördner %1 \U0001D11E/").arg(n).repeated(1 + n % 4);
    e.rawLongPath = QByteArray("name\xff\xfe-") + QByteArray::number(n).repeated(n % 7);
    e.level = n % 9;
    e.parent = n / 3 - 1;
    e.belowSkipped = n % 11 == 0;
    return e;
}

bool same(const FolderQueueEntry& a, const FolderQueueEntry& b) {
    return a.shortPath == b.shortPath && a.longPath == b.longPath && a.rawLongPath == b.rawLongPath &&
           a.level == b.level && a.parent == b.parent && a.belowSkipped == b.belowSkipped;
}

} // namespace

class TestFolderQueue : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Records of every size (none too), added and taken as a breadth-first walk does, come back in
    // order and whole: through the file when there is one, from memory when the temporary folder is
    // gone.
    void recordsComeBackInOrder_data() {
        QTest::addColumn<int>("chunkBytes");
        QTest::addColumn<bool>("fileUsable");
        QTest::newRow("tiny chunks, file") << 16 << true;
        QTest::newRow("small chunks, file") << 4096 << true;
        QTest::newRow("small chunks, no temporary folder") << 4096 << false;
        QTest::newRow("chunks larger than all") << (1 << 24) << true;
    }
    void recordsComeBackInOrder() {
        QFETCH(int, chunkBytes);
        QFETCH(bool, fileUsable);
        QTemporaryDir temp;
        const QByteArray oldTemp = qgetenv("TMPDIR");
        qputenv("TMPDIR", fileUsable ? temp.path().toUtf8() : QByteArray("/nonexistent/zek-test"));
        const auto record = [](int n) {
            return QByteArray::number(n).repeated(n % 13) + QByteArray(n % 3, '\0');
        };
        SpillingFifo fifo{std::size_t(chunkBytes)};
        int pushed = 0, popped = 0;
        std::int64_t mostSpilled = 0;
        fifo.push({record(pushed++)});
        while (!fifo.empty()) {
            if (fifo.front() != record(popped))
                QFAIL(qPrintable(QString("record %1 came back changed").arg(popped)));
            fifo.pop();
            ++popped;
            for (int k = 0; k < 1 + popped % 3 && pushed < 30000; ++k, ++pushed)
                fifo.push({record(pushed).left(2), record(pushed).mid(2)});
            mostSpilled = std::max(mostSpilled, fifo.spilledBytes());
        }
        qputenv("TMPDIR", oldTemp);
        QCOMPARE(popped, pushed);
        QCOMPARE(mostSpilled > 0, fileUsable && chunkBytes < (1 << 24));
    }

    // A parent's path is found by its number, the parents before it dropped.
    void waitingParentsByNumber() {
        WaitingParents parents;
        parents.push(3, "/a/");
        parents.push(7, "/a/b/");
        parents.push(9, "");
        QCOMPARE(parents.pathOf(3), QByteArrayView("/a/"));
        QCOMPARE(parents.pathOf(3), QByteArrayView("/a/"));
        QCOMPARE(parents.pathOf(9), QByteArrayView(""));
    }

    // A walk of 200,000 folders, each walked folder adding one to three: every entry comes back as it
    // went in, in its own number, long after the texts before it were dropped.
    void everyEntryComesBackWhole() {
        FolderQueue q;
        int appended = 0;
        q.append(entryNumber(appended++));
        for (int walked = 0; walked <= q.folderCount; ++walked) {
            q.releaseBefore(walked);
            QCOMPARE(q.firstIndex, walked);
            const FolderQueueEntry& e = q.at(walked);
            if (!same(e, entryNumber(walked)))
                QFAIL(qPrintable(QString("entry %1 changed in the queue").arg(walked)));
            for (int k = 0; k < 1 + walked % 3 && appended < 200000; ++k, ++appended)
                QCOMPARE(q.append(entryNumber(appended)), appended);
        }
        QCOMPARE(q.folderCount, appended - 1);
        QVERIFY(appended > 100000);
    }

    // The walk fills in the path of the folder whose turn it is; appending its subfolders must not
    // lose that, and the next folder starts from what was queued.
    void theEntryBeingWalkedKeepsItsChanges() {
        FolderQueue q;
        q.append(entryNumber(1));
        q.append(entryNumber(2));
        FolderQueueEntry& first = q.at(0);
        first.longPath = QStringLiteral("/made/when/its/turn/came/");
        q.append(entryNumber(3));
        QCOMPARE(q.at(0).longPath, QStringLiteral("/made/when/its/turn/came/"));
        q.releaseBefore(1);
        QVERIFY(same(q.at(1), entryNumber(2)));
        QCOMPARE(q.waitingCount(), std::size_t(2));
    }

    // A queue emptied and refilled numbers on; clear() starts again at 0.
    void numbersGoOnAfterTheQueueRunsDry() {
        FolderQueue q;
        q.append(entryNumber(1));
        q.releaseBefore(1);
        QCOMPARE(q.waitingCount(), std::size_t(0));
        QCOMPARE(q.append(entryNumber(2)), 1);
        QCOMPARE(q.firstIndex, 1);
        QVERIFY(same(q.at(1), entryNumber(2)));
        q.clear();
        QCOMPARE(q.append(entryNumber(4)), 0);
        QVERIFY(same(q.at(0), entryNumber(4)));
    }
};

QTEST_GUILESS_MAIN(TestFolderQueue)
#include "test_folder_queue.moc"
