#!/usr/bin/env python3
"""Makes the duplicate search's benchmark tree, natively (Wine would take
many times as long).

100,000 files in 1,000 folders (10 x 100). Sizes run from 1 KiB to 1 MiB,
skewed to small files: 1 KiB * 2**(10 * u**3), u uniform, which makes
about 5.7 GB, small enough to stay in the page cache between runs (1 KiB to
1 MiB log-uniform would be about 15 GB, uniform about 50 GB). A fifth of
the files are duplicates: 500 groups of ten and 15,500 pairs. 2,000 files
have the size and bytes of another but its last byte. Four files of 64 MiB:
two equal, one with another last byte, one alone.

Usage: bench/make_dupe_tree.py TREE   (TREE must not exist)
"""
import os
import random
import sys

FILES = 100_000
GROUPS_OF_TEN = 500
PAIRS = 15_500
NEAR_TWINS = 2_000
BIG = 64 << 20


def size_of(rng):
    return int(1024 * 2 ** (10 * rng.random() ** 3))


def main(tree):
    if os.path.exists(tree):
        sys.exit("%s exists; delete it first or reuse it" % tree)
    rng = random.Random(20261207)
    folders = [os.path.join(tree, "d%02d" % a, "e%03d" % b) for a in range(10) for b in range(100)]
    for f in folders:
        os.makedirs(f)
    counter = [0]

    def put(data):
        n = counter[0]
        counter[0] += 1
        path = os.path.join(folders[rng.randrange(len(folders))], "f%06d.bin" % n)
        with open(path, "wb") as out:
            out.write(data)

    copies = GROUPS_OF_TEN * 9 + PAIRS
    originals = GROUPS_OF_TEN + PAIRS
    alone = FILES - copies - originals - NEAR_TWINS - 4
    for _ in range(GROUPS_OF_TEN):
        data = os.urandom(size_of(rng))
        for _ in range(10):
            put(data)
    for _ in range(PAIRS):
        data = os.urandom(size_of(rng))
        put(data)
        put(data)
    for _ in range(NEAR_TWINS):
        data = os.urandom(size_of(rng))
        put(data)
        put(data[:-1] + bytes([data[-1] ^ 1]))
    for _ in range(alone - NEAR_TWINS):
        put(os.urandom(size_of(rng)))
    big = os.urandom(BIG)
    put(big)
    put(big)
    put(big[:-1] + bytes([big[-1] ^ 1]))
    put(os.urandom(BIG))
    print("%d files in %s" % (counter[0], tree))


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])
