#!/usr/bin/env bash
# Builds the fuzzers with clang (libFuzzer + ASan + UBSan) and runs each for a
# while (default 60 seconds). Crashes land in build/fuzz-findings.
#   bash tools/fuzz.sh [SECONDS] [FUZZER ...]
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
seconds=${1:-60}; shift || true
build=build/fuzz
cmake --preset fuzz >/dev/null
fuzzers=("$@")
[ ${#fuzzers[@]} -gt 0 ] || fuzzers=(text catalogo revision sha0 pares xlsx)
cmake --build --preset fuzz -j "$(nproc)" --target "${fuzzers[@]/#/fuzz_}"
mkdir -p build/fuzz-findings
for f in "${fuzzers[@]}"; do
  corpus="build/fuzz-corpus/$f"
  mkdir -p "$corpus"
  echo "== fuzz_$f for ${seconds}s =="
  "$build/bin/fuzz_$f" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
    -artifact_prefix=build/fuzz-findings/"$f"- "$corpus" 2>&1 | tail -3
done
