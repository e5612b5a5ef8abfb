#!/usr/bin/env bash
# Installs what is missing, builds, and starts the messenger.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target corvane -j"$(nproc)"
exec build/src/app/corvane
