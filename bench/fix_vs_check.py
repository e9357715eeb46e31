#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Times `brambleton-count --fix --dry-run` against `--check` on the check benchmark's
generated install of 200,000 content files (target: at most 1.1: planning adds little to the
check it plans from), then `--fix` of 10,000 duplicates (each second copy of a small object
goes to the desktop's trash, journalled; target: under 10 s) against `jdupes -r -q` finding the
same duplicates and against a plain `mv` of the same files into a folder, both measured in the
same run, and `--undo` of that change. Best of N warm runs; every --fix is undone before the
next, so each run starts from the same tree.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "support"))
import check_vs_count  # noqa: E402
import sims_files  # noqa: E402


def timed(cmd, env=None):
    start = time.perf_counter()
    result = subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, env=env, text=True)
    return time.perf_counter() - start, result


def home_for(work, game):
    """A home whose settings choose `game`, with its data folder (journal and trash) in it."""
    home = os.path.join(work, "home")
    os.makedirs(os.path.join(home, ".config", "brambleton"), exist_ok=True)
    with open(os.path.join(home, ".config", "brambleton", "brambleton.ini"), "w") as f:
        f.write("[game]\nchosen=%s\n" % game)
    env = dict(os.environ, HOME=home)
    for name in ("XDG_CONFIG_HOME", "XDG_DATA_HOME", "WINEPREFIX"):
        env.pop(name, None)
    return env


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("counter", help="the brambleton-count program")
    ap.add_argument("--files", type=int, default=200_000)
    ap.add_argument("--duplicates", type=int, default=10_000)
    ap.add_argument("--runs", type=int, default=3)
    args = ap.parse_args()
    jdupes = shutil.which("jdupes")
    if not jdupes:
        raise SystemExit("needs jdupes (Debian package jdupes)")

    with tempfile.TemporaryDirectory() as work:
        game, _, _ = check_vs_count.make_install(work, args.files, 1)
        env = home_for(work, game)
        check = min(timed([args.counter, "--check", "--json"], env)[0] for _ in range(args.runs))
        plan = min(timed([args.counter, "--fix", "--dry-run", "--json"], env)[0]
                   for _ in range(args.runs))
        print("install of %d files: --check %.2f s, --fix --dry-run %.2f s, ratio %.2f "
              "(target at most 1.1)" % (args.files, check, plan, plan / check))

    with tempfile.TemporaryDirectory() as work:
        game = os.path.join(work, "game")
        os.makedirs(os.path.join(game, "GameData"))
        with open(os.path.join(game, "GameData", "Behavior.iff"), "wb") as f:
            f.write(b"behaviour")
        copies = []
        for i in range(args.duplicates):
            data = sims_files.obj([0x100000 + 8 * i])
            for folder in ("Downloads/set%d" % (i % 100), "Downloads/again/set%d" % (i % 100)):
                path = os.path.join(game, folder, "obj%d.iff" % i)
                os.makedirs(os.path.dirname(path), exist_ok=True)
                with open(path, "wb") as f:
                    f.write(data)
            copies.append(os.path.join(game, "Downloads/set%d" % (i % 100), "obj%d.iff" % i))
        env = home_for(work, game)
        dupes = min(timed([jdupes, "-r", "-q", os.path.join(game, "Downloads")])[0]
                    for _ in range(args.runs))
        fixes, undos = [], []
        for _ in range(args.runs):
            seconds, result = timed([args.counter, "--fix"], env)
            if result.returncode != 0:
                raise SystemExit("--fix failed: %s" % result.stderr)
            fixes.append(seconds)
            seconds, result = timed([args.counter, "--undo"], env)
            if result.returncode != 0:
                raise SystemExit("--undo failed: %s" % result.stderr)
            undos.append(seconds)
        aside = os.path.join(work, "aside")
        os.makedirs(aside)
        moves = []
        for _ in range(args.runs):
            start = time.perf_counter()
            subprocess.run(["mv", "-t", aside, "--"] + copies[: len(copies) // 2], check=True)
            subprocess.run(["mv", "-t", aside, "--"] + copies[len(copies) // 2:], check=True)
            moves.append(time.perf_counter() - start)
            for path in copies:
                os.rename(os.path.join(aside, os.path.basename(path)), path)
        fix, undo, move = min(fixes), min(undos), min(moves)
        print("%d duplicates: --fix %.2f s (target under 10 s), --undo %.2f s; jdupes -r -q "
              "%.2f s, ratio %.2f; mv of the same files %.2f s, ratio %.2f"
              % (args.duplicates, fix, undo, dupes, fix / dupes, move, fix / move))


if __name__ == "__main__":
    main()
