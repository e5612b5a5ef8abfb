#!/usr/bin/env bash
# Installs what is missing, builds, and starts the messenger in its own
# folder, ~/.local/share/corvane (made if missing), where it keeps its address
# book files, instead of wherever the script was started.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target corvane -j"$(nproc)"
mkdir -p "$HOME/.local/share/corvane"
cd "$HOME/.local/share/corvane"
# The program says on this terminal where it went (the tray, or the taskbar
# on a desktop without one). Arguments are passed on (--tray, --help).
echo "run.sh: starting $root/build/src/app/corvane in $HOME/.local/share/corvane"
exec "$root/build/src/app/corvane" "$@"
