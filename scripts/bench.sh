#!/usr/bin/env bash
# Builds and runs the benchmarks of bench/ (the figures take a few minutes on a quiet machine).
# Installs nginx first when it is missing: ClickBench measures the exam clicks against it.
#
#     scripts/bench.sh            the full measurements
#     scripts/bench.sh --quick    small sizes and short runs, to see that everything works
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v nginx >/dev/null 2>&1 && [ ! -x /usr/sbin/nginx ]; then
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends nginx
  # The package starts its default site on port 80 where systemd runs; the benchmark starts
  # an instance of its own, so the one just installed is stopped and left disabled.
  if [ -d /run/systemd/system ]; then
    systemctl disable --now nginx >/dev/null 2>&1 || true
  fi
fi

./scripts/setup.sh
cmake --build build -j2 --target ClickBench ExamHallBench HandInBench SessionsBench SlowClientBench \
  ResultsMatrixBench

status=0
run() {
  echo
  echo "== $*"
  "$@" || status=1
}
if [ "${1:-}" = "--quick" ]; then
  run build/bench/ClickBench 2 20
  run build/bench/ExamHallBench 50 200 burst
  run build/bench/HandInBench 50
  run build/bench/SessionsBench 500
  run build/bench/SlowClientBench 300 20 200 1
  run build/bench/ResultsMatrixBench 50 20
else
  run build/bench/ClickBench 10 50 200
  run build/bench/ExamHallBench 500 2000 burst
  run build/bench/HandInBench 500
  run build/bench/SessionsBench 10000
  run build/bench/SlowClientBench 2000 50 2000 10
  run build/bench/ResultsMatrixBench
fi
exit $status
