#!/usr/bin/env bash
# Installs the demo drive DRIVE as a user installs it: the setup folder of the
# build BUILD (programs, libraries, 7-Zip and the demo catalogue) is installed
# into DRIVE/Orvex18 with `setup --install-to`, which also registers the
# component libraries (for the user, or in the file ORVEX_COMPONENTS names) and
# writes the "Orvex 2018" desktop and menu entries. Then the demo gets what no
# installation brings: the form-1832 editor `pelmo`, the demonstration
# validator `Vexal`, and the files of demo/Orvex18 (the editor's declarant,
# comunas, folio parameters and a saved declaration), merged into the folders
# Setup made whatever their letter case, as the programs' own resolver does.
# Setup's status texts go to standard error; prints the install folder.
set -euo pipefail
build=$1 drive=$2
root=$(cd "$(dirname "$0")/.." && pwd)
rm -rf "$drive"
mkdir -p "$drive"
cmake --build "$build" --target setup_folder pelmo vexal >/dev/null
"$build/setup-folder/setup" --install-to "$drive" >&2
install=$(cd "$drive/Orvex18" && pwd)

# Copies the entries of folder $1 into folder $2, reusing an entry of $2 whose
# name differs only in letter case.
fusionar() {
  local origen=$1 destino=$2 entrada nombre objetivo
  for entrada in "$origen"/*; do
    nombre=$(basename "$entrada")
    objetivo=$(find "$destino" -mindepth 1 -maxdepth 1 -iname "$nombre" -print -quit)
    [ -n "$objetivo" ] || objetivo="$destino/$nombre"
    if [ -d "$entrada" ]; then
      mkdir -p "$objetivo"
      fusionar "$entrada" "$objetivo"
    else
      cp "$entrada" "$objetivo"
    fi
  done
}
fusionar "$root/demo/Orvex18" "$install"
cp "$build/bin/pelmo" "$build/bin/Vexal" "$install/"
echo "$install"
