#!/usr/bin/env bash
# Builds the scene-load and the expression fuzzers with clang in build-fuzz/,
# replays their initial corpora and every saved crash input, then fuzzes for a
# bounded time: three quarters of it the scene load, a quarter the expressions.
#   fuzz.sh [SECONDS]    default 60; also FUZZ_SECONDS, FUZZ_JOBS (default 1)
# Exits non-zero on any finding; a new crash input is left in build-fuzz/findings/
# (copy it to fuzz/regressions/ under a name that says what it does).
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"

seconds="${1:-${FUZZ_SECONDS:-60}}"
jobs="${FUZZ_JOBS:-1}"
build_dir="$root/build-fuzz"
fuzzer="$build_dir/fuzz/vextal-fuzz-scene"
expression_fuzzer="$build_dir/fuzz/vextal-fuzz-expression"
expression_seconds=$((seconds / 4))
seconds=$((seconds - expression_seconds))

CC=clang CXX=clang++ cmake -S . -B "$build_dir" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXTAL_SANITIZE=ON -DVEXTAL_BUILD_FUZZ=ON \
    -DVEXTAL_BUILD_TESTS=OFF -DVEXTAL_BUILD_BENCH=OFF >/dev/null
cmake --build "$build_dir" --target vextal-fuzz-scene vextal-fuzz-expression

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
common=(-rss_limit_mb=2048 -max_len=16384 -timeout=30 "-dict=$root/fuzz/scene.dict")

# Replay: every file is run once, with no mutation.
mapfile -t replay < <(find fuzz/corpus fuzz/regressions -type f ! -name '.*' | sort)
echo "Replaying ${#replay[@]} inputs"
"$fuzzer" "${common[@]}" -runs=1 "${replay[@]}" >"$build_dir/replay.log" 2>&1 || {
    cat "$build_dir/replay.log"
    echo "fuzz.sh: a corpus or regression input fails" >&2
    exit 1
}

# Fuzz: new inputs go to the working corpus in the build folder, never into
# the checked-in initial corpus.
# Findings of an earlier run are dropped: what is worth keeping went to
# fuzz/regressions/, and is replayed above.
rm -rf "$build_dir/findings"
mkdir -p "$build_dir/corpus" "$build_dir/findings"
echo "Fuzzing for ${seconds} s"
parallel=()
if [ "$jobs" -gt 1 ]; then
    parallel=(-jobs="$jobs" -workers="$jobs") # each worker logs to fuzz-N.log in build-fuzz/
fi
status=0
(cd "$build_dir" && "$fuzzer" "${common[@]}" "${parallel[@]}" -max_total_time="$seconds" \
    -print_final_stats=1 -artifact_prefix="$build_dir/findings/" \
    "$build_dir/corpus" "$root/fuzz/corpus") >"$build_dir/fuzz.log" 2>&1 || status=$?
grep -E '^(stat::|Done|#[0-9]+ +DONE)' "$build_dir/fuzz.log" || tail -n 5 "$build_dir/fuzz.log"
if [ "$status" -ne 0 ] || [ -n "$(ls -A "$build_dir/findings")" ]; then
    tail -n 60 "$build_dir/fuzz.log"
    echo "fuzz.sh: the fuzzer found something; inputs in $build_dir/findings/" >&2
    exit 1
fi

# The expression language: its corpus replayed, then its share of the time.
expression_common=(-rss_limit_mb=2048 -max_len=4096 -timeout=30
    "-dict=$root/fuzz/expression.dict")
mapfile -t replay < <(find fuzz/expression-corpus -type f ! -name '.*' | sort)
echo "Replaying ${#replay[@]} expressions"
"$expression_fuzzer" "${expression_common[@]}" -runs=1 "${replay[@]}" \
    >"$build_dir/expression-replay.log" 2>&1 || {
    cat "$build_dir/expression-replay.log"
    echo "fuzz.sh: an expression corpus input fails" >&2
    exit 1
}
mkdir -p "$build_dir/expression-corpus"
echo "Fuzzing expressions for ${expression_seconds} s"
status=0
(cd "$build_dir" && "$expression_fuzzer" "${expression_common[@]}" \
    -max_total_time="$expression_seconds" -print_final_stats=1 \
    -artifact_prefix="$build_dir/findings/" \
    "$build_dir/expression-corpus" "$root/fuzz/expression-corpus") \
    >"$build_dir/expression-fuzz.log" 2>&1 || status=$?
grep -E '^(stat::|Done|#[0-9]+ +DONE)' "$build_dir/expression-fuzz.log" ||
    tail -n 5 "$build_dir/expression-fuzz.log"
if [ "$status" -ne 0 ] || [ -n "$(ls -A "$build_dir/findings")" ]; then
    tail -n 60 "$build_dir/expression-fuzz.log"
    echo "fuzz.sh: the expression fuzzer found something; inputs in $build_dir/findings/" >&2
    exit 1
fi
