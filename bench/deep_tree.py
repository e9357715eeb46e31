#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Counts a pathologically deep tree: 4,096 nested folders, each name 255 characters, one
file at the bottom, so the deepest path is a megabyte long. Times brambleton-count against
GNU find on the same tree and prints both peak memories (GNU time) and the ratio of times.
The target: the counter's peak stays well under 100 MB, linear in the path's length.

The tree is made and removed through descriptors (mkdir and open relative to the parent),
since its paths are far longer than a path any single call takes.
"""
import argparse
import json
import os
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def make_deep_tree(root, levels, name_length):
    fd = os.open(root, os.O_RDONLY | os.O_DIRECTORY)
    try:
        for level in range(levels):
            name = (str(level) + "_").ljust(name_length, "x")
            os.mkdir(name, dir_fd=fd)
            child = os.open(name, os.O_RDONLY | os.O_DIRECTORY, dir_fd=fd)
            os.close(fd)
            fd = child
        os.close(os.open("bottom.iff", os.O_WRONLY | os.O_CREAT, 0o644, dir_fd=fd))
    finally:
        os.close(fd)


def remove_tree(root):
    """Removes a tree of any depth, one descriptor a level, without recursion."""
    stack, names = [os.open(root, os.O_RDONLY | os.O_DIRECTORY)], [None]
    while stack:
        fd = stack[-1]
        with os.scandir(fd) as it:
            entries = list(it)
        sub = next((e for e in entries if e.is_dir(follow_symlinks=False)), None)
        if sub:
            stack.append(os.open(sub.name, os.O_RDONLY | os.O_DIRECTORY | os.O_NOFOLLOW,
                                 dir_fd=fd))
            names.append(sub.name)
            continue
        for entry in entries:
            os.unlink(entry.name, dir_fd=fd)
        os.close(stack.pop())
        name = names.pop()
        if stack:
            os.rmdir(name, dir_fd=stack[-1])
    os.rmdir(root)


def measured(cmd):
    """Wall time and peak resident memory (KiB) of one run, and its standard output."""
    start = time.perf_counter()
    proc = subprocess.run(["/usr/bin/time", "-f", "%M", *cmd], stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE)
    elapsed = time.perf_counter() - start
    peak = int(proc.stderr.decode().split()[-1])
    return elapsed, peak, proc.stdout.decode()


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--counter", default=os.path.join(HERE, "..", "build", "release", "src",
                                                       "app", "brambleton-count"))
    ap.add_argument("--levels", type=int, default=4096)
    ap.add_argument("--name-length", type=int, default=255)
    args = ap.parse_args()

    work = tempfile.mkdtemp(prefix="brambleton-deep-")
    try:
        make_deep_tree(work, args.levels, args.name_length)
        ours_time, ours_peak, out = measured([args.counter, "--json", work, "*.IFF"])
        totals = json.loads(out)
        find_time, find_peak, found = measured(["find", work, "-name", "*.iff"])
        print(f"tree: {args.levels} folders deep, names of {args.name_length} characters")
        print(f"brambleton-count: {ours_time:.2f} s, peak {ours_peak / 1024:.1f} MB, "
              f"{totals['files']} file, {totals['folders']} folders")
        print(f"find:             {find_time:.2f} s, peak {find_peak / 1024:.1f} MB, "
              f"{len(found.splitlines())} file")
        print(f"ratio (ours / find): time {ours_time / find_time:.2f}, "
              f"memory {ours_peak / find_peak:.2f}")
        if totals["files"] != 1 or totals["folders"] != args.levels:
            print("MISMATCH: the counter did not count the whole tree")
            return 1
        return 0
    finally:
        remove_tree(work)


if __name__ == "__main__":
    sys.exit(main())
