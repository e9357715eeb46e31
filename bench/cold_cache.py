#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Times brambleton-count on a cold cache, as a player's first count of the day meets it.

Before every cold run the page cache, dentries and inodes are dropped
(/proc/sys/vm/drop_caches, which needs root). The tools take turns, run after run, so that
a slow spell of the disk falls on all of them:

  brambleton-count DIR '*.IFF'            with its read-ahead (the default)
  brambleton-count --sequential DIR ...   one folder at a time, as before the read-ahead
  fdfind -u -j 4 -t f -e iff -S +0b       fd with 4 threads, the same work (sizes the matches)
  fdfind -u -t f -e iff                   fd reading names only (no file's size)
  find + awk                              GNU find, the same work, one thread

Prints each one's median and the ratios to brambleton-count (the target: at most fd -j 4),
and how long a cold count takes to end after Ctrl-C, with and without the read-ahead (the
target: no longer). Then the same tools warm, best of N: the counter against find (target at most 0.6) and
against its own --sequential walk (target at most 1.1).
"""
import argparse
import json
import os
import shutil
import signal
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
DROP = "/proc/sys/vm/drop_caches"


def drop_caches():
    os.sync()
    with open(DROP, "w") as f:
        f.write("3\n")


def timed(cmd, cwd=None, shell=False):
    start = time.perf_counter()
    proc = subprocess.run(cmd, cwd=cwd, shell=shell, stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL)
    return time.perf_counter() - start, proc.stdout.decode(), proc.returncode


def cancel_wait(cmd, after):
    """Seconds from a Ctrl-C, sent `after` seconds into a cold count, to the count's exit."""
    drop_caches()
    proc = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(after)
    start = time.perf_counter()
    proc.send_signal(signal.SIGINT)
    status = proc.wait()
    if status != 130:
        raise SystemExit(f"{cmd} ended with {status} after Ctrl-C, not 130 (cancelled)")
    return time.perf_counter() - start


def main():
    ap = argparse.ArgumentParser(description=__doc__,
                                 formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--counter", default=os.path.join(HERE, "..", "build", "release", "src",
                                                       "app", "brambleton-count"))
    ap.add_argument("--tree", default="/tmp/brambleton-bench-tree")
    ap.add_argument("--files", type=int, default=200_000)
    ap.add_argument("--folders", type=int, default=20_000)
    ap.add_argument("--runs", type=int, default=5, help="cold runs of each tool (at least 3)")
    ap.add_argument("--warm-runs", type=int, default=9)
    args = ap.parse_args()

    if args.runs < 3:
        ap.error("--runs must be at least 3: a median of fewer says little")
    try:
        drop_caches()
    except OSError as e:
        print(f"cannot drop the caches through {DROP} ({e.strerror}): that needs root, and a "
              "/proc that is not read-only. Without it no run would be cold; stopping.")
        return 2
    fd = shutil.which("fdfind") or shutil.which("fd")
    if not fd:
        print("fd is not installed (Debian package fd-find)")
        return 2
    if not os.path.isdir(args.tree):
        subprocess.run([sys.executable, os.path.join(HERE, "make_tree.py"), args.tree,
                        "--files", str(args.files), "--folders", str(args.folders)], check=True)

    tree = args.tree
    find_cmd = (f"find '{tree}' -type d -printf 'd\\n' -o -type f -iname '*.iff' -printf '%s\\n' "
                "| awk '$1 == \"d\" {d++; next} {s += $1} END {printf \"%.0f %d\\n\", s, d}'")
    tools = [  # (name, command, working folder, through the shell)
        ("brambleton-count", [args.counter, "--json", tree, "*.IFF"], None, False),
        ("brambleton-count --sequential", [args.counter, "--json", "--sequential", tree, "*.IFF"],
         None, False),
        ("fd -j 4 -S +0b (same work)", [fd, "-u", "-j", "4", "-t", "f", "-e", "iff", "-S", "+0b"],
         tree, False),
        ("fd, names only", [fd, "-u", "-t", "f", "-e", "iff"], tree, False),
        ("find + awk (same work)", find_cmd, None, True),
    ]

    # The counter and find must agree before their times mean anything.
    _, ours_out, _ = timed(tools[0][1])
    _, seq_out, _ = timed(tools[1][1])
    _, find_out, _ = timed(find_cmd, shell=True)
    ours, seq = json.loads(ours_out), json.loads(seq_out)
    find_bytes, find_dirs = (int(x) for x in find_out.split())
    if ours != seq or ours["bytes"] != find_bytes or ours["folders"] != find_dirs - 1:
        print(f"MISMATCH: counter {ours}, sequential {seq}, find bytes {find_bytes} "
              f"folders {find_dirs - 1}")
        return 1
    print(f"tree: {tree} ({ours['files']} matching files, {ours['folders']} folders)")
    print(f"cold: caches dropped through {DROP} before each run, {args.runs} runs each, "
          "tools alternating")

    cold = {name: [] for name, *_ in tools}
    for _ in range(args.runs):
        for name, cmd, cwd, shell in tools:
            drop_caches()
            cold[name].append(timed(cmd, cwd=cwd, shell=shell)[0])
    ours_cold = statistics.median(cold[tools[0][0]])
    for name, *_ in tools:
        median = statistics.median(cold[name])
        runs = " ".join(f"{t:.2f}" for t in cold[name])
        print(f"  {name:32s} median {median:6.3f} s   brambleton-count / this "
              f"{ours_cold / median:5.2f}   ({runs})")
    fd4 = statistics.median(cold[tools[2][0]])
    print(f"cold ratio to fd -j 4: {ours_cold / fd4:.3f} (target <= 1.0)")
    print(f"cold ratio to fd reading names only: "
          f"{ours_cold / statistics.median(cold[tools[3][0]]):.3f}")

    # Ctrl-C a third of the way into a cold count.
    after = ours_cold / 3
    waits = {name: [] for name, *_ in tools[:2]}
    for _ in range(args.runs):
        for name, cmd, *_ in tools[:2]:
            waits[name].append(cancel_wait(cmd, after))
    ours_wait, seq_wait = (statistics.median(waits[name]) for name, *_ in tools[:2])
    print(f"Ctrl-C {after:.2f} s into a cold count, median wait for the exit: "
          f"{ours_wait * 1000:.0f} ms, --sequential {seq_wait * 1000:.0f} ms "
          f"(ratio {ours_wait / seq_wait:.2f})")

    warm_tools = (tools[0], tools[1], tools[4])
    warm = {name: [] for name, *_ in warm_tools}
    for run in range(args.warm_runs + 1):
        for name, cmd, cwd, shell in warm_tools:
            took = timed(cmd, cwd=cwd, shell=shell)[0]
            if run:  # the first round only fills the caches
                warm[name].append(took)
    warm = {name: min(times) for name, times in warm.items()}
    ours_warm = warm[tools[0][0]]
    print(f"warm, best of {args.warm_runs}: brambleton-count {ours_warm * 1000:.0f} ms, "
          f"--sequential {warm[tools[1][0]] * 1000:.0f} ms, find + awk "
          f"{warm[tools[4][0]] * 1000:.0f} ms")
    print(f"warm ratio to find: {ours_warm / warm[tools[4][0]]:.3f} (target <= 0.6)")
    print(f"warm ratio to --sequential: {ours_warm / warm[tools[1][0]]:.3f} (target <= 1.1)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
