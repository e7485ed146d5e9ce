#!/usr/bin/env bash
# Installs the Debian packages the build needs (only those missing) and configures the build.
# With "--e2e" it also installs what the browser tests need (Chromium, Node.js, npm).
set -euo pipefail
cd "$(dirname "$0")/.."
packages=(cmake g++ make pkg-config libgtest-dev libgmock-dev libsqlite3-dev libxlsxwriter-dev libzip-dev libxml2-dev libpq-dev postgresql)
need=()
for pkg in "${packages[@]}"; do
  dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
done
if [ "${1:-}" = "--e2e" ]; then
  # Judged by command: a Node.js from elsewhere brings its own npm.
  command -v chromium >/dev/null 2>&1 || need+=(chromium)
  command -v node >/dev/null 2>&1 || need+=(nodejs)
  command -v npm >/dev/null 2>&1 || need+=(npm)
  # The browser tests read the stored rows with the sqlite3 shell.
  dpkg -s sqlite3 >/dev/null 2>&1 || need+=(sqlite3)
  # They read downloaded workbooks back with Python's zipfile.
  command -v python3 >/dev/null 2>&1 || need+=(python3)
fi
if [ ${#need[@]} -gt 0 ]; then
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}"
fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
