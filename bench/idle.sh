#!/usr/bin/env bash
# How often an idle copy wakes: starts the program on a virtual X display in
# a network namespace of its own (so it meets nobody), shows its window once
# through a second start, lets it settle, then counts the context switches of
# every thread and the CPU ticks of the process over a while.
#
#   CORVANE_BUILD_DIR=build bash bench/idle.sh [SECONDS] [DISPLAY_NUMBER]
#
# Needs root (unshare -n), Xvfb and the built program. Prints one line per
# thread (wakeups a second) and the total.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${CORVANE_BUILD_DIR:-build}
[[ $build = /* ]] || build=$root/$build
seconds=${1:-60}
display=${2:-${CORVANE_IDLE_DISPLAY:-99}}
program=$build/src/app/corvane
[ -x "$program" ] || { echo "no program at $program" >&2; exit 1; }
command -v Xvfb >/dev/null || { echo "Xvfb is not installed" >&2; exit 1; }

scratch=$(mktemp -d)
xvfb=
app=
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT

Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$scratch/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done

# env, unshare and sh each replace themselves, so $! is the program.
start=(env -i PATH="$PATH" HOME="$scratch" XDG_RUNTIME_DIR="$scratch"
       XDG_CONFIG_HOME="$scratch/cfg" DISPLAY=":$display" QT_QPA_PLATFORM=xcb
       unshare -n sh -c 'ip link set lo up; exec "$0"' "$program")
mkdir -p "$scratch/cfg"
"${start[@]}" >"$scratch/app.log" 2>&1 &
app=$!
sleep 3
"${start[@]}" >>"$scratch/app.log" 2>&1 || true # a second start shows the window
sleep 5
[ "$(cat /proc/$app/comm 2>/dev/null)" = corvane ] || {
  echo "the program did not stay up:" >&2
  cat "$scratch/app.log" >&2
  exit 1
}

sample() {
  for task in /proc/"$app"/task/*; do
    local v n
    v=$(sed -n 's/^voluntary_ctxt_switches:[[:space:]]*//p' "$task/status")
    n=$(sed -n 's/^nonvoluntary_ctxt_switches:[[:space:]]*//p' "$task/status")
    echo "$(basename "$task") $(tr ' ' '_' <"$task/comm") $((v + n))"
  done
}
ticks() { awk '{print $14 + $15}' "/proc/$app/stat"; }

before=$(sample)
t0=$(ticks)
sleep "$seconds"
after=$(sample)
t1=$(ticks)

printf '%-8s %-20s %10s %12s\n' tid thread switches per_second
total=0
while read -r tid name count; do
  old=$(awk -v t="$tid" '$1 == t {print $3}' <<<"$before")
  delta=$((count - ${old:-0}))
  total=$((total + delta))
  printf '%-8s %-20s %10d %12.3f\n' "$tid" "$name" "$delta" "$(echo "$delta / $seconds" | bc -l)"
done <<<"$after"
printf '%-29s %10d %12.3f\n' "all threads" "$total" "$(echo "$total / $seconds" | bc -l)"
echo "CPU ticks in $seconds s: $((t1 - t0))"
