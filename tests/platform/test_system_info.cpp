// The system figures of the About window: memory, processor, operating system and their formats.
#include "platform/system_info.h"

#include <QtTest>

using namespace zek::platform;

namespace {
constexpr std::uint64_t MiB = 1048576;
}

class SystemInfoTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void meminfo() {
        const QByteArray text = "MemTotal:       16314420 kB\nMemFree:          911468 kB\n"
                                "MemAvailable:   10209876 kB\nBuffers:          402100 kB\n"
                                "SwapTotal:       2097148 kB\nSwapFree:        2000000 kB\n";
        const auto m = parseMeminfo(text);
        QVERIFY(m);
        QCOMPARE(m->totalPhysical, std::uint64_t(16314420) * 1024);
        QCOMPARE(m->availablePhysical, std::uint64_t(10209876) * 1024);
        QCOMPARE(m->totalPageFile, std::uint64_t(2097148) * 1024);
        QCOMPARE(m->availablePageFile, std::uint64_t(2000000) * 1024);

        // Old kernels give no MemAvailable; no swap lines mean no swap.
        const auto old = parseMeminfo("MemTotal: 1000 kB\nMemFree: 250 kB\n");
        QVERIFY(old);
        QCOMPARE(old->availablePhysical, std::uint64_t(250) * 1024);
        QCOMPARE(old->totalPageFile, std::uint64_t(0));
        QVERIFY(!parseMeminfo("garbage\n"));
        QVERIFY(!parseMeminfo(""));

        const MemoryStatus live = memoryStatus();
        QVERIFY(live.totalPhysical > 0);
        QVERIFY(live.availablePhysical <= live.totalPhysical);
    }

    void numberFormats() {
        QCOMPARE(formatNumber(0.5, "##.00"), QString(".50"));
        QCOMPARE(formatNumber(0.5, "#0.00"), QString("0.50"));
        QCOMPARE(formatNumber(12.5, "##.00"), QString("12.50"));
        QCOMPARE(formatNumber(3.0, "#.00"), QString("3.00"));
        QCOMPARE(formatNumber(2.345, "0.00"), QString("2.35"));
        QCOMPARE(formatNumber(2.995, "#0.00"), QString("3.00"));
        QCOMPARE(formatNumber(5, "00"), QString("05"));
        QCOMPARE(formatNumber(123, "00"), QString("123"));
        QCOMPARE(formatNumber(2.95, "#0.00", ","), QString("2,95"));
        QCOMPARE(formatNumber(-1.5, "#0.00"), QString("-1.50"));
    }

    void memoryLinesOfTheAboutWindow() {
        MemoryStatus m;
        m.totalPhysical = 8192 * MiB;
        m.availablePhysical = 1000 * MiB;
        m.totalPageFile = 2048 * MiB;
        m.availablePageFile = 500 * MiB;
        const MemoryLines lines = memoryLines(m);
        // (total + 640 KB) / 1 MB
        QCOMPARE(lines.totalPhysical, QString("8192.63 MB"));
        QCOMPARE(lines.freePhysical, QString("1000.00 MB = 12.21 % free."));
        QCOMPARE(lines.totalPageFile, QString("2048 MB"));
        QCOMPARE(lines.availablePageFile, QString("500 MB = 24.42% free."));

        // A system without swap.
        m.totalPageFile = m.availablePageFile = 0;
        const MemoryLines noSwap = memoryLines(m, ",");
        QCOMPARE(noSwap.totalPhysical, QString("8192,63 MB"));
        QCOMPARE(noSwap.totalPageFile, QString("0 MB"));
        QCOMPARE(noSwap.availablePageFile, QString("0 MB = 0,00% free."));
    }

    void processorAndSystem() {
        QCOMPARE(parseCpuModel("processor\t: 0\nvendor_id\t: GenuineIntel\nmodel name\t: Intel(R) Core(TM)  "
                               "i5-8250U CPU @ 1.60GHz\nprocessor\t: 1\nmodel name\t: other\n"),
                 QString("Intel(R) Core(TM) i5-8250U CPU @ 1.60GHz"));
        QCOMPARE(parseCpuModel("Processor\t: AArch64 Processor rev 4 (aarch64)\nHardware\t: BCM2835\n"),
                 QString("BCM2835"));
        QCOMPARE(parseCpuModel("processor : 0\nBogoMIPS : 38.40\n"), QString());
        QVERIFY(!processorName().isEmpty());

        const OsVersion os = osVersion();
        QCOMPARE(os.system, QString("Linux"));
        QVERIFY(!os.release.isEmpty());
        QVERIFY(!os.version.isEmpty());
        QVERIFY(QFileInfo(systemLibraryFolder()).isDir());
    }
};

QTEST_MAIN(SystemInfoTest)
#include "test_system_info.moc"
