#!/usr/bin/env bash
# Installs what is missing, builds the tool set twice (plain, and with
# AddressSanitizer + UndefinedBehaviorSanitizer) and runs the whole test suite in both.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh

if git rev-parse --git-dir >/dev/null 2>&1; then
  echo "== format check =="
  git ls-files -z '*.cpp' '*.hpp' '*.h' | xargs -0 clang-format --dry-run --Werror
fi

jobs=$(nproc)
run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  QT_QPA_PLATFORM=offscreen ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 300
}

echo "== plain build =="
run_suite build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "== sanitizer build (ASan + UBSan) =="
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_suite build/sanitize -DCMAKE_BUILD_TYPE=Debug -DORVEX_SANITIZE=ON -DORVEX_BUILD_BENCH=OFF
