// The engine error a call throws, for tests that expect one.
#pragma once

#include "db/engine.h"

#include <optional>

namespace zek::test {

// The EngineError `f` throws; none when it throws none.
template <typename F> std::optional<db::EngineError> engineError(F&& f) {
    try {
        f();
    } catch (const db::EngineError& e) {
        return e;
    }
    return std::nullopt;
}

// The number of the EngineError `f` throws; 0 when it throws none.
template <typename F> int errorNumber(F&& f) {
    const std::optional<db::EngineError> error = engineError(f);
    return error ? error->number() : 0;
}

} // namespace zek::test
