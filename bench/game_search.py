#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Times the game search in a home with three Steam libraries and forty Wine prefixes.

Builds the home in a temporary folder (every prefix with the 1.7 MB system.reg a fresh Wine
prefix has, the Legacy Collection in the third library), then runs `brambleton-count --where`
against it with a warm cache and, in the same run, GNU find listing the same home's launcher
files as a reference. Prints the medians and their ratio. The search must stay well under a
tenth of a second.

Usage: bench/game_search.py [BRAMBLETON_COUNT] [RUNS]
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
FRESH = os.path.join(HERE, "..", "tests", "fixtures", "wine", "fresh", "system.reg")
COUNTER = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
    HERE, "..", "build", "release", "src", "app", "brambleton-count")
RUNS = int(sys.argv[2]) if len(sys.argv) > 2 else 15


def prefix(folder):
    os.makedirs(os.path.join(folder, "drive_c", "Program Files", "Common Files"), exist_ok=True)
    os.makedirs(os.path.join(folder, "drive_c", "Program Files (x86)", "Steam"), exist_ok=True)
    os.makedirs(os.path.join(folder, "dosdevices"), exist_ok=True)
    os.symlink("../drive_c", os.path.join(folder, "dosdevices", "c:"))
    shutil.copyfile(FRESH, os.path.join(folder, "system.reg"))


def build(home):
    steam = os.path.join(home, ".local/share/Steam")
    libraries = [steam, os.path.join(home, "lib2"), os.path.join(home, "lib3")]
    for library in libraries:
        os.makedirs(os.path.join(library, "steamapps", "common"), exist_ok=True)
    with open(os.path.join(steam, "steamapps", "libraryfolders.vdf"), "w") as f:
        f.write('"libraryfolders"\n{\n')
        for n, library in enumerate(libraries):
            f.write('\t"%d"\n\t{\n\t\t"path"\t\t"%s"\n\t}\n' % (n, library))
        f.write("}\n")
    game = os.path.join(libraries[2], "steamapps", "common", "The Sims Legacy Collection")
    os.makedirs(os.path.join(game, "GameData"))
    open(os.path.join(game, "GameData", "Behavior.iff"), "w").close()
    with open(os.path.join(libraries[2], "steamapps", "appmanifest_3314060.acf"), "w") as f:
        f.write('"AppState"\n{\n\t"appid"\t\t"3314060"\n'
                '\t"installdir"\t\t"The Sims Legacy Collection"\n}\n')
    places = [os.path.join(home, ".wine")]
    places += [os.path.join(libraries[n % 3], "steamapps", "compatdata", str(1000 + n), "pfx")
               for n in range(15)]
    places += [os.path.join(home, ".local/share/bottles/bottles", "b%d" % n) for n in range(8)]
    places += [os.path.join(home, "Games/Heroic/Prefixes", "h%d" % n) for n in range(6)]
    places += [os.path.join(home, ".PlayOnLinux/wineprefix", "p%d" % n) for n in range(4)]
    places += [os.path.join(home, ".cxoffice", "c%d" % n) for n in range(2)]
    lutris = os.path.join(home, ".config/lutris/games")
    os.makedirs(lutris)
    for n in range(4):
        folder = os.path.join(home, "Games", "lutris%d" % n)
        places.append(folder)
        with open(os.path.join(lutris, "game%d.yml" % n), "w") as f:
            f.write("game:\n  exe: x.exe\n  prefix: %s\nwine:\n  version: x\n" % folder)
    for folder in places:
        prefix(folder)
    return len(places), len(libraries)


def median_seconds(command, env):
    times = []
    for _ in range(RUNS):
        start = time.perf_counter()
        subprocess.run(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       check=False)
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def main():
    with tempfile.TemporaryDirectory() as home:
        prefixes, libraries = build(home)
        env = dict(os.environ, HOME=home)
        env.pop("WINEPREFIX", None)
        out = subprocess.run([COUNTER, "--where"], env=env, capture_output=True, text=True)
        if "Steam library " + os.path.join(home, "lib3") not in out.stdout:
            sys.exit("the search did not find the game in the third library:\n" + out.stdout)
        find = ["find", home, "-name", "system.reg", "-o", "-name", "*.acf", "-o", "-name",
                "*.vdf", "-o", "-name", "*.yml"]
        ours = median_seconds([COUNTER, "--where"], env)
        theirs = median_seconds(find, env)
        print("home: %d Steam libraries, %d Wine prefixes (1.7 MB system.reg each)"
              % (libraries, prefixes))
        print("brambleton-count --where   median %.1f ms (%d runs, process start included)"
              % (ours * 1000, RUNS))
        print("find (launcher files only) median %.1f ms" % (theirs * 1000))
        print("ratio %.2f" % (ours / theirs))


if __name__ == "__main__":
    main()
