#!/usr/bin/env bash
# Times a whole scan by zek-batch against find and ncdu on the same warm tree.
#
#   bench/bench_scan.sh [PARENT]
#
# PARENT is where the tree is made, once, and kept for later runs (default /tmp). Settings through
# the environment: ENTRIES (tree size, default 300000), RUNS (timed rounds, default 3),
# BUILD_DIR (Release build folder, default <repo>/build-bench).
#
# Each round times, one after the other on the same tree:
#   zek-batch --work-dir DIR --add TREE --scan --quiet    (every record committed to DIR/work.zek;
#                                                          the folder is given only to count them)
#   find TREE -printf '%p %s %T@ %A@ %C@ %m\n' >/dev/null
#   ncdu -0 -x -o FILE TREE
# and the medians and best of the rounds are reported (wall time, and CPU time of all threads), with
# the ratios; then the peak memory of one more zek-batch scan (with /usr/bin/time, when installed). Target: zek-batch <= 1.5 x find (wall). Run it on an otherwise idle machine.
set -euo pipefail

REPO=$(cd "$(dirname "$0")/.." && pwd)
PARENT=${1:-/tmp}
ENTRIES=${ENTRIES:-300000}
RUNS=${RUNS:-3}
BUILD_DIR=${BUILD_DIR:-$REPO/build-bench}
TREE=$PARENT/zek-bench-tree-$ENTRIES

echo "== building zek-batch (Release) in $BUILD_DIR"
cmake -S "$REPO" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEK_BUILD_TESTS=OFF >/dev/null
ninja -C "$BUILD_DIR" zek-batch >/dev/null
ZEK_BATCH=$BUILD_DIR/zek-batch

if ! command -v ncdu >/dev/null; then
    echo "== installing ncdu"
    if [ "$(id -u)" -eq 0 ]; then
        apt-get install -y ncdu >/dev/null
    else
        sudo apt-get install -y ncdu >/dev/null
    fi
fi

if [ ! -d "$TREE" ]; then
    echo "== making a tree of $ENTRIES entries in $TREE (once; kept for later runs)"
    python3 "$REPO/bench/make_tree.py" "$TREE" --entries "$ENTRIES"
fi

OUT_DIR=$(mktemp -d "${TMPDIR:-/tmp}/zek-bench-out.XXXXXX")
trap 'rm -rf "$OUT_DIR"' EXIT

echo "== warming the tree"
find "$TREE" -printf '%p %s %T@ %A@ %C@ %m\n' >/dev/null
find "$TREE" -printf '%p %s %T@ %A@ %C@ %m\n' >/dev/null

# "wall cpu" seconds of a command (cpu = user + system, all its threads), its output discarded.
measure() {
    local TIMEFORMAT='%R %U %S' t
    t=$( { time "$@" >/dev/null 2>&1; } 2>&1 )
    awk '{printf "%.3f %.3f", $1, $2 + $3}' <<<"$t"
}
run_zek() { rm -rf "$OUT_DIR/work"; "$ZEK_BATCH" --work-dir "$OUT_DIR/work" --add "$TREE" --scan --quiet; }
run_find() { find "$TREE" -printf '%p %s %T@ %A@ %C@ %m\n'; }
run_ncdu() { rm -f "$OUT_DIR/ncdu.json"; ncdu -0 -x -o "$OUT_DIR/ncdu.json" "$TREE"; }

median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
least() { printf '%s\n' "$@" | sort -n | head -1; }

zw=() zc=() fw=() fc=() nw=() nc=()
for round in $(seq "$RUNS"); do
    read -r a b <<<"$(measure run_zek)"; zw+=("$a") zc+=("$b")
    read -r c d <<<"$(measure run_find)"; fw+=("$c") fc+=("$d")
    read -r e g <<<"$(measure run_ncdu)"; nw+=("$e") nc+=("$g")
    printf 'round %d: zek-batch %6.3f s (cpu %6.3f)   find %6.3f s (cpu %6.3f)   ncdu %6.3f s (cpu %6.3f)\n' \
        "$round" "$a" "$b" "$c" "$d" "$e" "$g"
done

records=$(sqlite3 "$OUT_DIR/work/work.zek" 'SELECT COUNT(*) FROM FILETYPE' 2>/dev/null || echo '?')
entries=$(find "$TREE" -mindepth 1 | wc -l)
echo "== $entries entries in the tree, $records records in the last work file"
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", (b > 0 ? a / b : 0)}'; }
report() { # label, zek, find, ncdu
    echo "$1: zek-batch $2 s, find $3 s, ncdu $4 s;" \
        "zek-batch/find $(ratio "$2" "$3"), zek-batch/ncdu $(ratio "$2" "$4"), ncdu/find $(ratio "$4" "$3")"
}
report "median wall   " "$(median "${zw[@]}")" "$(median "${fw[@]}")" "$(median "${nw[@]}")"
report "best wall     " "$(least "${zw[@]}")" "$(least "${fw[@]}")" "$(least "${nw[@]}")"
report "median cpu    " "$(median "${zc[@]}")" "$(median "${fc[@]}")" "$(median "${nc[@]}")"
# Peak memory of one more scan: it should follow the width of the tree (the folder queue), not
# the number of files.
if [ -x /usr/bin/time ]; then
    rm -rf "$OUT_DIR/work"
    peak=$( { /usr/bin/time -f '%M' "$ZEK_BATCH" --work-dir "$OUT_DIR/work" --add "$TREE" --scan --quiet; } 2>&1 | tail -1)
    echo "zek-batch peak memory: $((peak / 1024)) MB"
fi
echo "target: zek-batch/find <= 1.50 (wall); load average now: $(cut -d' ' -f1-3 /proc/loadavg)"
