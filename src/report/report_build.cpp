#include "report/report_build.h"

namespace zek::report {

QString buildFailureText(ReportKind kind, int number, const QString& description) {
    return "Error # " + QString::number(number) + " : " + description + QStringLiteral("\r\n") +
           "occurred when building the " + (kind == ReportKind::Detail ? "Detail" : "Summary") + " report.";
}

} // namespace zek::report
