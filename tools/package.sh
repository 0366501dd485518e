#!/usr/bin/env bash
# Builds the Debian package of the set-up medium from the release build and
# checks it with lintian. Prints the package's path.
#   bash tools/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" >&2
(cd "$build" && cpack -G DEB >&2)
deb=$(ls "$PWD/$build"/orvex_*.deb)
lintian --fail-on error,warning "$deb" >&2
echo "$deb"
