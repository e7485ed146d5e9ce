#!/usr/bin/env bash
# Sets up, builds, and runs every test: unit and integration tests (the host window's
# under a virtual X server), the same once more under AddressSanitizer and
# UndefinedBehaviorSanitizer (without the window: the toolkit's own allocations are not
# ours to check), the fuzz targets for a bounded time, then the browser tests.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh --e2e --desktop
cmake --build build -j2
ctest --test-dir build --output-on-failure -j2
./scripts/verify-unit.sh

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DEXAM_SANITIZE=ON -DEXAM_DESKTOP=OFF >/dev/null
cmake --build build-sanitize -j2
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ctest --test-dir build-sanitize --output-on-failure -j2

./scripts/fuzz.sh "${FUZZ_SECONDS:-60}"

if [ -x e2e/run.sh ]; then
  EXAMSERVER="$PWD/build/host/examserver" e2e/run.sh
fi
