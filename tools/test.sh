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

# Configure, build and test one preset of CMakePresets.json.
jobs=$(nproc)
run_suite() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1" -j "$jobs"
  ctest --preset "$1" -j "$jobs"
}

echo "== plain build =="
run_suite release
echo "== sanitizer build (ASan + UBSan) =="
run_suite sanitize
