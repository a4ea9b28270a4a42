#include "platform/system_info.h"

#include <QFile>
#include <QLibraryInfo>
#include <QList>

#include <cmath>

#include <sys/sysinfo.h>
#include <sys/utsname.h>

namespace zek::platform {

namespace {

// "Name:   value" lines; the value of the first line with that name, trimmed.
std::optional<QByteArray> fieldValue(const QByteArray& text, const QByteArray& name) {
    for (const QByteArray& line : text.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon < 0)
            continue;
        if (line.left(colon).trimmed() == name)
            return line.mid(colon + 1).trimmed();
    }
    return std::nullopt;
}

// A /proc/meminfo figure ("16314420 kB") in bytes.
std::optional<std::uint64_t> kilobytes(const QByteArray& text, const QByteArray& name) {
    const std::optional<QByteArray> value = fieldValue(text, name);
    if (!value)
        return std::nullopt;
    bool ok = false;
    const std::uint64_t kb = value->split(' ').value(0).toULongLong(&ok);
    if (!ok)
        return std::nullopt;
    return kb * 1024;
}

QByteArray readProcFile(const char* name) {
    // /proc files report a size of 0: read until the end.
    QFile file(QString::fromLatin1(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace

std::optional<MemoryStatus> parseMeminfo(const QByteArray& text) {
    const auto total = kilobytes(text, "MemTotal");
    if (!total)
        return std::nullopt;
    MemoryStatus m;
    m.totalPhysical = *total;
    m.availablePhysical = kilobytes(text, "MemAvailable").value_or(kilobytes(text, "MemFree").value_or(0));
    m.totalPageFile = kilobytes(text, "SwapTotal").value_or(0);
    m.availablePageFile = kilobytes(text, "SwapFree").value_or(0);
    return m;
}

MemoryStatus memoryStatus() {
    if (const auto m = parseMeminfo(readProcFile("/proc/meminfo")))
        return *m;
    MemoryStatus m;
    struct sysinfo info {};
    if (sysinfo(&info) == 0) {
        const std::uint64_t unit = info.mem_unit ? info.mem_unit : 1;
        m.totalPhysical = info.totalram * unit;
        m.availablePhysical = (info.freeram + info.bufferram) * unit;
        m.totalPageFile = info.totalswap * unit;
        m.availablePageFile = info.freeswap * unit;
    }
    return m;
}

QString parseCpuModel(const QByteArray& text) {
    for (const char* name : {"model name", "Hardware", "Processor", "cpu model", "cpu"}) {
        const std::optional<QByteArray> value = fieldValue(text, name);
        if (value && !value->isEmpty())
            return QString::fromUtf8(value->simplified());
    }
    return QString();
}

QString processorName() {
    const QString model = parseCpuModel(readProcFile("/proc/cpuinfo"));
    if (!model.isEmpty())
        return model;
    struct utsname names {};
    if (uname(&names) == 0)
        return QString::fromUtf8(names.machine);
    return QString();
}

OsVersion osVersion() {
    struct utsname names {};
    if (uname(&names) != 0)
        return {};
    return {QString::fromUtf8(names.sysname), QString::fromUtf8(names.release),
            QString::fromUtf8(names.version)};
}

QString systemLibraryFolder() {
    return QLibraryInfo::path(QLibraryInfo::LibrariesPath);
}

QString formatNumber(double value, const QString& pattern, const QString& decimal) {
    const qsizetype point = pattern.indexOf(QLatin1Char('.'));
    const QString wholePattern = point < 0 ? pattern : pattern.left(point);
    const QString fractionPattern = point < 0 ? QString() : pattern.mid(point + 1);
    const int minWholeDigits = static_cast<int>(wholePattern.count(QLatin1Char('0')));
    const int decimals = static_cast<int>(fractionPattern.size());

    const bool negative = value < 0;
    const double scale = std::pow(10.0, decimals);
    // Half away from zero; the tiny nudge keeps values such as 2.675 from falling below the half.
    const double rounded = std::floor(std::fabs(value) * scale + 0.5 + 1e-9) / scale;
    const QString digits = QString::number(rounded, 'f', decimals);
    QString whole = point < 0 || decimals == 0 ? digits : digits.left(digits.indexOf(QLatin1Char('.')));
    const QString fraction = decimals == 0 ? QString() : digits.mid(digits.indexOf(QLatin1Char('.')) + 1);
    if (whole == QLatin1String("0") && minWholeDigits == 0)
        whole.clear();
    while (whole.size() < minWholeDigits)
        whole.prepend(QLatin1Char('0'));
    QString out = whole;
    if (decimals > 0)
        out += decimal + fraction;
    if (negative && rounded != 0)
        out.prepend(QLatin1Char('-'));
    return out;
}

MemoryLines memoryLines(const MemoryStatus& m, const QString& decimal) {
    constexpr double MB = 1048576.0;
    // A system without swap has no page file: its share is shown as 0 rather than a division by zero.
    auto percent = [](std::uint64_t part, std::uint64_t whole) {
        return whole == 0 ? 0.0 : static_cast<double>(part) / static_cast<double>(whole) * 100.0 + 0.005;
    };
    MemoryLines lines;
    lines.totalPhysical = formatNumber((static_cast<double>(m.totalPhysical) + 655360.0) / MB,
                                       QStringLiteral("##.00"), decimal) +
                          QStringLiteral(" MB");
    lines.freePhysical =
        formatNumber(static_cast<double>(m.availablePhysical) / MB, QStringLiteral("#0.00"), decimal) +
        QStringLiteral(" MB = ") +
        formatNumber(percent(m.availablePhysical, m.totalPhysical), QStringLiteral("#0.00"), decimal) +
        QStringLiteral(" % free.");
    const auto wholeMB = [](std::uint64_t bytes) {
        return QString::number(static_cast<qulonglong>(std::floor(static_cast<double>(bytes) / MB + 0.005)));
    };
    lines.totalPageFile = wholeMB(m.totalPageFile) + QStringLiteral(" MB");
    lines.availablePageFile =
        wholeMB(m.availablePageFile) + QStringLiteral(" MB = ") +
        formatNumber(percent(m.availablePageFile, m.totalPageFile), QStringLiteral("0.00"), decimal) +
        QStringLiteral("% free.");
    return lines;
}

} // namespace zek::platform
