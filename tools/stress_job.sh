#!/usr/bin/env bash
# Concurrent runs of orvex-cli on one install tree: in each round, 8 runs on
# one RUT (8 different declarations) and 8 runs on 8 different RUTs, all at
# once. Checks that every archive that exists holds exactly one upload file,
# whose stamp verifies and whose body equals one of the declarations of its
# RUT, and that every run that said "Se ha Generado" left such an archive at
# the end of its own run. Long: not part of the test suite.
#
#   tools/stress_job.sh [BUILD_DIR [ROUNDS]]     (default build/release, 20)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build/release}" && pwd)
rounds=${2:-20}
bin="$build/bin"
sevenzip=$(command -v 7zz)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
drive="$work/drive"
install="$drive/Orvex18"
mkdir -p "$drive" "$work/in" "$work/snap"
cp -r "$here/demo/Orvex18" "$install"
ln -s "$sevenzip" "$install/7z"
cp "$bin/libsigmar32.so" "$install/"

# The declarations: same_K rotate the informados of the sample (same RUT,
# different bodies); diff_K carry RUT 3000000K.
python3 - "$here/demo/samples/F1879_correcta.txt" "$work/in" <<'PY'
import sys
src, out = sys.argv[1], sys.argv[2]
lines = open(src, 'rb').read().split(b'\r\n')
if lines[-1] == b'':
    lines.pop()
t1 = [l for l in lines if l[:1] == b'1']
t2 = [l for l in lines if l[:1] == b'2']
t3 = [l for l in lines if l[:1] == b'3']
for k in range(8):
    r = t2[k % len(t2):] + t2[:k % len(t2)]
    body = t1 + r + t3
    if k >= len(t2):
        body = t1 + r[::-1] + t3
    open(f'{out}/same_{k}.txt', 'wb').write(b'\r\n'.join(body) + b'\r\n')
    new = f'3000000{k}5'.encode()
    diff = [l.replace(b'123456785', new) for l in t1 + t2 + t3]
    open(f'{out}/diff_{k}.txt', 'wb').write(b'\r\n'.join(diff) + b'\r\n')
PY

# check ARCHIVE RUT: one entry named RUT.879, stamp verifies, body is one of
# the declarations of that RUT.
check() {
    local archive=$1 rut=$2 dir
    dir=$(mktemp -d "$work/x.XXXXXX")
    if ! "$sevenzip" e -y -o"$dir" "$archive" > /dev/null 2>&1; then
        echo "FAIL: $archive cannot be extracted"; rm -rf "$dir"; return 1
    fi
    local names
    names=$(ls -A "$dir")
    if [ "$names" != "$rut.879" ]; then
        echo "FAIL: $archive holds [$names]"; rm -rf "$dir"; return 1
    fi
    if ! "$bin/sigmar-stamp" --verify "$dir/$rut.879" > /dev/null 2>&1; then
        echo "FAIL: stamp of $archive does not verify"; rm -rf "$dir"; return 1
    fi
    if ! python3 - "$dir/$rut.879" "$work/in" "$rut" <<'PY'
import sys, glob
up, indir, rut = sys.argv[1], sys.argv[2], sys.argv[3]
body = open(up, 'rb').read().split(b'\r\n', 1)[1]
pat = 'same_*.txt' if rut == '12345678' else f'diff_{rut[-1]}.txt'
sys.exit(0 if any(open(f, 'rb').read() == body for f in glob.glob(f'{indir}/{pat}')) else 1)
PY
    then
        echo "FAIL: body in $archive is none of the declarations"; rm -rf "$dir"; return 1
    fi
    rm -rf "$dir"
}

# run NAME RUT: one job; when it says "Se ha Generado", its archive is taken
# at once (rename makes it whole, whichever run's it is) and checked.
run() {
    local name=$1 rut=$2 out="$work/out_$1.txt" status=0
    "$bin/orvex-cli" --install "$install" --form 1879 --year 2018 "$work/in/$name.txt" \
        > "$out" 2>&1 || status=$?
    if grep -q "Se ha Generado" "$out"; then
        if ! cp "$drive/GEN_2018/zip/$rut.zip" "$work/snap/$name.zip" 2> /dev/null; then
            echo "FAIL: $name said \"Se ha Generado\" and left no archive"; return 1
        fi
        check "$work/snap/$name.zip" "$rut" || return 1
        [ "$status" -eq 0 ] || { echo "FAIL: $name generated with exit $status"; return 1; }
    else
        echo "NOTE: $name ended with exit $status without an archive:"; cat "$out"
        return 1
    fi
}

failures=0
generated=0
for round in $(seq 1 "$rounds"); do
    rm -rf "$drive/GEN_2018" "$work/snap"/*
    pids=()
    for k in 0 1 2 3 4 5 6 7; do
        run "same_$k" 12345678 & pids+=($!)
        run "diff_$k" "3000000$k" & pids+=($!)
    done
    for p in "${pids[@]}"; do wait "$p" || failures=$((failures + 1)); done
    generated=$((generated + $(ls "$work/snap" | wc -l)))
    # Every archive left at the end of the round.
    for z in "$drive"/GEN_2018/zip/*.zip; do
        check "$z" "$(basename "$z" .zip)" || failures=$((failures + 1))
    done
    leftovers=$(find "$drive/GEN_2018" -name '.*' -type f | wc -l)
    if [ "$leftovers" -ne 0 ]; then
        echo "FAIL: round $round left temporary files"; failures=$((failures + 1))
    fi
    echo "round $round: $(ls "$drive"/GEN_2018/zip/*.zip | wc -l) archives, failures so far $failures"
done
echo "runs that generated: $generated of $((rounds * 16)); failures: $failures"
[ "$failures" -eq 0 ]
