#!/bin/sh
# Builds the Debian package from a build tree into a temporary folder and
# checks what it holds and what it depends on.
#   package_test.sh CPACK BUILD_DIR
set -eu
cpack=$1 build=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 ||
  { cat "$out/cpack.log"; exit 1; }
deb=$(ls "$out"/orvex_*.deb)
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in setup regsvr32 orvex orvex-cli liborvex_components.so libsigmar32.so libKvario3.so \
         libTolvan.so Orvex18.desktop 7z Sistema/FORMATOSDJ.TXT; do
  echo "$contents" | grep -qx "./usr/lib/orvex/setup/$f" || { echo "missing $f"; exit 1; }
done
echo "$contents" | grep -qx "./usr/share/applications/instalar-orvex.desktop" ||
  { echo "missing the menu entry"; exit 1; }
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/applications/instalar-orvex.desktop |
  grep -qx 'Exec=/usr/lib/orvex/setup/setup' || { echo "menu entry does not start setup"; exit 1; }
depends=$(dpkg-deb -f "$deb" Depends)
for d in 7zip libqt6widgets6 libxlsxwriter libzip libpugixml; do
  case "$depends" in *"$d"*) ;; *) echo "Depends lacks $d: $depends"; exit 1 ;; esac
done
echo "ok: $deb"
