#!/usr/bin/env bash
# Installs the Debian packages ZEK needs to build, test and run, when they are missing.
set -euo pipefail
# qt6-base-dev brings moc and rcc, the OpenGL headers Qt's CMake package looks for, and the Qt
# libraries with their platform plugins (xcb for the program, offscreen for the tests).
packages=(g++ cmake ninja-build qt6-base-dev libsqlite3-dev)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
