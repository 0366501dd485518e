#!/usr/bin/env bash
# Pictures of Orvex's windows on the demo install tree, taken under Xvfb:
# the frame with the generator window at start, after choosing a form and a
# file, the message of a review with errors, and the report viewer; then the
# form-1832 editor at start, maximised (every section in view) and with a
# donor line being typed.
#   bash tools/screenshots.sh [OUTPUT_FOLDER]   (default build/screenshots)
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
out=$(mkdir -p "${1:-build/screenshots}" && cd "${1:-build/screenshots}" && pwd)
build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" --target orvex-capturas orvex sigmar32 \
  pelmo-capturas pelmo kvario3 regsvr32
# The editor's data component is registered in a file of the picture drive's own.
mkdir -p build/screenshots-drive
export ORVEX_COMPONENTS=$PWD/build/screenshots-drive.components
install=$(bash tools/layout_demo.sh "$build" build/screenshots-drive)
rm -f "$out"/*.png
# A small window manager draws the windows' title bars.
twmrc=$(mktemp)
printf '%s\n' 'UsePPosition "on"' RandomPlacement NoGrabServer DecorateTransients 'TitleFont "fixed"' \
  'ResizeFont "fixed"' 'MenuFont "fixed"' 'IconFont "fixed"' 'IconManagerFont "fixed"' > "$twmrc"
xvfb-run -a -s "-screen 0 1280x900x24" bash -c '
  LC_ALL=C twm -f "$4" >/dev/null 2>&1 &
  sleep 1
  "$0" --install "$1" --declaracion "$2" --salida "$3"
  "$1/pelmo-capturas" --install "$1" --salida "$3"' \
  "$build/bin/orvex-capturas" "$install" "$PWD/demo/samples/F1879_con_errores.txt" "$out" "$twmrc"
rm -f "$twmrc"
