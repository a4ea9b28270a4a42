#!/usr/bin/env python3
"""Makes a realistic folder tree for the scan benchmark.

    make_tree.py TARGET [--entries N] [--seed S]

TARGET is created (it must not exist yet) and filled with about N entries (default 300,000):
folders several levels deep, files with short and long names, blanks, several dots, 8.3-valid
names and names that need an alternate, some hidden ones, sizes from empty to a few megabytes
(sparse, so the tree costs little disk). The same seed always gives the same tree.
"""

import argparse
import os
import random
import sys

WORDS = (
    "annual report letter invoice photo holiday summer backup draft final notes budget "
    "project meeting minutes readme makefile config data archive music video scan print "
    "customer order sales tax 1996 2000 2024 copy old new temp test build source include "
    "Zürich café résumé naïve straße"
).split()
EXTENSIONS = ["txt", "doc", "docx", "pdf", "jpg", "jpeg", "png", "c", "h", "cpp", "tar.gz", "tar.bz2",
              "zek", "mp3", "html", "json", "backup.old", "", "TXT", "DOC"]


def file_name(rng, taken):
    while True:
        kind = rng.random()
        if kind < 0.25:
            # 8.3-valid names in either case: no alternate.
            base = rng.choice(WORDS)[:8].upper() if rng.random() < 0.5 else rng.choice(WORDS)[:8]
            ext = rng.choice(["TXT", "DOC", "C", "H", "txt", "bat", ""])
        elif kind < 0.85:
            # Long names with blanks and several dots.
            count = rng.randint(1, 6)
            sep = rng.choice([" ", " ", "_", "-", ".", ""])
            base = sep.join(rng.choice(WORDS) for _ in range(count))
            if rng.random() < 0.3:
                base += " (%d)" % rng.randint(1, 99)
            ext = rng.choice(EXTENSIONS)
        else:
            # Very long names, and hidden ones.
            base = " ".join(rng.choice(WORDS) for _ in range(rng.randint(8, 20)))[:200]
            if rng.random() < 0.4:
                base = "." + base
            ext = rng.choice(EXTENSIONS)
        name = base + ("." + ext if ext else "")
        name = name.strip() or "x"
        if len(name.encode()) > 250:
            name = name.encode()[:250].decode(errors="ignore")
        if name not in taken:
            taken.add(name)
            return name


def folder_name(rng, taken):
    while True:
        if rng.random() < 0.4:
            name = rng.choice(WORDS)[:8].upper()
        else:
            name = " ".join(rng.choice(WORDS) for _ in range(rng.randint(1, 4)))
            if rng.random() < 0.2:
                name += ".d"
        if rng.random() < 0.3:
            name += " %d" % rng.randint(1, 999)
        if name not in taken:
            taken.add(name)
            return name


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("target")
    parser.add_argument("--entries", type=int, default=300_000)
    parser.add_argument("--seed", type=int, default=1996)
    args = parser.parse_args()

    rng = random.Random(args.seed)
    os.mkdir(args.target)
    made = 0
    # Breadth-first growth: each folder gets a handful of subfolders and a spread of files, so the
    # tree is wide near the top and ten or more levels deep in places.
    queue = [(args.target, 0)]
    head = 0
    while made < args.entries:
        if head >= len(queue):
            # Every folder is filled and entries are still wanted: start another branch at the top.
            queue.append((os.path.join(args.target, "more %d" % made), 0))
            os.mkdir(queue[-1][0])
            made += 1
        folder, depth = queue[head]
        head += 1
        taken = set()
        subfolders = rng.choice([0, 0, 1, 2, 3, 4, 6]) if depth < 14 else 0
        if depth < 2:
            subfolders += 4
        for _ in range(subfolders):
            if made >= args.entries:
                break
            path = os.path.join(folder, folder_name(rng, taken))
            os.mkdir(path)
            queue.append((path, depth + 1))
            made += 1
        files = int(rng.expovariate(1 / 14))
        for _ in range(files):
            if made >= args.entries:
                break
            path = os.path.join(folder, file_name(rng, taken))
            with open(path, "wb") as f:
                r = rng.random()
                if r < 0.3:
                    pass
                elif r < 0.9:
                    f.write(b"x" * rng.randint(1, 2000))
                else:
                    f.truncate(rng.randint(10_000, 5_000_000))
            made += 1
    folders = len(queue)
    print("made %d entries (%d folders) under %s" % (made, folders, args.target), file=sys.stderr)


if __name__ == "__main__":
    main()
