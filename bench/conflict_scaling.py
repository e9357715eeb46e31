#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Times `brambleton-count --check --json` on an install of two archives of N objects each,
every object of one sharing its object ID with one of the other (N conflicts, each named by
reading both archives), for N = 1,000 and 8,000 in the same run, and prints the times and
their ratio. Reading each archive's names once makes the work grow with N: the target is a
ratio under 16 (eight times the objects); reading the tables again for every conflict made
it grow with N squared (64).

usage: conflict_scaling.py COUNTER
"""
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "support"))
import sims_files  # noqa: E402


def install(home, count):
    """A Legacy Collection in a Steam library of the home `home`; returns the game's folder."""
    steamapps = os.path.join(home, ".local/share/Steam/steamapps")
    game = os.path.join(steamapps, "common/The Sims Legacy Collection")
    os.makedirs(os.path.join(game, "GameData"))
    with open(os.path.join(steamapps, "appmanifest_3314060.acf"), "w") as f:
        f.write('"AppState"\n{\n\t"appid"\t\t"3314060"\n'
                '\t"installdir"\t\t"The Sims Legacy Collection"\n}\n')
    os.makedirs(os.path.join(game, "Downloads"))
    with open(os.path.join(game, "GameData", "Behavior.iff"), "wb") as f:
        f.write(sims_files.iff([sims_files.chunk(b"BHAV", 1, b"x" * 40)]))
    for side in ("a", "b"):
        entries = [("%s%05d.iff" % (side, i),
                    sims_files.catalogue_object(0x10000 + i, {1: (b"Object %d" % i, b"")},
                                                picture=None))
                   for i in range(count)]
        with open(os.path.join(game, "Downloads", "set-%s.far" % side), "wb") as f:
            f.write(sims_files.far(entries))
    return game


def timed(counter, home):
    env = dict(os.environ, HOME=home)
    for name in ("WINEPREFIX", "XDG_CONFIG_HOME", "XDG_DATA_HOME"):
        env.pop(name, None)
    start = time.monotonic()
    run = subprocess.run([counter, "--check", "--json"], capture_output=True, env=env)
    took = time.monotonic() - start
    if run.returncode not in (0, 4):
        sys.exit("the check failed: %d %s" % (run.returncode, run.stderr[-300:]))
    return took


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    counter = os.path.abspath(sys.argv[1])
    times = {}
    with tempfile.TemporaryDirectory() as work:
        for count in (1000, 8000):
            home = os.path.join(work, str(count))
            install(home, count)
            timed(counter, home)  # warms the cache
            times[count] = min(timed(counter, home) for _ in range(3))
            print("%5d objects each: %.2f s" % (count, times[count]))
    ratio = times[8000] / times[1000]
    print("ratio 8,000 / 1,000: %.1f (target under 16)" % ratio)


if __name__ == "__main__":
    main()
