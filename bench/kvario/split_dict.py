"""Reference for bench_kvario: splits a data file on "&" and "=" into a dict
and writes it back, the way a short script would. Prints its own time.

usage: split_dict.py DATA_FILE OUTPUT_FILE TIME_FILE
"""

import sys
import time


def main(source, target, time_file):
    start = time.perf_counter()
    with open(source, "rb") as f:
        data = f.read()
    pairs = {}
    for segment in data.split(b"&"):
        key, sep, value = segment.partition(b"=")
        if sep and key not in pairs:
            pairs[key] = value
    with open(target, "wb") as f:
        f.write(b"".join(k + b"=" + v + b"&" for k, v in pairs.items()))
    elapsed = time.perf_counter() - start
    with open(time_file, "w") as f:
        f.write("%.6f\n" % elapsed)


if __name__ == "__main__":
    main(*sys.argv[1:4])
