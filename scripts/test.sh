#!/usr/bin/env bash
# Installs what is missing, builds everything, and runs every test: unit and
# window tests, the multi-host end-to-end bed (needs root and network
# namespaces; skipped with the reason otherwise) and a bounded fuzz run.
set -uo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh || exit 1
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
cmake --build build -j"$(nproc)" || exit 1
status=0
ctest --test-dir build --output-on-failure -j2 --timeout 600 || status=1
if [ -x tests/fuzz/run-fuzz.sh ] || [ -f tests/fuzz/run-fuzz.sh ]; then
  bash tests/fuzz/run-fuzz.sh "${CORVANE_FUZZ_SECONDS:-60}" || status=1
fi
exit $status
