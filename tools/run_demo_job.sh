#!/usr/bin/env bash
# Runs the main job on the sample declarations in a laid-out install tree:
# the faulty sample ends with its error report, the clean one with a stamped
# upload file packed into a ZIP archive under GEN_2018 beside the install folder.
set -uo pipefail
install=$(cd "$1" && pwd)
samples=$(cd "$2" && pwd)
cli="$install/orvex-cli"
drive=$(dirname "$install")

"$cli" --install "$install" --list
echo
echo "== Declaración con errores: $samples/F1879_con_errores.txt =="
"$cli" --install "$install" --form 1879 --year 2018 "$samples/F1879_con_errores.txt"
echo "(estado de salida $?: 1 = la declaración tiene errores)"
echo
echo "== Declaración correcta: $samples/F1879_correcta.txt =="
"$cli" --install "$install" --form 1879 --year 2018 "$samples/F1879_correcta.txt"
status=$?
echo "(estado de salida $status: 0 = archivo generado, sellado y comprimido)"
echo
if [ "$status" -ne 0 ]; then
  echo "demo: the clean sample did not produce an upload archive" >&2
  exit 1
fi
echo "== Contenido de GEN_2018 =="
find "$drive/GEN_2018" -type f | sort
for z in "$drive"/GEN_2018/ZIP/*.zip "$drive"/GEN_2018/zip/*.zip; do
  [ -f "$z" ] || continue
  7zz l "$z" | sed -n '/^---/,$p'
done
for f in "$drive"/GEN_2018/Respal/*.879; do
  [ -f "$f" ] || continue
  echo "Registro 0 de $(basename "$f"):"
  head -c 120 "$f"; echo
  "$install/sigmar-stamp" --verify "$f" 2>/dev/null || true
done
echo "histzip.txt:"; cat "$install/histzip.txt" 2>/dev/null | tr -d '\r'
