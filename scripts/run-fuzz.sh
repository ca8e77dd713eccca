#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for a short while from its checked-in seed corpus.
# Usage: scripts/run-fuzz.sh <builddir> <seconds per target>
# New inputs go to a scratch directory, so the checked-in corpus changes only by hand. A crash
# leaves its input under <builddir>/fuzz-artifacts/<target>/ and fails the run: fix the fault, then
# add the input to fuzz/corpus/<target>/.
set -euo pipefail

if [ "$#" -ne 2 ]; then
  echo "usage: $0 <builddir> <seconds>" >&2
  exit 2
fi
builddir=$1
seconds=$2
root=$(cd "$(dirname "$0")/.." && pwd)

shopt -s nullglob
targets=("$builddir"/fuzz/fuzz_*)
if [ "${#targets[@]}" -eq 0 ]; then
  echo "run-fuzz: no fuzz targets in $builddir/fuzz" >&2
  exit 1
fi

failed=()
for bin in "${targets[@]}"; do
  [ -x "$bin" ] && [ -f "$bin" ] || continue
  name=$(basename "$bin")
  name=${name#fuzz_}
  seeds="$root/fuzz/corpus/$name"
  scratch="$builddir/fuzz-corpus/$name"
  artifacts="$builddir/fuzz-artifacts/$name"
  mkdir -p "$scratch" "$artifacts"
  [ -d "$seeds" ] || { echo "run-fuzz: no seed corpus for $name ($seeds)" >&2; failed+=("$name"); continue; }
  echo "run-fuzz: $name for ${seconds}s"
  if ! ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
      "$bin" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
      -print_final_stats=1 -artifact_prefix="$artifacts/" "$scratch" "$seeds"; then
    echo "run-fuzz: $name FAILED; inputs in $artifacts" >&2
    failed+=("$name")
  fi
done

if [ "${#failed[@]}" -ne 0 ]; then
  echo "run-fuzz: failures: ${failed[*]}" >&2
  exit 1
fi
echo "run-fuzz: all targets ran clean"
