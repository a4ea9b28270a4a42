#!/bin/sh
# Builds the fuzz targets with clang and runs each for SECONDS (default 60), one after another and
# at low priority. Corpora grow under fuzz/corpus/<target>; a crashing input is kept as
# fuzz/crashes/<target>/crash-*. Prints, per target: inputs tried, executions per second, crashes.
#
#   fuzz/run.sh 360            # six minutes per target
#   fuzz/run.sh 60 dialect     # one target
set -eu

seconds=${1:-60}
shift 2>/dev/null || true
targets=${*:-"dialect work_file value_entry profile short_names"}

here=$(cd "$(dirname "$0")" && pwd)
build=${ZEK_FUZZ_BUILD:-$here/../build-fuzz}
export QT_QPA_PLATFORM=offscreen
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Qt keeps caches libFuzzer's leak check would report at every exit.
export ASAN_OPTIONS=detect_leaks=0:allocator_may_return_null=1
# The targets write scratch files; a memory file system spares the disk and the flushes.
[ -d /dev/shm ] && export TMPDIR=/dev/shm

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
nice cmake --build "$build" -j2

summary=""
for t in $targets; do
    corpus=$here/corpus/$t
    crashes=$here/crashes/$t
    mkdir -p "$corpus" "$crashes"
    max_len=4096
    # The program's statements are short; long texts of semicolons only measure SQLite's parser.
    [ "$t" = dialect ] && max_len=1024
    if [ "$t" = work_file ]; then
        max_len=131072
        [ -n "$(ls -A "$corpus")" ] || ZEK_FUZZ_SEED="$corpus/seed-new-work-file.zek" "$build/fuzz_$t"
    fi
    log=$build/fuzz_$t.log
    echo "== fuzz_$t for ${seconds}s"
    nice "$build/fuzz_$t" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$crashes/" "$corpus" >"$log" 2>&1 || true
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
    found=$(grep -c 'Test unit written to' "$log" || true)
    line=$(printf '%-12s runs %-10s exec/s %-7s crashes %s' "$t" "${runs:-?}" "${speed:-?}" "$found")
    echo "$line"
    summary="$summary$line
"
done
echo "== summary (${seconds}s per target)"
printf '%s' "$summary"
