// The hand-over between the scan's threads: batches arrive whole and in order through a small
// queue, spent batches travel back, a stop frees a thread waiting on either side (Cancel must never
// hang), and a failure on the producing side reaches the consumer after what came before it.
#include "scan/batch_queue.h"

#include <QTest>

#include <stdexcept>
#include <thread>

using namespace zek::scan;

namespace {

FolderBatch batchNumber(int n) {
    FolderBatch b;
    b.index = n;
    b.records.resize(std::size_t(n % 3));
    return b;
}

// Puts batches 0 .. count - 1, one or a few to a group; true when every put was taken in.
bool putNumbers(BatchQueue& queue, int count, std::vector<FolderBatch>& spent) {
    std::deque<FolderBatch> group;
    std::size_t entries = 0;
    for (int n = 0; n < count; ++n) {
        group.push_back(batchNumber(n));
        entries += group.back().records.size();
        if (n % 4 == 0 || n == count - 1) {
            if (!queue.put(group, entries, spent))
                return false;
            entries = 0;
        }
    }
    return true;
}

} // namespace

class TestBatchQueue : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void batchesArriveInOrderAndSpentOnesComeBack() {
        BatchQueue queue(4, 3); // far smaller than what goes through
        constexpr int count = 5000;
        std::vector<FolderBatch> producerSpent;
        bool allPut = false;
        std::thread producer([&] {
            allPut = putNumbers(queue, count, producerSpent);
            queue.finish(nullptr);
        });
        std::deque<FolderBatch> taken;
        std::vector<FolderBatch> spentBack;
        int next = 0;
        while (queue.take(taken, -1, spentBack)) {
            for (FolderBatch& b : taken) {
                QCOMPARE(b.index, next);
                QCOMPARE(b.records.size(), std::size_t(next % 3));
                ++next;
                spentBack.push_back(std::move(b));
            }
            taken.clear();
        }
        producer.join();
        QVERIFY(allPut);
        QCOMPARE(next, count);
        QVERIFY(queue.ended());
        QVERIFY(!queue.failure());
        QVERIFY(!producerSpent.empty());
    }

    void stopFreesBothSides() {
        BatchQueue full(1, 1);
        std::vector<FolderBatch> spent;
        std::deque<FolderBatch> group{batchNumber(1)};
        QVERIFY(full.put(group, 1, spent));
        bool secondPut = true;
        std::thread producer([&] {
            std::deque<FolderBatch> more{batchNumber(2)};
            secondPut = full.put(more, 1, spent); // waits: the queue is full
        });
        BatchQueue empty(8, 8);
        bool taken = true;
        std::thread consumer([&] {
            std::deque<FolderBatch> into;
            std::vector<FolderBatch> back;
            taken = empty.take(into, -1, back); // waits: nothing comes
        });
        QTest::qWait(50);
        full.stop();
        empty.stop();
        producer.join();
        consumer.join();
        QVERIFY(!secondPut);
        QVERIFY(!taken);
        QVERIFY(empty.ended());
    }

    void aFailureComesAfterTheBatchesBeforeIt() {
        BatchQueue queue(100, 100);
        std::vector<FolderBatch> spent;
        QVERIFY(putNumbers(queue, 3, spent));
        queue.finish(std::make_exception_ptr(std::runtime_error("disk gone")));
        std::deque<FolderBatch> taken;
        std::vector<FolderBatch> back;
        QVERIFY(queue.take(taken, 0, back));
        QCOMPARE(taken.size(), std::size_t(3));
        taken.clear();
        QVERIFY(!queue.take(taken, 10, back));
        QVERIFY(queue.ended());
        QVERIFY(queue.failure());
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, std::rethrow_exception(queue.failure()));
    }
};

QTEST_GUILESS_MAIN(TestBatchQueue)
#include "test_batch_queue.moc"
