#!/usr/bin/env bash
# Lays out the demo drive DRIVE with its install folder DRIVE/Orvex18: the
# catalogue of demo/Orvex18 (with the editor's demo declarant and saved
# declaration), the programs and libraries of the build BUILD, and 7z linked
# to the system's 7-Zip; registers Kvario for the user (ORVEX_COMPONENTS names
# another registration file). Prints the install folder.
set -euo pipefail
build=$1 drive=$2
root=$(cd "$(dirname "$0")/.." && pwd)
install="$drive/Orvex18"
rm -rf "$drive"
mkdir -p "$drive"
cp -r "$root/demo/Orvex18" "$install"
find "$build/bin" -maxdepth 1 -type f \( -perm -u+x -o -name '*.so' \) ! -name 'bench_*' -exec cp {} "$install/" \;
ln -sf "$(command -v 7zz)" "$install/7z"
if [ -x "$install/regsvr32" ] && [ -f "$install/libKvario3.so" ]; then
  "$install/regsvr32" /s "$install/libKvario3.so" >&2
fi
cd "$install" && pwd
