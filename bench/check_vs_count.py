#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Times `brambleton-count --check` on a generated install of 200,000 content files, about 2%
of them duplicates, against the work it stands for measured in the same run: a plain count
of the same folders plus `jdupes -r -q` finding the same duplicates. Prints best-of-N warm
times, the ratio (target: at most 1.5), the check's peak memory (target: under 64 MB), and
how many bytes the duplicate finder read against the tree's total. With --cold, the page
cache, dentries and inodes are dropped before every run (root only). Needs Debian's jdupes
and time.
"""
import argparse
import json
import os
import random
import shutil
import subprocess
import tempfile
import time


COLD = False


def drop_caches():
    subprocess.run(["sync"], check=True)
    with open("/proc/sys/vm/drop_caches", "w") as f:
        f.write("3\n")


def best(cmd, runs, env=None):
    times = []
    for _ in range(runs):
        if COLD:
            drop_caches()
        start = time.perf_counter()
        subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)
        times.append(time.perf_counter() - start)
    return min(times)


def make_install(root, files, seed):
    rng = random.Random(seed)
    game = os.path.join(root, "game")
    os.makedirs(os.path.join(game, "GameData"))
    with open(os.path.join(game, "GameData", "Behavior.iff"), "wb") as f:
        f.write(b"behaviour")
    total = 0
    bodies = []
    folders = [os.path.join(game, "Downloads", "set%d" % i, "part%d" % j)
               for i in range(400) for j in range(5)]
    for folder in folders:
        os.makedirs(folder)
    for i in range(files):
        if bodies and rng.random() < 0.02:
            data = rng.choice(bodies)  # a second download of a file already there
        else:
            size = rng.choice([600, 2000, 9000, 30000, 120000])
            data = rng.randbytes(size) if hasattr(rng, "randbytes") else os.urandom(size)
            if len(bodies) < 2000:
                bodies.append(data)
        with open(os.path.join(rng.choice(folders), "obj%d.iff" % i), "wb") as f:
            f.write(data)
        total += len(data)
    return game, total


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("counter", help="the brambleton-count program")
    ap.add_argument("--files", type=int, default=200_000)
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--cold", action="store_true", help="drop the caches before every run")
    args = ap.parse_args()
    global COLD
    COLD = args.cold
    jdupes = shutil.which("jdupes")
    if not jdupes:
        raise SystemExit("needs jdupes (Debian package jdupes)")
    with tempfile.TemporaryDirectory() as work:
        game, total = make_install(work, args.files, 1)
        home = os.path.join(work, "home")
        os.makedirs(os.path.join(home, ".config", "brambleton"))
        with open(os.path.join(home, ".config", "brambleton", "brambleton.ini"), "w") as f:
            f.write("[game]\nchosen=%s\n" % game)
        env = dict(os.environ, HOME=home)
        env.pop("XDG_CONFIG_HOME", None)
        env.pop("WINEPREFIX", None)

        check = best([args.counter, "--check", "--json"], args.runs, env)
        count = best([args.counter, os.path.join(game, "Downloads"), "*.IFF"], args.runs)
        dupes = best([jdupes, "-r", "-q", os.path.join(game, "Downloads")], args.runs)
        report = json.loads(subprocess.run([args.counter, "--check", "--json"], env=env,
                                           capture_output=True).stdout)
        duplicates = sum(1 for p in report["problems"] if p["kind"] == "duplicate")
        peak = subprocess.run(["/usr/bin/time", "-f", "%M", args.counter, "--check", "--json"],
                              env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                              text=True).stderr.strip().splitlines()[-1]
        verbose = subprocess.run([args.counter, "--check"], env=env, capture_output=True,
                                 text=True).stdout
        print(f"files                 {args.files:,} ({total / 2**20:,.0f} MB), "
              f"{duplicates:,} duplicates found")
        print(f"--check ({'cold' if COLD else 'warm'})        {check:.2f} s")
        print(f"count + jdupes -r -q  {count:.2f} s + {dupes:.2f} s = {count + dupes:.2f} s")
        print(f"ratio                 {check / (count + dupes):.2f} (target at most 1.5)")
        print(f"peak memory           {int(peak) / 1024:.1f} MB (target under 64)")
        for line in verbose.splitlines():
            if line.startswith("Duplicate finder read"):
                print(line)


if __name__ == "__main__":
    main()
