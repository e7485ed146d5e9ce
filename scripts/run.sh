#!/usr/bin/env bash
# Sets up, builds the server, creates a demo database when none exists and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake --build build -j2 --target examserver
[ -f db1.db ] || ./build/host/examserver -initdb -demo
exec ./build/host/examserver "$@"
