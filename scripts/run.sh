#!/usr/bin/env bash
# Sets up, builds the server, creates a demo database when none exists and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake --build build -j2 --target examserver
if [ -f db1.db ]; then
  exec ./build/host/examserver "$@"
fi
exec ./build/host/examserver -initdb -demo "$@"
