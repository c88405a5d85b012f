#!/usr/bin/env bash
# Runs every fuzz target (or the ones named) for a bounded time and reports
# each one's result. Usage: run.sh BUILD SECONDS [TARGET...]
#
# Each target's working corpus is BUILD/corpus/<target>: it starts from the
# committed seeds in corpus/<target> (read, never written) and grows from run
# to run. A crash leaves its input in BUILD/crashes/<target>/ and makes the
# run fail; the libFuzzer log of each target is in BUILD/logs/<target>.log.
set -uo pipefail
build=${1:-build-fuzz}
seconds=${2:-60}
shift $(($# < 2 ? $# : 2))
here=$(cd "$(dirname "$0")" && pwd)

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for src in "$here"/*_fuzz.cpp; do targets+=("$(basename "$src" _fuzz.cpp)"); done
fi

echo "fuzz: ${#targets[@]} targets, ${seconds} s each"
printf '%-18s %-8s %12s %16s  %s\n' target result runs 'corpus files/KB' coverage
failed=()
for name in "${targets[@]}"; do
  exe=$build/tests/fuzz/${name}_fuzz
  corpus=$build/corpus/$name
  crashes=$build/crashes/$name
  log=$build/logs/$name.log
  if [ ! -x "$exe" ]; then
    printf '%-18s %-8s no executable %s\n' "$name" missing "$exe"
    failed+=("$name")
    continue
  fi
  mkdir -p "$corpus" "$crashes" "$build/logs"
  marker=$(mktemp)
  # -timeout: an input that takes 10 s is a hang (the line runs on virtual
  # time); -max_len: room for a reply longer than the 1025-byte buffer.
  "$exe" -max_total_time="$seconds" -timeout=10 -max_len=4096 -print_final_stats=1 \
    -artifact_prefix="$crashes/" "$corpus" "$here/corpus/$name" >"$log" 2>&1
  rc=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  coverage=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -1)
  files=$(find "$corpus" -type f | wc -l)
  bytes=$(find "$corpus" -type f -printf '%s\n' | awk '{ n += $1 } END { print n + 0 }')
  found=$(find "$crashes" -type f -newer "$marker" | sort)
  rm -f "$marker"
  result=ok
  if [ $rc -ne 0 ] || [ -n "$found" ]; then
    result=FAILED
    failed+=("$name")
  fi
  printf '%-18s %-8s %12s %16s  %s\n' "$name" "$result" "${runs:-?}" \
    "$files/$((bytes / 1024))K" "${coverage:-?}"
  if [ "$result" = FAILED ]; then
    grep -m1 -E 'ERROR:|property broken|runtime error' "$log" | sed 's/^/    /'
    for f in $found; do echo "    input: $f  (reproduce: $exe $f)"; done
    echo "    log: $log"
  fi
done

if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzz: FAILED: ${failed[*]}"
  exit 1
fi
echo "fuzz: no crashes"
