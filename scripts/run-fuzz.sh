#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for SECONDS against its seed corpus
# (tests/fuzz/corpus/<name>/). New inputs go to BUILD/fuzz-corpus/<name>/, so the seeds in
# the repository stay as they are. Stops at the first finding: its input is kept in
# BUILD/fuzz-findings/<name>/ and the run fails.
# Usage: scripts/run-fuzz.sh BUILD SECONDS
set -euo pipefail

build=$(cd "$1" && pwd)
seconds=$2
root=$(cd "$(dirname "$0")/.." && pwd)

shopt -s nullglob
targets=("$build"/tests/fuzz/fuzz_*)
if [ ${#targets[@]} -eq 0 ]; then
  echo "fuzz: no targets in $build/tests/fuzz" >&2
  exit 1
fi

for bin in "${targets[@]}"; do
  [ -f "$bin" ] && [ -x "$bin" ] || continue
  target=$(basename "$bin")
  name=${target#fuzz_}
  work="$build/fuzz-corpus/$name"
  findings="$build/fuzz-findings/$name"
  log="$build/fuzz-logs/$name.log"
  mkdir -p "$work" "$findings" "$(dirname "$log")"
  dirs=("$work")
  [ -d "$root/tests/fuzz/corpus/$name" ] && dirs+=("$root/tests/fuzz/corpus/$name")
  echo "== $target: ${seconds}s"
  if ! (cd "$findings" && "$bin" -max_total_time="$seconds" -timeout=30 -print_final_stats=1 \
          -artifact_prefix="$findings/" "${dirs[@]}" >"$log" 2>&1); then
    tail -n 60 "$log"
    echo "fuzz: $target found a fault; input kept in $findings/ (log $log)." >&2
    echo "fuzz: reproduce with: $bin $findings/<file>" >&2
    exit 1
  fi
  grep -E "^(Done|#[0-9]+ +DONE)|stat::number_of_executed_units" "$log" | tail -n 2 || true
done
