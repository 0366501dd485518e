#!/usr/bin/env bash
# Installs the demo drive DRIVE as a user installs it: the setup folder of the
# build BUILD (programs, libraries, 7-Zip and the demo catalogue) is installed
# into DRIVE/Orvex18 with `setup --install-to`, which also registers the
# component libraries and writes the "Orvex 2018" desktop and menu entries.
# Setup's status texts go to standard error; prints the install folder.
set -euo pipefail
build=$1 drive=$2
rm -rf "$drive"
mkdir -p "$drive"
cmake --build "$build" --target setup_folder >/dev/null
"$build/setup-folder/setup" --install-to "$drive" >&2
cd "$drive/Orvex18" && pwd
