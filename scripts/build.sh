#!/usr/bin/env bash
# Configures and builds ZEK into a build folder (default: build). Extra arguments go to cmake.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${ZEK_BUILD_DIR:-$here/build}
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=${ZEK_BUILD_TYPE:-RelWithDebInfo} "$@"
cmake --build "$build" --parallel
