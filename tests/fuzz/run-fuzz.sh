#!/usr/bin/env bash
# Builds every libFuzzer target (tests/fuzz/CMakeLists.txt) with clang in
# build-fuzz/ and runs each on its corpus for a share of the time budget.
#
#   tests/fuzz/run-fuzz.sh [SECONDS]     total budget, 60 by default
#
# Seeds come from tests/fuzz/corpus/<target>/ (read only); inputs found on the
# way go to a scratch directory. A crash, leak or timeout leaves its input in
# build-fuzz/fuzz-artifacts/ and makes the script exit non-zero.
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

mapfile -t targets < <(find "$build" -type f -perm -u+x -name 'fuzz_*' \
  -not -path '*/CMakeFiles/*' -not -path '*/fuzz-artifacts/*' | sort)
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
status=0
for target in "${targets[@]}"; do
  name=$(basename "$target")
  corpus=$root/tests/fuzz/corpus/$name
  mkdir -p "$scratch/$name"
  args=(-max_total_time="$per" -timeout=10 -rss_limit_mb=2048 -max_len=65536
        -print_final_stats=1 -artifact_prefix="$artifacts/$name-")
  [ -f "$root/tests/fuzz/$name.dict" ] && args+=(-dict="$root/tests/fuzz/$name.dict")
  dirs=("$scratch/$name")
  [ -d "$corpus" ] && dirs+=("$corpus")
  echo "== $name: $per s"
  if "$target" "${args[@]}" "${dirs[@]}" >"$scratch/$name.log" 2>&1; then
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)' "$scratch/$name.log" || true
    echo "== $name: no crash"
  else
    tail -n 60 "$scratch/$name.log"
    echo "== $name: FAILED (inputs in $artifacts)" >&2
    status=1
  fi
done
exit $status
