#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Times brambleton-count against GNU find doing the same job on the same warm tree.

find's job is two pipelines: the sizes of the *.iff files summed with awk, and the folders
counted with wc. Prints both best-of-N times, the ratio (ours / find; the target is at most
0.6), and the counter's peak memory (GNU time, Debian package "time").
"""
import argparse
import json
import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def timed(cmd, shell=False):
    start = time.perf_counter()
    proc = subprocess.Popen(cmd, shell=shell, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    out, _ = proc.communicate()
    return time.perf_counter() - start, out.decode(), proc.returncode


def peak_rss_kib(cmd):
    # GNU time measures from a small parent; a child forked from Python would report
    # Python's own memory as its peak.
    out = subprocess.run(["/usr/bin/time", "-f", "%M", *cmd], stdout=subprocess.DEVNULL,
                         stderr=subprocess.PIPE, check=True).stderr.decode()
    return int(out.split()[-1])


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--counter", default=os.path.join(HERE, "..", "build", "release", "src",
                                                       "app", "brambleton-count"))
    ap.add_argument("--tree", default="/tmp/brambleton-bench-tree")
    ap.add_argument("--files", type=int, default=200_000)
    ap.add_argument("--folders", type=int, default=20_000)
    ap.add_argument("--runs", type=int, default=7)
    args = ap.parse_args()

    if not os.path.isdir(args.tree):
        subprocess.run([sys.executable, os.path.join(HERE, "make_tree.py"), args.tree,
                        "--files", str(args.files), "--folders", str(args.folders)], check=True)

    ours_cmd = [args.counter, "--json", args.tree, "*.IFF"]
    find_cmd = (f"find '{args.tree}' -type f -iname '*.iff' -printf '%s\\n' | "
                f"awk '{{s += $1}} END {{printf \"%.0f\\n\", s}}'; "
                f"find '{args.tree}' -type d | wc -l")

    # Warm the cache, and check that both tell the same totals.
    _, ours_out, _ = timed(ours_cmd)
    _, find_out, _ = timed(find_cmd, shell=True)
    ours = json.loads(ours_out)
    find_bytes, find_dirs = (int(x) for x in find_out.split())
    if ours["bytes"] != find_bytes or ours["folders"] != find_dirs - 1:
        print(f"MISMATCH: counter {ours}, find bytes {find_bytes} folders {find_dirs - 1}")
        return 1

    best_ours = min(timed(ours_cmd)[0] for _ in range(args.runs))
    best_find = min(timed(find_cmd, shell=True)[0] for _ in range(args.runs))
    rss = peak_rss_kib(ours_cmd)
    print(f"tree: {args.tree} ({ours['files']} matching files, {ours['folders']} folders)")
    print(f"brambleton-count: {best_ours * 1000:.1f} ms   find+awk: {best_find * 1000:.1f} ms")
    print(f"ratio: {best_ours / best_find:.3f} (target <= 0.6)")
    print(f"peak memory: {rss / 1024:.1f} MiB")
    return 0


if __name__ == "__main__":
    sys.exit(main())
