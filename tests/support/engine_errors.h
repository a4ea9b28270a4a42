// The engine error number a call throws, for tests that expect one.
#pragma once

#include "db/engine.h"

namespace zek::test {

// The number of the EngineError `f` throws; 0 when it throws none.
template <typename F> int errorNumber(F&& f) {
    try {
        f();
    } catch (const db::EngineError& e) {
        return e.number();
    }
    return 0;
}

} // namespace zek::test
