#!/bin/bash
# Kills the window program (SIGKILL) at random moments of a scan, offscreen, and checks after each
# kill that nothing was lost or half-written: the working copy passes SQLite's integrity check and
# every record in it is one of a complete scan's records; the next run of the program opens that
# file (File > Open), scans the tree again to the end, and leaves no temporary file, no journal and
# no held lock behind.
#
#   scripts/kill-window-test.sh [KILLS] [ENTRIES]      (defaults: 20 kills, a tree of 100,000 entries)
#
# Runs the window program through build/bench/bench_window_scan (or $ZEK_WINDOW_SCAN), which drives
# the real windows on the offscreen platform; uses sqlite3; makes its tree with bench/make_tree.py.
set -u
KILLS=${1:-20}
ENTRIES=${2:-100000}
HERE=$(cd "$(dirname "$0")/.." && pwd)
DRIVER=${ZEK_WINDOW_SCAN:-$HERE/build/bench/bench_window_scan}
command -v sqlite3 >/dev/null || { echo "kill-window-test: sqlite3 is needed (apt-get install sqlite3)"; exit 2; }
[ -x "$DRIVER" ] || { echo "kill-window-test: $DRIVER not built (cmake --build build --target bench_window_scan)"; exit 2; }
export QT_QPA_PLATFORM=offscreen

DIR=$(mktemp -d /tmp/zek-kill-window.XXXXXX)
trap 'rm -rf "$DIR"' EXIT
python3 "$HERE/bench/make_tree.py" "$DIR/tree" --entries "$ENTRIES" >/dev/null 2>&1
ROOT=$DIR/root # the program's home, settings and work directory, kept across the runs
WORK=$ROOT/work
COPY=$WORK/work.zek
REFERENCE=$DIR/reference.zek
# The fields that say which entry a record is and what it found; the access date changes as it is read.
FIELDS="PATH, LONGPATH, PATHLEVEL, PATHNUMBER, NAME, LONGNAME, EXTENSION, SIZE, DATE, TIME, DIRECTORY, HIDDEN, READONLY"

records() { sqlite3 "$1" "SELECT COUNT(*) FROM FILETYPE" 2>/dev/null; }
intact() { [ "$(sqlite3 "$1" 'PRAGMA integrity_check' 2>&1)" = "ok" ]; }
# Records of $1 that a complete scan did not write.
strangers() {
    sqlite3 "$1" "ATTACH '$REFERENCE' AS reference;
                  SELECT COUNT(*) FROM (SELECT $FIELDS FROM main.FILETYPE EXCEPT SELECT $FIELDS FROM reference.FILETYPE)" 2>&1
}
field() { sed -n "s/^result .*$1=\([^ ]*\).*/\1/p" "$2"; }
now() { date +%s.%N; }

# A complete run first: the reference records and how long a run takes.
start=$(now)
"$DRIVER" --root "$ROOT" --tree "$DIR/tree" --entries "$ENTRIES" --scan-only --save-as "$REFERENCE" >"$DIR/first.log" 2>&1 ||
    { cat "$DIR/first.log"; echo "kill-window-test: the first run failed"; exit 1; }
run_seconds=$(python3 -c "print(round($(now) - $start, 3))")
expected=$(records "$REFERENCE")
scan_ms=$(field scan_ms "$DIR/first.log")
[ "$(field outcome "$DIR/first.log")" = completed ] && [ "$expected" -gt 0 ] ||
    { cat "$DIR/first.log"; echo "kill-window-test: the first scan did not complete"; exit 1; }
echo "tree: $expected records; a run takes ${run_seconds} s, its scan ${scan_ms} ms"

failures=0
killed=0
finished=0
partial=0
unmade=0
fail() { echo "FAIL ($1): $2"; failures=$((failures + 1)); }

for i in $(seq 1 "$KILLS"); do
    delay=$(python3 -c "import random; print(round(random.uniform(0.05, $run_seconds * 1.05), 3))")
    "$DRIVER" --root "$ROOT" --tree "$DIR/tree" --entries "$ENTRIES" --scan-only >"$DIR/killed.log" 2>&1 &
    pid=$!
    sleep "$delay"
    if kill -9 "$pid" 2>/dev/null; then
        wait "$pid" 2>/dev/null
        killed=$((killed + 1))
    else
        wait "$pid" 2>/dev/null
        finished=$((finished + 1))
    fi

    # The working copy as the kill left it (SQLite rolls back a transaction the kill cut short):
    # whole, and every record one that a complete scan writes.
    if [ -e "$COPY" ]; then
        intact "$COPY" || fail "$i after ${delay}s" "the working copy does not pass the integrity check"
        n=$(records "$COPY")
        if [ -n "$n" ]; then
            [ "$n" -le "$expected" ] || fail "$i" "the working copy holds $n records, more than $expected"
            [ "$n" -gt 0 ] && [ "$n" -lt "$expected" ] && partial=$((partial + 1))
            s=$(strangers "$COPY")
            [ "$s" = 0 ] || fail "$i" "the working copy holds records no complete scan wrote: $s"
        fi
    fi
    # A kill while start-up was still making the working copy leaves a file without all of its
    # tables and rows, which Open refuses with a message, and which the next start-up replaces
    # anyway; such a file is not opened.
    open=()
    if [ -e "$COPY" ] && grep -q '^start-up:' "$DIR/killed.log"; then
        cp "$COPY" "$DIR/killed.zek"
        open=(--open "$DIR/killed.zek")
    else
        unmade=$((unmade + 1))
    fi

    # The next run opens what the kill left, scans again to the end, and leaves nothing behind.
    if "$DRIVER" --root "$ROOT" --tree "$DIR/tree" --entries "$ENTRIES" --scan-only "${open[@]}" >"$DIR/next.log" 2>&1; then
        [ "$(field outcome "$DIR/next.log")" = completed ] || fail "$i" "the next run did not scan to the end"
        [ "$(field entries "$DIR/next.log")" = "$expected" ] ||
            fail "$i" "the next run recorded $(field entries "$DIR/next.log") entries, not $expected"
    else
        fail "$i" "the next run failed: $(grep -E 'message|FAILED|did not' "$DIR/next.log" | head -3 | tr '\n' ' ')"
    fi
    intact "$COPY" || fail "$i" "the working copy of the next run does not pass the integrity check"
    [ "$(records "$COPY")" = "$expected" ] || fail "$i" "the next run's working copy holds $(records "$COPY") records"
    rm -f "$DIR/killed.zek"
    leftovers=$(find "$DIR" -maxdepth 3 \( -name '*.part' -o -name '*.load' -o -name '*-journal' \) | wc -l)
    [ "$leftovers" -eq 0 ] || fail "$i" "$leftovers temporary files left after the next run"
done

echo "kills: $KILLS injected; $killed killed ($partial left part of a scan, $unmade a working copy still being made)," \
     "$finished finished first; failures: $failures"
[ "$failures" -eq 0 ]
