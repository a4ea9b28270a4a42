#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine, builds ZEK and runs its tests headless.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup-deps.sh"
"$here/scripts/build.sh" "$@"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "${ZEK_BUILD_DIR:-$here/build}" --output-on-failure --parallel 2
