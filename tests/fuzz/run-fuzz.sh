#!/usr/bin/env bash
# Builds every libFuzzer target (tests/fuzz/CMakeLists.txt) with clang in
# build-fuzz/ and runs each on its corpus for an equal share of the budget.
#
#   tests/fuzz/run-fuzz.sh [SECONDS]     total budget, 60 by default
#
# Seeds come from tests/fuzz/corpus/<target>/ (read only); inputs found on the
# way go to a scratch directory. The first sanitizer report (address, leak or
# undefined behaviour), a crash or a timeout ends that target's run, leaves
# its input in build-fuzz/fuzz-artifacts/ and makes the script exit non-zero.
# So does a target that ran no input at all.
set -euo pipefail

budget=${1:-60}
if ! [[ $budget =~ ^[0-9]+$ ]] || [ "$budget" -lt 1 ]; then
  echo "usage: $0 [SECONDS]" >&2
  exit 2
fi

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$root/build-fuzz
jobs=${FUZZ_BUILD_JOBS:-2}

CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$build" -G Ninja \
  -DCORVANE_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C "$build" -j "$jobs" corvane_fuzzers

mapfile -t targets < <(grep -v '^$' "$build/fuzz-targets.txt")
if [ "${#targets[@]}" -eq 0 ]; then
  echo "no fuzz targets were built" >&2
  exit 1
fi

per=$(( budget / ${#targets[@]} ))
[ "$per" -ge 1 ] || per=1
artifacts=$build/fuzz-artifacts
mkdir -p "$artifacts"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

export QT_QPA_PLATFORM=offscreen
# Stop at the first report of any sanitizer; leaks count.
export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1:allocator_may_return_null=1
export UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=${LSAN_OPTIONS:-}
status=0
printf '%-18s %6s %12s %10s  %s\n' target seconds inputs peak_rss result
for target in "${targets[@]}"; do
  name=$(basename "$target")
  corpus=$root/tests/fuzz/corpus/$name
  mkdir -p "$scratch/$name"
  args=(-max_total_time="$per" -timeout=10 -rss_limit_mb=2048 -max_len=65536
        -detect_leaks=1 -print_final_stats=1 -artifact_prefix="$artifacts/$name-")
  [ -f "$root/tests/fuzz/$name.dict" ] && args+=(-dict="$root/tests/fuzz/$name.dict")
  dirs=("$scratch/$name")
  [ -d "$corpus" ] && dirs+=("$corpus")
  log=$scratch/$name.log
  result=ok
  if ! "$target" "${args[@]}" "${dirs[@]}" >"$log" 2>&1; then
    result=FAILED
  elif grep -qE 'runtime error:|ERROR: (Address|Leak|UndefinedBehavior)Sanitizer' "$log"; then
    result=FAILED # a report that did not stop the run still fails it
  fi
  units=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
  rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$log" | tail -n1)
  if [ "$result" = ok ] && [ "${units:-0}" -eq 0 ]; then
    result=FAILED # nothing ran
  fi
  if [ "$result" != ok ]; then
    tail -n 60 "$log" >&2
    echo "== $name: FAILED (inputs in $artifacts)" >&2
    status=1
  fi
  printf '%-18s %6s %12s %10s  %s\n' "$name" "$per" "${units:-0}" "${rss:-?} MB" "$result"
done
exit $status
