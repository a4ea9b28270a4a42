#include "report/report_build.h"

namespace zek::report {

Breather::Breather(const std::function<void()>& processEvents) : m_processEvents(processEvents) {
    m_clock.start();
}

void Breather::operator()() {
    if (m_processEvents && m_clock.elapsed() >= 25) {
        m_processEvents();
        m_clock.restart();
    }
}

QString buildFailureText(ReportKind kind, int number, const QString& description) {
    return "Error # " + QString::number(number) + " : " + description + QStringLiteral("\r\n") +
           "occurred when building the " + (kind == ReportKind::Detail ? "Detail" : "Summary") + " report.";
}

} // namespace zek::report
