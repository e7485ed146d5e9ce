#!/usr/bin/env bash
# Builds the runtime's fuzz targets with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a bounded time over its seed corpus.
# Usage: scripts/fuzz.sh [seconds per target, default 60]
# A crash fails the run; the input that caused it is left in build-fuzz/crashes/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
need=()
for pkg in clang libclang-rt-14-dev; do
  dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
done
if [ ${#need[@]} -gt 0 ]; then
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}"
fi
cmake -S . -B build-fuzz -DEXAM_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-fuzz -j2
mkdir -p build-fuzz/crashes
for pair in RequestParserFuzz:request_parser FormDecodingFuzz:form_decoding CodePageFuzz:code_page; do
  target=${pair%%:*}
  seeds=fuzz/corpus/${pair#*:}
  # New inputs go to a scratch folder; the repository's seeds are only read.
  work=$(mktemp -d)
  echo "Fuzzing $target for ${seconds}s"
  status=0
  "build-fuzz/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix=build-fuzz/crashes/"$target"- "$work" "$seeds" 2>"$work.log" || status=$?
  grep -E '^stat::number_of_executed_units|^#[0-9]+ *DONE' "$work.log" || true
  if [ "$status" -ne 0 ]; then
    tail -n 60 "$work.log"
    rm -rf "$work" "$work.log"
    echo "$target failed: see build-fuzz/crashes/"
    exit 1
  fi
  rm -rf "$work" "$work.log"
done
echo "Fuzzing: 3 passed, 0 failed"
