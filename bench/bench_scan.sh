#!/usr/bin/env bash
# Times a whole scan by zek-batch against find, du and ncdu on the same warm tree, in paired runs.
#
#   bench/bench_scan.sh [PARENT]
#
# PARENT is where the tree is made, once, and kept for later runs (default /tmp). Settings through
# the environment: ENTRIES (tree size, default 300000), RUNS (rounds, default 7), BUILD_DIR (Release
# build folder, default <repo>/build-bench).
#
# Every round runs, one right after the other on the same tree (the order turns from round to round,
# so none of them always comes first after a pause):
#   zek-batch --add TREE --scan --save-as FILE --quiet   (every record committed and saved)
#   find TREE -printf '%p %s %T@ %A@ %C@ %m\n' >/dev/null
#   du -a TREE >/dev/null
#   ncdu -0 -x -o FILE TREE
# and the ratio of zek-batch to each other command is taken within the round. A busy machine slows
# both sides of a round alike, so the median of the ratios is steadier than the ratio of the medians.
# Wall time and CPU time (user + system of every thread, as the shell's `time` counts them: what
# `perf stat -e task-clock` reports too) are both reported, then the peak memory of one more scan
# (with /usr/bin/time, when installed). For where the time goes:
#   perf record -g -- zek-batch --add TREE --scan --save-as FILE --quiet
#   perf report --no-children -g none -s pid,dso    (the reader thread against the writer)
# Targets: zek-batch/ncdu <= 1.0 and zek-batch/find <= 0.8 (wall).
set -euo pipefail

REPO=$(cd "$(dirname "$0")/.." && pwd)
PARENT=${1:-/tmp}
ENTRIES=${ENTRIES:-300000}
RUNS=${RUNS:-7}
BUILD_DIR=${BUILD_DIR:-$REPO/build-bench}
TREE=$PARENT/zek-bench-tree-$ENTRIES

echo "== building zek-batch (Release) in $BUILD_DIR"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$REPO" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEK_BUILD_TESTS=OFF "${launcher[@]}" >/dev/null
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

run_zek() { "$ZEK_BATCH" --add "$TREE" --scan --save-as "$OUT_DIR/scan.zek" --quiet; }
run_find() { find "$TREE" -printf '%p %s %T@ %A@ %C@ %m\n'; }
run_du() { du -a "$TREE"; }
run_ncdu() { ncdu -0 -x -o "$OUT_DIR/ncdu.out" "$TREE"; }
# A command's last output goes before it is timed again: removing a 100 MB file is no part of a
# scan (and on a file system mounted with "discard" it costs the next run its trims).
clean_outputs() {
    case $1 in
    zek) rm -f "$OUT_DIR/scan.zek" ;;
    ncdu) rm -f "$OUT_DIR/ncdu.out" ;;
    esac
    sync -f "$OUT_DIR"
}

echo "== warming the tree"
run_find >/dev/null
run_du >/dev/null
run_zek >/dev/null

# "wall cpu" seconds of a command (cpu = user + system, all its threads), its output discarded.
measure() {
    local TIMEFORMAT='%R %U %S' t
    t=$( { time "$@" >/dev/null 2>&1; } 2>&1 )
    awk '{printf "%.3f %.3f", $1, $2 + $3}' <<<"$t"
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.3f", (b > 0 ? a / b : 0)}'; }
median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {printf "%.3f", (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }

others=(find du ncdu)
declare -A wall cpu rwall rcpu # per command: the rounds' figures; per other command: the ratios
for round in $(seq "$RUNS"); do
    # Turn the order: zek-batch goes first in one round, second in the next, and so on.
    order=(zek "${others[@]}")
    shift_by=$(( (round - 1) % ${#order[@]} ))
    order=("${order[@]:shift_by}" "${order[@]:0:shift_by}")
    declare -A w=() c=()
    for cmd in "${order[@]}"; do
        clean_outputs "$cmd"
        read -r w[$cmd] c[$cmd] <<<"$(measure "run_$cmd")"
        wall[$cmd]+="${w[$cmd]} " cpu[$cmd]+="${c[$cmd]} "
    done
    line=$(printf 'round %d:' "$round")
    for cmd in zek "${others[@]}"; do
        line+=$(printf '  %s %.3f s (cpu %.3f)' "$cmd" "${w[$cmd]}" "${c[$cmd]}")
    done
    echo "$line"
    for cmd in "${others[@]}"; do
        rwall[$cmd]+="$(ratio "${w[zek]}" "${w[$cmd]}") " rcpu[$cmd]+="$(ratio "${c[zek]}" "${c[$cmd]}") "
    done
done

records=$(sqlite3 "$OUT_DIR/scan.zek" 'SELECT COUNT(*) FROM FILETYPE' 2>/dev/null || echo '?')
entries=$(find "$TREE" -mindepth 1 | wc -l)
echo "== $entries entries in the tree, $records records in the saved work file, $RUNS paired rounds"
for cmd in zek "${others[@]}"; do
    # shellcheck disable=SC2086
    printf 'median %-4s wall %s s, cpu %s s\n' "$cmd" "$(median ${wall[$cmd]})" "$(median ${cpu[$cmd]})"
done
for cmd in "${others[@]}"; do
    # shellcheck disable=SC2086
    printf 'zek-batch/%-4s median of paired ratios: wall %s, cpu %s\n' "$cmd" "$(median ${rwall[$cmd]})" \
        "$(median ${rcpu[$cmd]})"
done
# Peak memory of one more scan: it should follow the width of the tree (the folder queue), not
# the number of files.
if [ -x /usr/bin/time ]; then
    rm -f "$OUT_DIR/scan.zek"
    peak=$( { /usr/bin/time -f '%M' "$ZEK_BATCH" --add "$TREE" --scan --save-as "$OUT_DIR/scan.zek" \
        --quiet; } 2>&1 | tail -1)
    echo "zek-batch peak memory: $((peak / 1024)) MB"
fi
echo "targets: zek-batch/ncdu <= 1.00, zek-batch/find <= 0.80 (wall);" \
    "load average now: $(cut -d' ' -f1-3 /proc/loadavg)"
