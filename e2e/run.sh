#!/usr/bin/env bash
# Installs the npm packages of the browser tests (from the lock file) and runs them.
set -euo pipefail
cd "$(dirname "$0")"
if [ ! -d node_modules/playwright-core ]; then
  npm ci --no-audit --no-fund
fi
node --test --test-concurrency=1 ./*.test.mjs
