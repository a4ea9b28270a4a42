#include "scan/progress_text.h"

#include "scan/capacity_text.h"

namespace zek::scan {

namespace {

QString counted(qint64 n, const char* one, const char* many, const QString& separator) {
    return formatWholeNumber(n, separator) + u' ' + QLatin1String(n == 1 ? one : many);
}

} // namespace

QString progressText(qint64 entries, qint64 folders, qint64 elapsedMs, const QString& thousandSeparator) {
    QString text = counted(entries, "entry", "entries", thousandSeparator) + QStringLiteral(" in ") +
                   counted(folders, "folder", "folders", thousandSeparator);
    if (elapsedMs >= 100) {
        const qint64 rate = qRound64(double(entries) * 1000.0 / double(elapsedMs));
        text += QStringLiteral(", ") + counted(rate, "entry", "entries", thousandSeparator) +
                QStringLiteral(" per second");
    }
    return text;
}

} // namespace zek::scan
