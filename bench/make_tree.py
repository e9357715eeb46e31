#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Builds a deterministic folder tree shaped like a large custom-content collection.

Mostly .iff files in mixed case, some .flr, .wll, .bmp, .skn and .cmx, backups such as
x.iff.bak, names without a dot and other files. Sizes are made with sparse files, so a big
tree costs inodes, not disk. The same arguments always give the same tree.
"""
import argparse
import os
import random

KINDS = [  # (weight, name maker)
    (55, lambda r, i: f"obj{i}.{r.choice(['iff', 'IFF', 'Iff', 'iFF'])}"),
    (6, lambda r, i: f"floor{i}.{r.choice(['flr', 'FLR'])}"),
    (6, lambda r, i: f"wall{i}.{r.choice(['wll', 'WLL'])}"),
    (8, lambda r, i: f"tex{i}.bmp"),
    (5, lambda r, i: f"skin{i}.skn"),
    (4, lambda r, i: f"mesh{i}.cmx"),
    (4, lambda r, i: f"obj{i}.iff.bak"),
    (4, lambda r, i: f"README{i}"),
    (8, lambda r, i: f"note{i}.{r.choice(['txt', 'jpg', 'zip', 'far'])}"),
]


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("root")
    ap.add_argument("--files", type=int, default=200_000)
    ap.add_argument("--folders", type=int, default=20_000)
    ap.add_argument("--depth", type=int, default=4)
    ap.add_argument("--seed", type=int, default=1)
    args = ap.parse_args()

    rng = random.Random(args.seed)
    weights = [w for w, _ in KINDS]
    makers = [m for _, m in KINDS]

    # Folders: each new folder goes under a random existing folder shallower than --depth.
    folders = [("", 0)]
    for i in range(args.folders):
        parent, level = folders[rng.randrange(len(folders))]
        if level >= args.depth:
            parent, level = "", 0
        name = os.path.join(parent, f"{rng.choice(['Set', 'set', 'Pack', 'CC'])}{i}")
        folders.append((name, level + 1))
    os.makedirs(args.root, exist_ok=True)
    for name, _ in folders[1:]:
        os.makedirs(os.path.join(args.root, name), exist_ok=True)

    for i in range(args.files):
        folder = folders[rng.randrange(len(folders))][0]
        name = rng.choices(makers, weights)[0](rng, i)
        path = os.path.join(args.root, folder, name)
        with open(path, "wb") as f:
            f.truncate(rng.randrange(1_000, 600_000))
    print(f"{args.root}: {args.files} files in {args.folders} folders, depth {args.depth}")


if __name__ == "__main__":
    main()
