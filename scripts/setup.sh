#!/usr/bin/env bash
# Installs the Debian packages the build needs (only those missing) and configures the build.
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
