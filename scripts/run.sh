#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine, builds ZEK and starts it. Arguments (a .zek
# file) go to the program.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup-deps.sh"
"$here/scripts/build.sh"
exec "${ZEK_BUILD_DIR:-$here/build}/zek" "$@"
