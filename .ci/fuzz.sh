#!/usr/bin/env bash
# Builds the libFuzzer harnesses and runs each for a while over the committed corpus. Any finding
# (crash, sanitizer report, leak, live counts that do not come back) makes libFuzzer exit non-zero
# and fails the run. New corpus entries go to a scratch directory, never into the repository.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${KRO_FUZZ_SECONDS:-60}"
cmake --preset fuzz
cmake --build --preset fuzz
work="$(pwd)/build/fuzz/run"
rm -rf "$work"
for pair in DocumentFile:document_file RepBinding:rep_binding ApiSequence:api_sequence; do
  harness="${pair%%:*}"
  corpus="${pair##*:}"
  mkdir -p "$work/$corpus" "$work/artifacts"
  echo "fuzzing $harness for ${seconds}s"
  "./build/fuzz/fuzz/KROFuzz$harness" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$work/artifacts/$harness-" "$work/$corpus" "fuzz/corpus/$corpus" \
    2>"$work/$harness.log" || { tail -n 60 "$work/$harness.log"; exit 1; }
  grep -E "stat::number_of_executed_units" "$work/$harness.log" || true
done
