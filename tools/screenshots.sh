#!/usr/bin/env bash
# Pictures of Orvex's windows on the demo install tree, taken under Xvfb:
# the frame with the generator window at start, after choosing a form and a
# file, the message of a review with errors, and the report viewer; then
# Setup's two windows (frmMain, frmInstalad before and after installing into
# a throw-away drive that also stands in for the home folder); then the
# form-1832 editor at start (the demo validator's findings listed, their
# fields and lines coloured), maximised (every section in view), with a donor
# line being typed, after a click on a finding, and with the colour legend.
#   bash tools/screenshots.sh [OUTPUT_FOLDER]   (default build/screenshots)
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
out=$(mkdir -p "${1:-build/screenshots}" && cd "${1:-build/screenshots}" && pwd)
build=build/release
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target orvex-capturas setup-capturas setup_folder \
  pelmo-capturas pelmo vexal
# The components are registered in a file of the picture drive's own.
mkdir -p build/screenshots-drive
export ORVEX_COMPONENTS=$PWD/build/screenshots-drive.components
install=$(bash tools/layout_demo.sh "$build" build/screenshots-drive)
rm -f "$out"/*.png
setup_drive="$PWD/build/screenshots-setup"
rm -rf "$setup_drive" && mkdir -p "$setup_drive"
# A small window manager draws the windows' title bars.
twmrc=$(mktemp)
printf '%s\n' 'UsePPosition "on"' RandomPlacement NoGrabServer DecorateTransients 'TitleFont "fixed"' \
  'ResizeFont "fixed"' 'MenuFont "fixed"' 'IconFont "fixed"' 'IconManagerFont "fixed"' > "$twmrc"
xvfb-run -a -s "-screen 0 1280x900x24" bash -c '
  LC_ALL=C twm -f "$4" >/dev/null 2>&1 &
  sleep 1
  "$0" --install "$1" --declaracion "$2" --salida "$3"
  "$5/bin/setup-capturas" --setup "$5/setup-folder" --unidad "$6" --salida "$3"
  "$5/bin/pelmo-capturas" --install "$1" --salida "$3"' \
  "$build/bin/orvex-capturas" "$install" "$PWD/demo/samples/F1879_con_errores.txt" "$out" "$twmrc" \
  "$PWD/$build" "$setup_drive"
rm -f "$twmrc"
