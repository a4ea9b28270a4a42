#!/bin/bash
# Runs zek-batch against real small file systems (tmpfs) that fill up: with the work folder on one
# (the scan fills the working copy), with the user's file on one (the save fills it), and with both
# on the same one. After each run it checks that the error reached the error stream with its number
# and text, that the status is 1, that the user's file is unchanged byte for byte, that no
# temporary file stayed behind, that the working copy still passes SQLite's integrity check, and that
# the next run saves elsewhere with every record.
#
#   sudo scripts/disk-full-test.sh [SIZE] [ENTRIES]   (defaults: a 1m tmpfs, a tree of 20,000 entries)
#
# Needs the right to mount (root); uses build/zek-batch (or $ZEK_BATCH) and, when present, sqlite3.
set -u
SIZE=${1:-1m}
ENTRIES=${2:-20000}
HERE=$(cd "$(dirname "$0")/.." && pwd)
BATCH=${ZEK_BATCH:-$HERE/build/zek-batch}
[ -x "$BATCH" ] || { echo "disk-full-test: $BATCH not built"; exit 2; }

DIR=$(mktemp -d /tmp/zek-full.XXXXXX)
SMALL=$DIR/small
mkdir -p "$SMALL"
cleanup() {
    mountpoint -q "$SMALL" && umount "$SMALL"
    rm -rf "$DIR"
}
trap cleanup EXIT
python3 "$HERE/bench/make_tree.py" "$DIR/tree" --entries "$ENTRIES" >/dev/null 2>&1

failures=0
fail() { echo "  FAIL: $1"; failures=$((failures + 1)); }
intact() {
    command -v sqlite3 >/dev/null || return 0
    [ "$(sqlite3 "$1" 'PRAGMA integrity_check' 2>&1)" = "ok" ]
}
records() { command -v sqlite3 >/dev/null && sqlite3 "$1" "SELECT COUNT(*) FROM FILETYPE" 2>/dev/null; }

# One case: CASE WORKDIR FOLDER-OF-USERS-FILE EXPECTED-TEXT
run_case() {
    local name=$1 work=$2 saved=$3 expected=$4
    echo "== $name (tmpfs of $SIZE)"
    mount -t tmpfs -o "size=$SIZE" tmpfs "$SMALL" || { echo "disk-full-test: cannot mount a tmpfs (run as root)"; exit 2; }
    mkdir -p "$work" "$saved"
    local file=$saved/inventory.zek
    "$BATCH" --work-dir "$work" "$file" --quiet || fail "the first, empty save failed"
    cp "$file" "$DIR/before.zek"

    local status
    "$BATCH" --work-dir "$work" "$file" --add "$DIR/tree" --scan --quiet 2>"$DIR/err"
    status=$?
    echo "  status $status, free on the tmpfs: $(df --output=avail -B1 "$SMALL" | tail -1) bytes"
    sed 's/^/  said: /' "$DIR/err"
    [ $status -eq 1 ] || fail "status $status, not 1"
    grep -q "$expected" "$DIR/err" || fail "no line with \"$expected\""
    grep -q "Error # [0-9]* : " "$DIR/err" || fail "no error number and text"
    cmp -s "$file" "$DIR/before.zek" && echo "  the user's file is unchanged" || fail "the user's file changed"
    leftovers=$(find "$work" "$saved" -maxdepth 1 \( -name '*.part' -o -name '*-journal' -o -name '*.load' \) | wc -l)
    [ "$leftovers" -eq 0 ] || fail "$leftovers temporary files left"
    if intact "$work/work.zek"; then
        echo "  the working copy passes the integrity check and keeps $(records "$work/work.zek") records"
    else
        fail "the working copy fails the integrity check"
    fi

    # The next run, in a work folder with room, saves elsewhere.
    "$BATCH" --work-dir "$DIR/work-after" "$file" --add "$DIR/tree" --scan --save-as "$DIR/elsewhere.zek" --quiet ||
        fail "the run after could not save elsewhere"
    echo "  saved elsewhere afterwards: $(records "$DIR/elsewhere.zek") records"
    cmp -s "$file" "$DIR/before.zek" || fail "the user's file changed after the run that saved elsewhere"

    umount "$SMALL"
    rm -rf "$DIR/work" "$DIR/saved" "$DIR/work-after" "$DIR/elsewhere.zek"
}

run_case "work folder on the small file system" "$SMALL/work" "$DIR/saved" "occured when scanning; nothing saved."
run_case "user's file on the small file system" "$DIR/work" "$SMALL" "occured when saving $SMALL/inventory.zek."
run_case "both on the same small file system" "$SMALL/work" "$SMALL" "occured when"

if [ $failures -eq 0 ]; then
    echo "disk-full-test: all cases passed"
else
    echo "disk-full-test: $failures failures"
    exit 1
fi
