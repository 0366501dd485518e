#!/usr/bin/env bash
# Installs what is missing, builds the tool set, lays out the demo install tree
# under build/demo and runs the main job on the shipped sample declarations.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)"

# The demo drive: build/demo holds the install folder Orvex18 (programs, libraries,
# catalogue) and receives GEN_2018 beside it, as a real installation would.
drive=build/demo
install="$drive/Orvex18"
rm -rf "$drive"
mkdir -p "$drive"
cp -r demo/Orvex18 "$install"
find "$build/bin" -maxdepth 1 -type f \( -perm -u+x -o -name '*.so' \) -exec cp {} "$install/" \;
ln -sf "$(command -v 7zz)" "$install/7z"

bash tools/run_demo_job.sh "$install" demo/samples
