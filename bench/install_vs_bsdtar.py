#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Times `brambleton-count --install` of one zip of 10,000 files (objects, floors and walls in
nested folders) against `bsdtar -x` of the same zip into a folder on the same filesystem,
both measured in the same run (target: a ratio of at most 1.5). The install reads the game's
catalogue, plans, journals every file and writes it under a name of its own before giving it
its place; bsdtar only unpacks. Best of N warm runs; each install is undone before the next,
so each run starts from the same game folder.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "support"))
import sims_files  # noqa: E402


def timed(cmd, env=None, cwd=None):
    start = time.perf_counter()
    result = subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, env=env, cwd=cwd,
                            text=True)
    return time.perf_counter() - start, result


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("counter", help="the brambleton-count program")
    ap.add_argument("--files", type=int, default=10_000)
    ap.add_argument("--runs", type=int, default=3)
    args = ap.parse_args()
    bsdtar = shutil.which("bsdtar")
    if not bsdtar:
        raise SystemExit("needs bsdtar (Debian package libarchive-tools)")

    with tempfile.TemporaryDirectory() as work:
        home = os.path.join(work, "home")
        game, _ = sims_files.legacy_collection(home)

        def write(rel, data):
            path = os.path.join(game, rel)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)

        sims_files.game_layout(write)
        env = dict(os.environ, HOME=home)
        for name in ("XDG_CONFIG_HOME", "XDG_DATA_HOME", "WINEPREFIX"):
            env.pop(name, None)
        archive = os.path.join(work, "Big Set.zip")
        with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as z:
            for i in range(args.files):
                kind = i % 10
                if kind < 8:
                    z.writestr("Big Set/objects %d/item%05d.iff" % (i % 50, i), sims_files.obj([0x60000000 + i]))
                elif kind == 8:
                    z.writestr("Big Set/floors/floor%05d.flr" % i, sims_files._tile(b"F%d" % i))
                else:
                    z.writestr("Big Set/walls/wall%05d.wll" % i, sims_files._tile(b"W%d" % i))

        untar, ours = [], []
        for _ in range(args.runs):
            out = os.path.join(work, "unpacked")
            os.makedirs(out)
            seconds, result = timed([bsdtar, "-xf", archive, "-C", out])
            if result.returncode != 0:
                raise SystemExit("bsdtar failed: " + result.stderr)
            untar.append(seconds)
            shutil.rmtree(out)
            seconds, result = timed([args.counter, "--install", archive], env)
            if result.returncode != 0:
                raise SystemExit("--install failed (%d): %s" % (result.returncode, result.stderr))
            ours.append(seconds)
            undone = subprocess.run([args.counter, "--undo"], env=env, capture_output=True, text=True)
            if undone.returncode != 0:
                raise SystemExit("--undo failed: " + undone.stdout + undone.stderr)
            # The undo's trash is the player's to empty; the benchmark empties its own.
            shutil.rmtree(os.path.join(home, ".local", "share", "Trash"), ignore_errors=True)
        print("zip of %d files: bsdtar -x %.2f s, brambleton-count --install %.2f s, ratio %.2f "
              "(target: at most 1.5)" % (args.files, min(untar), min(ours), min(ours) / min(untar)))


if __name__ == "__main__":
    main()
