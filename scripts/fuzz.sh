#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer (ASan and UBSan on) and runs each for
# SECONDS (default 60), one after another; FUZZ_TARGETS="a b" picks some. For each target it
# prints its execs, coverage and crashes; the last line is
#   fuzz: T targets, E execs, C crashes
# and the exit status is non-zero when C > 0. Every crashing input is copied into the
# target's committed corpus (fuzz/corpus/<target>), so the test suite replays it from then on.
# Grown corpora stay in build/fuzz/corpus; the committed seeds are not touched otherwise.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

seconds=${1:-60}
if ! [[ $seconds =~ ^[0-9]+$ ]] || ((seconds == 0)); then
    echo "usage: scripts/fuzz.sh [SECONDS]" >&2
    exit 2
fi
all_targets="calc_link version_file listing package_list language schedule formatters opus_info"
targets=${FUZZ_TARGETS:-$all_targets}

build=$root/build/fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DVANTA_FUZZ=ON >/dev/null
cmake --build "$build" --target $(printf 'fuzz_%s ' $targets) >/dev/null

total_targets=0
total_execs=0
total_crashes=0
for target in $targets; do
    work=$build/corpus/$target
    artifacts=$build/artifacts/$target
    mkdir -p "$work" "$artifacts"
    log=$build/$target.log
    started=$(date +%s)
    # -fork keeps going after a crash, so one finding does not end the campaign.
    status=0
    "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -fork=1 -ignore_crashes=1 \
        -ignore_timeouts=1 -ignore_ooms=1 -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$artifacts/" "$work" "$root/fuzz/corpus/$target" >"$log" 2>&1 ||
        status=$?
    execs=$({ grep -oE '^#[0-9]+' "$log" || true; } | tail -1 | tr -d '#')
    execs=${execs:-0}
    coverage=$({ grep -oE 'cov: [0-9]+' "$log" || true; } | tail -1 | awk '{print $2}')
    coverage=${coverage:-0}
    crashes=0
    shopt -s nullglob
    for found in "$artifacts"/crash-* "$artifacts"/leak-* "$artifacts"/timeout-* \
                 "$artifacts"/oom-*; do
        if [[ $(stat -c %Y "$found") -ge $started ]]; then
            crashes=$((crashes + 1))
            cp "$found" "$root/fuzz/corpus/$target/"
        fi
    done
    shopt -u nullglob
    if ((status != 0 && crashes == 0)); then
        echo "fuzz: $target ended with status $status without an artifact (see $log)" >&2
        crashes=1
    fi
    echo "$target: $execs execs, coverage $coverage, $crashes crashes"
    total_targets=$((total_targets + 1))
    total_execs=$((total_execs + execs))
    total_crashes=$((total_crashes + crashes))
done

echo "fuzz: $total_targets targets, $total_execs execs, $total_crashes crashes"
((total_crashes == 0))
