// zek-batch run in-process, with what it printed caught.
#pragma once

#include "app/batch_run.h"

#include <QTextStream>

namespace zek::test {

struct BatchRun {
    int status = -1;
    QString out, err;
};

inline BatchRun runBatchCaught(const QStringList& arguments,
                               const volatile std::sig_atomic_t* interrupted = nullptr,
                               bool errIsTerminal = false) {
    BatchRun r;
    QTextStream out(&r.out), err(&r.err);
    r.status = batch::runBatch(arguments, out, err, interrupted, errIsTerminal);
    out.flush();
    err.flush();
    return r;
}

} // namespace zek::test
