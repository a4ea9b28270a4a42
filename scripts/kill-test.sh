#!/bin/bash
# Kills zek-batch (SIGKILL) at random moments of a scan, of a Save As, and of a Save As that renames
# the run's own working copy onto its target (no --work-dir), and checks after each kill
# that nothing was lost or half-written: the user's file and the working copy pass SQLite's
# integrity check and hold every record, the next run opens and selects, and no temporary file
# outlives the next run.
#
#   scripts/kill-test.sh [KILLS] [ENTRIES]      (defaults: 40 kills, a tree of 100,000 entries)
#
# Uses build/zek-batch (or $ZEK_BATCH) and sqlite3; makes its tree with bench/make_tree.py.
set -u
KILLS=${1:-40}
ENTRIES=${2:-100000}
HERE=$(cd "$(dirname "$0")/.." && pwd)
BATCH=${ZEK_BATCH:-$HERE/build/zek-batch}
command -v sqlite3 >/dev/null || { echo "kill-test: sqlite3 is needed (apt-get install sqlite3)"; exit 2; }
[ -x "$BATCH" ] || { echo "kill-test: $BATCH not built"; exit 2; }

DIR=$(mktemp -d /tmp/zek-kill.XXXXXX)
trap 'rm -rf "$DIR"' EXIT
python3 "$HERE/bench/make_tree.py" "$DIR/tree" --entries "$ENTRIES" >/dev/null
WORK=$DIR/work
FILE=$DIR/inv.zek

records() { sqlite3 "$1" "SELECT COUNT(*) FROM FILETYPE" 2>/dev/null; }
intact() { [ "$(sqlite3 "$1" 'PRAGMA integrity_check' 2>&1)" = "ok" ]; }
now() { date +%s.%N; }

start=$(now)
"$BATCH" --work-dir "$WORK" "$FILE" --add "$DIR/tree" --scan --quiet || { echo "kill-test: first scan failed"; exit 1; }
scan_seconds=$(python3 -c "print(round($(now) - $start, 3))")
expected=$(records "$FILE")
start=$(now)
"$BATCH" --work-dir "$WORK" "$FILE" --save-as "$DIR/copy.zek" --quiet || { echo "kill-test: first save failed"; exit 1; }
save_seconds=$(python3 -c "print(round($(now) - $start, 3))")
echo "tree: $expected records; a scan takes ${scan_seconds} s, a run with Save As ${save_seconds} s"

failures=0
killed_scan=0
finished_scan=0
killed_save=0
finished_save=0
killed_move=0
finished_move=0
mkdir -p "$DIR/tmp" # the temporary work folders of runs without --work-dir
fail() { echo "FAIL ($1): $2"; failures=$((failures + 1)); }

for i in $(seq 1 "$KILLS"); do
    # A third of the kills hit a scan, a third a Save As of the same file, a third a Save As that
    # moves the working copy of a run in its own temporary folder.
    case $((i % 3)) in
    1)
        what=scan
        delay=$(python3 -c "import random; print(round(random.uniform(0.02, $scan_seconds * 1.1), 3))")
        "$BATCH" --work-dir "$WORK" "$FILE" --scan --quiet >/dev/null 2>&1 &
        ;;
    2)
        what=save
        delay=$(python3 -c "import random; print(round(random.uniform(0.005, $save_seconds * 1.1), 3))")
        "$BATCH" --work-dir "$WORK" "$FILE" --save-as "$DIR/copy.zek" --quiet >/dev/null 2>&1 &
        ;;
    0)
        what=move
        delay=$(python3 -c "import random; print(round(random.uniform(0.005, $save_seconds * 1.1), 3))")
        TMPDIR=$DIR/tmp "$BATCH" "$FILE" --save-as "$DIR/moved.zek" --quiet >/dev/null 2>&1 &
        ;;
    esac
    pid=$!
    sleep "$delay"
    if kill -9 "$pid" 2>/dev/null; then
        wait "$pid" 2>/dev/null
        eval "killed_$what=\$((killed_$what + 1))"
    else
        wait "$pid" 2>/dev/null
        eval "finished_$what=\$((finished_$what + 1))"
    fi

    # The user's file: the old one or the new one, whole, with every record.
    intact "$FILE" || fail "$i $what" "$FILE does not pass the integrity check"
    [ "$(records "$FILE")" = "$expected" ] || fail "$i $what" "$FILE holds $(records "$FILE") records, not $expected"
    if [ -e "$DIR/copy.zek" ]; then
        intact "$DIR/copy.zek" || fail "$i $what" "the Save As target does not pass the integrity check"
        [ "$(records "$DIR/copy.zek")" = "$expected" ] || fail "$i $what" "the Save As target holds $(records "$DIR/copy.zek") records"
    fi
    if [ -e "$DIR/moved.zek" ]; then
        intact "$DIR/moved.zek" || fail "$i $what" "the moved working copy does not pass the integrity check"
        [ "$(records "$DIR/moved.zek")" = "$expected" ] || fail "$i $what" "the moved working copy holds $(records "$DIR/moved.zek") records"
    fi
    if [ -e "$WORK/work.zek" ]; then
        intact "$WORK/work.zek" || fail "$i $what" "the working copy does not pass the integrity check"
    fi
    # The next run opens the file and selects from it; then no temporary file is left.
    "$BATCH" --work-dir "$WORK" "$FILE" --save-as "$DIR/copy.zek" --select --quiet >/dev/null 2>&1 ||
        fail "$i $what" "the next run failed"
    leftovers=$(find "$DIR" -maxdepth 2 -name '*.part' | wc -l)
    [ "$leftovers" -eq 0 ] || fail "$i $what" "$leftovers temporary files left after the next run"
done

echo "kills: $KILLS injected; scan: $killed_scan killed, $finished_scan finished first;" \
     "save: $killed_save killed, $finished_save finished first;" \
     "moving save: $killed_move killed, $finished_move finished first; failures: $failures"
[ "$failures" -eq 0 ]
