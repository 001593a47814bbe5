#!/usr/bin/env python3
"""Writes issnok.txt, the source list of the issn.dat shipped with UpKavel: invented periodical
codes with ISSNs (valid check digits) and CN numbers, one record a line (CP936, CR LF):
code in columns 1-10, ISSN in 11-19, columns 20-23 blank, CN in 24-35.

The list is made up here from a fixed seed, so it is the same on every run. It holds the codes
that the test databases subscribe to (1-001 to 1-019, 2-101 to 2-104).
Usage: make_issnok.py OUTPUT"""
import random
import sys

REGIONS = [11, 12, 13, 14, 15, 21, 22, 23, 31, 32, 33, 34, 35, 36, 37, 41, 42, 43, 44, 45, 46,
           50, 51, 52, 53, 61, 62, 63, 64, 65]
CLASSES = ["G2", "G4", "G0", "G8", "I2", "I0", "K", "R", "TP", "TN", "F8", "F4", "D", "C", "O1",
           "Q", "TS", "U", "J2", "H3", "Z", "N", "S", "TU", "X"]
LONG_CLASSES = ["F832", "TP31", "G252", "R197", "TN91"]  # CN of the full twelve characters


def issn(rng, used):
    while True:
        digits = [rng.randrange(10) for _ in range(7)]
        if digits[0] == 0:
            continue
        total = sum(d * w for d, w in zip(digits, range(8, 1, -1)))
        check = (11 - total % 11) % 11
        text = "".join(map(str, digits[:4])) + "-" + "".join(map(str, digits[4:])) + \
            ("X" if check == 10 else str(check))
        if text not in used:
            used.add(text)
            return text


def cn(rng, used):
    while True:
        region = rng.choice(REGIONS)
        number = rng.randrange(1000, 10000)
        kind = rng.choice(LONG_CLASSES) if rng.random() < 0.04 else rng.choice(CLASSES)
        text = f"{region}-{number}/{kind}"
        if text not in used:
            used.add(text)
            return text


def main():
    rng = random.Random(20170109)
    codes = [f"1-{n:03d}" for n in range(1, 201)] + [f"2-{n:03d}" for n in range(1, 151)] + \
        [f"3-{n:03d}" for n in range(1, 61)] + [f"K-{n:03d}" for n in range(1, 13)]
    used_issn, used_cn = set(), set()
    lines = []
    for code in codes:
        number = issn(rng, used_issn) if rng.random() > 0.02 else ""
        cn_number = cn(rng, used_cn) if rng.random() > 0.05 else ""
        lines.append(f"{code:<10}{number:<9}    {cn_number}".rstrip().ljust(20))
    with open(sys.argv[1], "wb") as out:
        for line in lines:
            out.write(line.encode("cp936") + b"\r\n")


if __name__ == "__main__":
    main()
