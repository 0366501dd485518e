#!/usr/bin/env bash
# Pictures of Orvex's windows on the demo install tree, taken under Xvfb:
# the frame with the generator window at start, after choosing a form and a
# file, the message of a review with errors, and the report viewer.
#   bash tools/screenshots.sh [OUTPUT_FOLDER]   (default build/screenshots)
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
out=$(mkdir -p "${1:-build/screenshots}" && cd "${1:-build/screenshots}" && pwd)
build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" --target orvex-capturas orvex sigmar32
install=$(bash tools/layout_demo.sh "$build" build/screenshots-drive)
rm -f "$out"/*.png
xvfb-run -a -s "-screen 0 1280x900x24" "$build/bin/orvex-capturas" \
  --install "$install" --declaracion "$PWD/demo/samples/F1879_con_errores.txt" --salida "$out"
