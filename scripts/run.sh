#!/usr/bin/env bash
# Installs what the server needs, builds it, creates a demo database when none exists and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
need=()
for pkg in cmake g++ libgtest-dev libgmock-dev libsqlite3-dev; do
  dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
done
if [ ${#need[@]} -gt 0 ]; then
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}"
fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target examserver
[ -f db1.db ] || ./build/host/examserver -initdb -demo
exec ./build/host/examserver "$@"
