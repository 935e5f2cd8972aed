#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ (AddressSanitizer and
# UndefinedBehaviorSanitizer on) and runs each for SECONDS (default 60) from its seed corpus in
# fuzz/corpus/. Inputs the fuzzer finds go to build-fuzz/corpus/, crashes, leaks and hangs to
# build-fuzz/findings/; the committed seeds are never written. Exits non-zero on a finding.
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]   (targets: ProjectReaderFuzz MediaInputFuzz)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(ProjectReaderFuzz MediaInputFuzz)

# Debian 12's clang 14; libFuzzer and the sanitizer runtimes come with libclang-rt-dev.
# shellcheck source=lib/setup-helpers.sh
. "$root/scripts/lib/setup-helpers.sh"
install_missing_packages clang libclang-rt-dev

build="$root/build-fuzz"
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DVEILCUT_FUZZ=ON \
        -DVEILCUT_BUILD_APP=OFF -DVEILCUT_BUILD_TESTS=OFF -DVEILCUT_BUILD_BENCH=OFF
fi
cmake --build "$build" --target "${targets[@]}"

# Stop at the first fault of any kind; FFmpeg's own allocations that outlive a run are not ours.
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/lsan-thirdparty.supp}

status=0
for target in "${targets[@]}"; do
    case "$target" in
        ProjectReaderFuzz) seeds=project; max_len=4096 ;;
        MediaInputFuzz) seeds=media; max_len=16384 ;;
        *) echo "veilcut: unknown fuzz target $target" >&2; exit 2 ;;
    esac
    corpus="$build/corpus/$seeds"
    findings="$build/findings/$seeds"
    mkdir -p "$corpus" "$findings"
    echo "veilcut: fuzzing $target for $seconds s"
    # The first corpus folder receives new inputs; the seeds are only read. One child process
    # at a time fuzzes, and a fault ends the child rather than the run, so one run can find
    # several.
    before=$(find "$findings" -type f | wc -l)
    "$build/$target" "$corpus" "$root/fuzz/corpus/$seeds" -max_total_time="$seconds" \
        -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
        -max_len=$max_len -timeout=20 -rss_limit_mb=2048 \
        -artifact_prefix="$findings/" >"$build/$target.log" 2>&1 || status=1
    # The last progress line: executions, coverage, corpus and faults; the whole run is in the log.
    grep -E '^#[0-9]+' "$build/$target.log" | tail -n 1
    found=$(( $(find "$findings" -type f | wc -l) - before ))
    if [ "$found" -gt 0 ]; then
        status=1
        echo "veilcut: $target found $found fault(s): inputs in $findings/, stacks in $build/$target.log" >&2
    fi
done
exit $status
