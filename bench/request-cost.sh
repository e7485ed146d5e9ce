#!/bin/sh
# Server instructions per request of each step (start, window size, opening the exam, a
# click, a hand-in), counted by callgrind in the server's own threads only: the event loop
# and the workers. The client's work in the same process is not counted.
#
#     bench/request-cost.sh <build folder> [candidates] [clicks]      (default 40 200)
set -eu
build=${1:?usage: bench/request-cost.sh <build folder> [candidates] [clicks]}
candidates=${2:-40}
clicks=${3:-200}
out=$(mktemp -d "${TMPDIR:-/tmp}/request-cost-XXXXXX")
trap 'rm -rf "$out"' EXIT
valgrind --tool=callgrind --callgrind-out-file="$out/callgrind.out" \
    --toggle-collect='web::ConnectionLoop::run()' --toggle-collect='web::ConnectionLoop::work*' \
    "$build/bench/RequestCost" "$candidates" "$clicks" --callgrind 2>"$out/valgrind.log" | tee "$out/steps.txt"
for file in "$out"/callgrind.out.*; do
    label=$(sed -n 's/^desc: Trigger: Client Request: *//p; s/^desc: Trigger: *--dump=//p; s/^desc: Trigger: *//p' "$file" | head -1)
    total=$(sed -n 's/^summary: *//p; s/^totals: *//p' "$file" | head -1)
    echo "$label $total"
done | awk -v c="$candidates" -v k="$clicks" '
    { step = $NF; }
    { label = $0; sub(/ [0-9]+$/, "", label); n = (label ~ /click/) ? k : c;
      printf "%-40s %14d instructions, %10.0f per request\n", label, $NF, $NF / n }'
