#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Runs `brambleton-count --check --json` on installs that each hold one hostile file, against
the same install without it measured in the same run, and prints the check's peak memory,
the JSON's size and the time:

- an archive of 1,000,000 objects sharing one object ID (targets: peak under 128 MB, JSON
  under 10 MB);
- a sparse 4 GiB archive whose table claims 268 million nameless entries (target: reported
  bad-file within a second);
- an archive of 100,000 broken entries (targets: peak under 128 MB, JSON under 10 MB);
- 100,000 empty files at a Steam library's path: a hundred thousand problems, the peak and
  the JSON grow with them (no target; printed to follow).

Needs GNU time (Debian package time).
"""
import argparse
import json
import os
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "support"))
import sims_files  # noqa: E402


def far_of_one_object(count):
    """An archive whose `count` entries all point at one object's bytes."""
    body = sims_files.obj([0x12345678], sprite=10, small=1)
    table = [struct.pack("<I", count)]
    for i in range(count):
        name = b"o%07d.iff" % i
        table.append(struct.pack("<IIII", len(body), len(body), 16, len(name)) + name)
    return b"FAR!byAZ" + struct.pack("<II", 1, 16 + len(body)) + body + b"".join(table)


def sparse_far(path):
    """4 GiB with no bytes on disk past a header claiming 268 million entries."""
    with open(path, "wb") as f:
        f.write(b"FAR!byAZ" + struct.pack("<III", 1, 16, 268435455))
        f.truncate(1 << 32)


def install(root, steam=False):
    game = os.path.join(root, "game")
    if steam:
        game = os.path.join(root, "home", "player", ".local", "share", "Steam", "steamapps",
                            "common", "The Sims Legacy Collection")
    os.makedirs(os.path.join(game, "GameData"))
    os.makedirs(os.path.join(game, "Downloads", "Kitchen"))
    with open(os.path.join(game, "GameData", "Behavior.iff"), "wb") as f:
        f.write(sims_files.iff([sims_files.chunk(b"BHAV", 1, b"x" * 40)]))
    with open(os.path.join(game, "Downloads", "Kitchen", "stove.iff"), "wb") as f:
        f.write(sims_files.obj([0x6A0B1C02]))
    return game


def run(counter, game):
    home = os.path.join(os.path.dirname(game), "bench-home")
    os.makedirs(os.path.join(home, ".config", "brambleton"), exist_ok=True)
    with open(os.path.join(home, ".config", "brambleton", "brambleton.ini"), "w") as f:
        f.write("[game]\nchosen=%s\n" % game)
    env = dict(os.environ, HOME=home)
    env.pop("WINEPREFIX", None)
    env.pop("XDG_CONFIG_HOME", None)
    start = time.perf_counter()
    done = subprocess.run(["/usr/bin/time", "-f", "%M", counter, "--check", "--json"], env=env,
                          capture_output=True)
    seconds = time.perf_counter() - start
    peak = int(done.stderr.decode().strip().splitlines()[-1]) / 1024
    report = json.loads(done.stdout)
    kinds = sorted({p["kind"] for p in report["problems"]})
    return seconds, peak, len(done.stdout) / 2**20, kinds, done.returncode


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("counter", help="the brambleton-count program")
    args = ap.parse_args()
    cases = [
        ("1,000,000 objects with one ID", lambda g: open(
            os.path.join(g, "Downloads", "million.far"), "wb").write(far_of_one_object(1_000_000)),
         False, 128),
        ("sparse 4 GiB archive", lambda g: sparse_far(os.path.join(g, "Downloads", "huge.far")),
         False, 128),
        ("100,000 broken entries", lambda g: open(
            os.path.join(g, "Downloads", "broken.far"), "wb").write(
                sims_files.far([("e%d.iff" % i, b"<html>") for i in range(100_000)])),
         False, 128),
        ("100,000 empty files, Steam path", lambda g: [
            open(os.path.join(g, "Downloads", "Kitchen", "e%06d.iff" % i), "wb").close()
            for i in range(100_000)], True, None),
    ]
    print(f"{'case':34} {'time s':>8} {'base s':>8} {'peak MB':>8} {'base MB':>8} "
          f"{'JSON MB':>8}  kinds, exit")
    for name, plant, steam, target in cases:
        with tempfile.TemporaryDirectory() as work:
            game = install(work, steam)
            base = run(args.counter, game)
            plant(game)
            hostile = run(args.counter, game)
        print(f"{name:34} {hostile[0]:8.2f} {base[0]:8.2f} {hostile[1]:8.1f} {base[1]:8.1f} "
              f"{hostile[2]:8.3f}  {','.join(hostile[3])}, {hostile[4]}")
        if target:
            print(f"{'':34} peak target under {target} MB: "
                  f"{'met' if hostile[1] < target else 'NOT met'}; JSON target under 10 MB: "
                  f"{'met' if hostile[2] < 10 else 'NOT met'}")


if __name__ == "__main__":
    main()
