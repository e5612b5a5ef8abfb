#!/usr/bin/env bash
# Runs every benchmark of a build briefly and prints one table.
#
#   CORVANE_BUILD_DIR=build bash bench/run.sh [MIN_SECONDS]
#
# CORVANE_BUILD_DIR is the build folder (default "build", relative to the
# project root); MIN_SECONDS is how long each case runs at least (0.2 by
# default). A case that reports an error, or a benchmark program that fails
# or runs longer than CORVANE_BENCH_TIMEOUT seconds (300 by default), makes
# the script exit non-zero. The figures are wall-clock times on this
# machine: compare them only with runs on the same machine.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${CORVANE_BUILD_DIR:-build}
[[ $build = /* ]] || build=$root/$build
min=${1:-0.2}
if [ ! -d "$build/bench" ]; then
  echo "no benchmarks in $build (configure with Google Benchmark installed, then build)" >&2
  exit 1
fi
mapfile -t programs < <(find "$build/bench" -mindepth 2 -maxdepth 2 -type f -perm -u+x | sort)
if [ "${#programs[@]}" -eq 0 ]; then
  echo "no benchmark programs in $build/bench: build them first" >&2
  exit 1
fi

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
# Window benchmarks run offscreen, except those that start an X server of
# their own (Xvfb) to meet what a person meets.
export QT_QPA_PLATFORM=offscreen
# Window benchmarks save what a closing main window saves (the address book)
# in the working folder: give them a folder of their own.
mkdir "$out/work"
cd "$out/work"
status=0
for program in "${programs[@]}"; do
  name=$(basename "$program")
  if ! timeout "${CORVANE_BENCH_TIMEOUT:-300}" "$program" --benchmark_min_time="$min" --benchmark_format=json \
      >"$out/$name.json" 2>"$out/$name.err"; then
    echo "== $name failed:" >&2
    tail -n 20 "$out/$name.err" >&2
    status=1
  fi
done

python3 - "$out" <<'PY' || status=1
import glob, json, os, sys

rows, failed = [], False
for path in sorted(glob.glob(os.path.join(sys.argv[1], "*.json"))):
    try:
        with open(path) as f:
            data = json.load(f)
    except ValueError:
        continue
    for b in data.get("benchmarks", []):
        if b.get("error_occurred"):
            failed = True
            rows.append((b["name"], "ERROR", "", "", b.get("error_message", "")))
            continue
        unit = b.get("time_unit", "ns")
        extra = []
        if "items_per_second" in b:
            extra.append("%.0f items/s" % b["items_per_second"])
        if "bytes_per_second" in b:
            extra.append("%.1f MB/s" % (b["bytes_per_second"] / 1e6))
        for key, value in b.items():
            if key.endswith(("_ms", "_mb")) and isinstance(value, (int, float)):
                extra.append("%s %.1f" % (key, value))
        rows.append((b["name"], "%.2f %s" % (b["real_time"], unit),
                     "%.2f %s" % (b["cpu_time"], unit), str(b["iterations"]), ", ".join(extra)))
head = ("benchmark", "real time", "cpu time", "iterations", "")
widths = [max(len(r[i]) for r in rows + [head]) for i in range(4)]
for r in [head] + rows:
    print("  ".join(r[i].ljust(widths[i]) for i in range(4)) + "  " + r[4])
sys.exit(1 if failed or not rows else 0)
PY
exit $status
