#!/usr/bin/env bash
# Checks the service unit with systemd-analyze verify, when systemd is present: any
# complaint, even one systemd would only warn about and ignore, fails the check.
set -euo pipefail
cd "$(dirname "$0")/.."
unit=packaging/examserver.service
if ! command -v systemd-analyze >/dev/null 2>&1; then
  echo "$unit: systemd-analyze not found, not checked"
  exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# verify wants the program to exist; the installed path becomes one that does.
sed 's#^ExecStart=/opt/examserver/examserver #ExecStart=/bin/true #' "$unit" >"$work/examserver.service"
if ! grep -q '^ExecStart=/bin/true ' "$work/examserver.service"; then
  echo "$unit: no ExecStart=/opt/examserver/examserver line" >&2
  exit 1
fi
if ! out=$(systemd-analyze verify "$work/examserver.service" 2>&1) || [ -n "$out" ]; then
  echo "$unit: systemd-analyze verify complains:" >&2
  echo "$out" >&2
  exit 1
fi
echo "$unit: systemd-analyze verify ok"
