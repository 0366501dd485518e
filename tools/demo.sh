#!/usr/bin/env bash
# Installs what is missing, builds the tool set, lays out the demo install tree
# under build/demo and runs the main job on the shipped sample declarations.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh

build=build/release
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"

# The demo drive: Setup installs Orvex18 into build/demo from the build's
# setup folder, as a user installs it; GEN_2018 appears beside it.
install=$(bash tools/layout_demo.sh "$build" build/demo)
bash tools/run_demo_job.sh "$install" demo/samples
