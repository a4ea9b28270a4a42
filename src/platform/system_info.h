// What the About window shows of the system: memory, processor, operating system, and the folder of
// the system's shared libraries.
//
// Memory comes from /proc/meminfo (sysinfo(2) when that cannot be read); swap space plays the part
// of the page file. The processor is the model name of /proc/cpuinfo, or the machine name of
// uname(2). The operating system is uname's system name, release and version.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

namespace zek::platform {

struct MemoryStatus {
    std::uint64_t totalPhysical = 0; // bytes
    std::uint64_t availablePhysical = 0;
    std::uint64_t totalPageFile = 0; // swap
    std::uint64_t availablePageFile = 0;
};

// The figures of a /proc/meminfo text; nothing without "MemTotal". Available memory is
// "MemAvailable", or "MemFree" on kernels that do not report it.
std::optional<MemoryStatus> parseMeminfo(const QByteArray& text);
MemoryStatus memoryStatus();

// The processor's name from a /proc/cpuinfo text ("model name", or on other machines "Hardware",
// "Processor", "cpu model" or "cpu"); "" when none is given.
QString parseCpuModel(const QByteArray& text);
QString processorName();

struct OsVersion {
    QString system;  // "Linux"
    QString release; // "6.1.0-18-amd64"
    QString version; // "#1 SMP PREEMPT_DYNAMIC Debian 6.1.76-1 (2024-02-01)"
};
OsVersion osVersion();

// Where the system's shared libraries live (for Debian on a PC, /usr/lib/x86_64-linux-gnu).
QString systemLibraryFolder();

// A number in a classic numeric format: "#" digit places may stay empty, "0" places are always
// filled; the part after "." gives the decimals ("##.00", "#0.00", "0.00", "#.00", "00"). Rounded
// half away from zero; `decimal` separates the decimals.
QString formatNumber(double value, const QString& pattern, const QString& decimal = QStringLiteral("."));

// The About window's memory lines.
struct MemoryLines {
    QString totalPhysical;     // "Total Physical Memory:"
    QString freePhysical;      // "Free Physical Memory:"
    QString totalPageFile;     // "Total Page File:"
    QString availablePageFile; // "Available Page File:"
};
MemoryLines memoryLines(const MemoryStatus& memory, const QString& decimal = QStringLiteral("."));

} // namespace zek::platform
