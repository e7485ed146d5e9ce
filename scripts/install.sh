#!/usr/bin/env bash
# Installs the exam server as a system service (run as root; safe to run again, for
# example after an update): builds the program, installs it with its Files and Templates
# under /opt/examserver (PREFIX changes it), creates the system user "examserver" and its
# state folder /var/lib/examserver, creates db1.db there when none exists (printing the
# administrator password once), and installs, enables and (re)starts the systemd unit.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" -ne 0 ]; then
  echo "Run this as root (sudo $0)." >&2
  exit 1
fi
prefix=${PREFIX:-/opt/examserver}
state=/var/lib/examserver
user=examserver
unit=/etc/systemd/system/examserver.service

./scripts/setup.sh
cmake --build build -j2 --target examserver

# Replace whole folders at once, so a running server never sees half of an update.
install_folder() {
  rm -rf "$prefix/$1.new"
  cp -r "build/host/$1" "$prefix/$1.new"
  rm -rf "${prefix:?}/$1"
  mv "$prefix/$1.new" "$prefix/$1"
}
install -d -m 0755 "$prefix"
install -m 0755 build/host/examserver "$prefix/examserver.new"
mv -f "$prefix/examserver.new" "$prefix/examserver"
install_folder Files
install_folder Templates
install -m 0644 README.md "$prefix/README.md"

getent group "$user" >/dev/null || groupadd --system "$user"
id -u "$user" >/dev/null 2>&1 ||
  useradd --system --gid "$user" --home-dir "$state" --no-create-home --shell /usr/sbin/nologin "$user"
install -d -o "$user" -g "$user" -m 0750 "$state"

if [ ! -e "$state/db1.db" ]; then
  # -initdb creates the file and then serves; a private port on loopback, stopped at once.
  log=$(mktemp)
  (cd "$state" && exec runuser -u "$user" -- "$prefix/examserver" -initdb -headless -bind 127.0.0.1 -port 0) \
    >"$log" 2>&1 &
  creator=$!
  for _ in $(seq 1 100); do
    grep -q "Exam server listening" "$log" && break
    kill -0 "$creator" 2>/dev/null || break
    sleep 0.1
  done
  kill "$creator" 2>/dev/null || true
  wait "$creator" 2>/dev/null || true
  if [ ! -e "$state/db1.db" ]; then
    cat "$log" >&2
    rm -f "$log"
    echo "Could not create $state/db1.db." >&2
    exit 1
  fi
  grep "Administrator password" "$log" || true
  echo "Keep the administrator password: it is shown only this once."
  rm -f "$log"
fi

sed "s#/opt/examserver/#$prefix/#g" packaging/examserver.service >"$unit.new"
chmod 0644 "$unit.new"
mv -f "$unit.new" "$unit"
if [ -d /run/systemd/system ]; then
  systemctl daemon-reload
  systemctl enable examserver.service
  systemctl restart examserver.service
  systemctl --no-pager --lines=20 status examserver.service || true
else
  echo "systemd is not running here: $unit is installed; start it on a system running systemd with"
  echo "  systemctl daemon-reload && systemctl enable --now examserver"
fi
