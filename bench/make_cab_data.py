#!/usr/bin/env python3
"""Writes the benchmark's mixed data set (about 300 MB) into the folder given: text, structured
binary records, sparse data, incompressible noise and many small files, so the cabinet made from
it exercises dynamic, fixed and stored deflate blocks in realistic proportions. Deterministic:
the same seed always gives the same files."""
import itertools
import os
import random
import struct
import sys

MB = 1 << 20


def sentences(rng):
    """A pool of 100000 lines of made-up words with a Zipf-like word frequency."""
    letters = "etaoinshrdlcumwfgypbvkjxqz"
    weights = [12, 9, 8, 7, 7, 6, 6, 6, 5, 4, 4, 3, 3, 2, 2, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1]
    vocabulary = ["".join(rng.choices(letters, weights, k=rng.randint(1, 10))) for _ in range(5000)]
    cumulative = list(itertools.accumulate(1.0 / (i + 1) for i in range(len(vocabulary))))
    picked = rng.choices(vocabulary, cum_weights=cumulative, k=1_000_000)
    lines = []
    at = 0
    while at < len(picked):
        n = rng.randint(4, 16)
        lines.append(" ".join(picked[at:at + n]) + ".\n")
        at += n
    return lines


def text(rng, lines, size):
    # Lines drawn from the pool: about 12 bytes of output per line drawn.
    return "".join(rng.choices(lines, k=size // 40 + 1)).encode()[:size]


def records(rng, size):
    # A table of little-endian records: an increasing id, a slowly changing value, flags.
    out = bytearray()
    value = 1000
    i = 0
    while len(out) < size:
        value = (value + rng.randint(-3, 3)) & 0xFFFFFFFF
        out += struct.pack("<IIHH", i, value, rng.choice((0, 0, 0, 1, 2)), i & 0xFF)
        i += 1
    return bytes(out[:size])


def sparse(rng, size):
    out = bytearray(size)
    for _ in range(size // 64):
        out[rng.randrange(size)] = rng.randrange(256)
    return bytes(out)


def main():
    if len(sys.argv) != 2 or sys.argv[1].startswith("-"):
        sys.exit("usage: make_cab_data.py FOLDER  (writes about 300 MB of mixed benchmark data into FOLDER)")
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    rng = random.Random(20260101)
    lines = sentences(rng)
    files = []
    for i in range(60):
        files.append((f"text{i:02}.txt", lambda: text(rng, lines, 5 * MB // 2)))
    for i in range(20):
        files.append((f"table{i:02}.bin", lambda: records(rng, 3 * MB)))
    for i in range(10):
        files.append((f"sparse{i:02}.bin", lambda: sparse(rng, 3 * MB)))
    for i in range(10):
        files.append((f"noise{i:02}.bin", lambda: rng.randbytes(3 * MB)))
    for i in range(1000):
        kind = i % 4
        size = rng.randrange(64 * 1024)
        maker = [lambda s=size: text(rng, lines, s), lambda s=size: records(rng, s),
                 lambda s=size: sparse(rng, s), lambda s=size: rng.randbytes(s)][kind]
        files.append((f"small{i:04}.dat", maker))
    for name, make in files:
        with open(os.path.join(folder, name), "wb") as f:
            f.write(make())


if __name__ == "__main__":
    main()
