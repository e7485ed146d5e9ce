#!/usr/bin/env bash
# Installs the Debian packages the build needs (only those missing) and configures the build.
# With "--e2e" it also installs what the browser tests need (Chromium, Node.js, npm); with
# "--desktop" what the host window needs (GTK 3, WebKitGTK, a Chinese font) and the
# virtual X server its tests run on, and the build then requires the window.
set -euo pipefail
cd "$(dirname "$0")/.."
e2e=false
desktop=false
for option in "$@"; do
  case "$option" in
    --e2e) e2e=true ;;
    --desktop) desktop=true ;;
    *) echo "Unknown option $option (use --e2e, --desktop)" >&2; exit 2 ;;
  esac
done
packages=(cmake g++ make pkg-config libgtest-dev libgmock-dev libsqlite3-dev libxlsxwriter-dev libzip-dev libxml2-dev libpq-dev postgresql
          libgoogle-perftools-dev)
if $desktop; then
  packages+=(libgtk-3-dev libwebkit2gtk-4.1-dev xvfb)
fi
need=()
for pkg in "${packages[@]}"; do
  dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
done
# The window's texts are Chinese: a font that has them, unless the system has one.
if $desktop && ! { command -v fc-list >/dev/null 2>&1 && [ -n "$(fc-list :lang=zh-cn family)" ]; }; then
  need+=(fonts-wqy-zenhei)
fi
if $e2e; then
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
desktop_build=AUTO
if $desktop; then desktop_build=ON; fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DEXAM_DESKTOP=$desktop_build >/dev/null
