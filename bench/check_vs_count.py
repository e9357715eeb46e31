#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Times `brambleton-count --check` on a generated install of 200,000 content files (objects
laid out as the game's tools write them, about 2% of them duplicates, 1% .far archives)
against the work it stands for measured in the same run: a plain count of the same folders
plus `jdupes -r -q` finding the same duplicates (target: at most 1.5), and against
`--check --quick`, the same check without reading inside the files (target: at most 1.3
warm, 1.5 cold). Prints best-of-N times, the ratios, the check's peak memory (target: under
64 MB), `--lots` on a neighbourhood of 100 lots of 300 objects each beside the install against
`--check --quick` (target: at most 1.2 warm, under 64 MB), and how many bytes the duplicate finder and the readers inside the files read
against the tree's total. With --cold, the page
cache, dentries and inodes are dropped before every run (root only). Needs Debian's jdupes
and time.
"""
import argparse
import json
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "support"))
import sims_files  # noqa: E402


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


# Catalogue strings in twenty language sets (about 7 KB) and a catalogue picture (about 8
# KB), as the game's objects carry them: the same bytes in every object, made once.
CATALOGUE = sims_files.chunk(b"CTSS", 2000, sims_files.strings(
    {language: [b"Object name %d " % language + b"x" * 40, b"A description " + b"y" * 260]
     for language in range(1, 21)}, -3))
PICTURE = sims_files.chunk(b"BMP_", 2000, sims_files.bmp(88, 88))


def sparse_object(rng, guid):
    """An object as the game's tools write one: OBJDs, its catalogue strings and picture, many
    small chunks, then sprites whose data is left as holes in the file (apparent size without
    disk), and the resource map."""
    tiles = rng.choice([1, 1, 1, 2, 4])
    master = 0x1000 if tiles > 1 else 0
    head = sims_files.chunk(b"OBJD", 128, sims_files.objd(guid, 0xFFFF, master, 500, 1, 2000))
    head += b"".join(sims_files.chunk(b"OBJD", 129 + t, sims_files.objd(guid + 1 + t, t, master))
                     for t in range(tiles if tiles > 1 else 0))
    head += CATALOGUE + PICTURE
    for i in range(rng.randrange(10, 40)):
        head += sims_files.chunk(rng.choice([b"BHAV", b"STR#", b"TTAB", b"DGRP", b"SLOT"]),
                                 4096 + i, rng.randbytes(rng.randrange(60, 600)))
    parts = [head]
    for i in range(rng.randrange(2, 8)):
        size = rng.randrange(1000, 12000)
        parts.append(b"SPR2" + struct.pack(">IHH", 76 + size, 256 + i, 0x10) + bytes(64))
        parts.append(size)  # a hole of this many bytes
    offset = 64 + sum(p if isinstance(p, int) else len(p) for p in parts)
    parts.append(sims_files.chunk(b"rsmp", 0, bytes(20)))
    return [sims_files.SIGNATURE + struct.pack(">I", offset)] + parts


def write_parts(path, parts):
    with open(path, "wb") as f:
        for part in parts:
            if isinstance(part, int):
                f.seek(part, 1)
            else:
                f.write(part)
        f.truncate()


def make_install(root, files, seed, steam=False):
    """An install of `files` content files below Downloads: objects, about 2% of them second
    copies of others, and 1% .far archives of 5 to 20 objects. With `steam`, at a Steam
    library's path for the Legacy Collection, as long as a player's (about 90 characters)."""
    rng = random.Random(seed)
    game = os.path.join(root, "game")
    if steam:
        game = os.path.join(root, "home", "player", ".local", "share", "Steam", "steamapps",
                            "common", "The Sims Legacy Collection")
    os.makedirs(os.path.join(game, "GameData"))
    with open(os.path.join(game, "GameData", "Behavior.iff"), "wb") as f:
        f.write(b"behaviour")
    folders = [os.path.join(game, "Downloads", "set%d" % i, "part%d" % j)
               for i in range(400) for j in range(5)]
    for folder in folders:
        os.makedirs(folder)
    kept = []
    guids = []
    guid = 0x10000
    for i in range(files):
        folder = rng.choice(folders)
        if kept and rng.random() < 0.02:
            parts = rng.choice(kept)  # a second download of a file already there
            name = "obj%d.iff" % i
        elif rng.random() < 0.01:
            entries = []
            for e in range(rng.randrange(5, 20)):
                guid += 8
                entries.append(("o%d.iff" % e, sims_files.obj([guid], sprite=rng.randrange(500, 8000))))
            parts = [sims_files.far(entries)]
            name = "pack%d.far" % i
        else:
            guid += 8
            parts = sparse_object(rng, guid)
            guids.append(guid)
            name = "obj%d.iff" % i
            if len(kept) < 2000:
                kept.append(parts)
        write_parts(os.path.join(folder, name), parts)
    total = sum(os.path.getsize(os.path.join(d, f)) for d, _, fs in os.walk(game) for f in fs)
    return game, total, guids


def make_neighbourhood(game, guids, seed, lots=100, objects=300):
    """A disc edition's neighbourhood in the install's UserData: `lots` lots of `objects`
    objects each, drawn from the install's objects (a few of them gone), with floors, walls,
    lot names and families, as the game writes them."""
    rng = random.Random(seed)
    houses = os.path.join(game, "UserData", "Houses")
    os.makedirs(houses)
    for number in range(1, lots + 1):
        chosen = [(rng.choice(guids) if rng.random() > 0.01 else 0xDEAD0000 + number,
                   b"object %d" % rng.randrange(1000), 4, 0) for _ in range(objects)]
        with open(os.path.join(houses, "House%02d.iff" % number), "wb") as f:
            f.write(sims_files.house(chosen, floors=[b"floor%d.flr" % rng.randrange(50)],
                                     walls=[b"wall%d" % rng.randrange(50)], roof=b"roof1",
                                     version=rng.choice([2, 3])))
    with open(os.path.join(houses, "NeighborhoodDesc.iff"), "wb") as f:
        f.write(sims_files.lot_names({n: b"Lot %d" % n for n in range(1, lots + 1)}))
    with open(os.path.join(game, "UserData", "Neighborhood.iff"), "wb") as f:
        f.write(sims_files.neighborhood([(n, b"Family %d" % n, [n]) for n in range(1, lots + 1)]))


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("counter", help="the brambleton-count program")
    ap.add_argument("--files", type=int, default=200_000)
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--cold", action="store_true", help="drop the caches before every run")
    ap.add_argument("--baseline", help="the brambleton-count to compare --check with, timed "
                    "in the same run (today's, built from the commit before a change)")
    ap.add_argument("--steam", action="store_true",
                    help="lay the install at a Steam library's path, as long as a player's")
    args = ap.parse_args()
    global COLD
    COLD = args.cold
    jdupes = shutil.which("jdupes")
    if not jdupes:
        raise SystemExit("needs jdupes (Debian package jdupes)")
    with tempfile.TemporaryDirectory() as work:
        game, total, guids = make_install(work, args.files, 1, args.steam)
        make_neighbourhood(game, guids, 2)
        home = os.path.join(work, "home")
        os.makedirs(os.path.join(home, ".config", "brambleton"))
        with open(os.path.join(home, ".config", "brambleton", "brambleton.ini"), "w") as f:
            f.write("[game]\nchosen=%s\n" % game)
        env = dict(os.environ, HOME=home)
        env.pop("XDG_CONFIG_HOME", None)
        env.pop("WINEPREFIX", None)

        check = best([args.counter, "--check", "--json"], args.runs, env)
        quick = best([args.counter, "--check", "--quick", "--json"], args.runs, env)
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
        baseline = (best([args.baseline, "--check", "--json"], args.runs, env)
                    if args.baseline else None)
        catalog = best([args.counter, "--catalog", "--json"], args.runs, env)
        catalog_peak = subprocess.run(
            ["/usr/bin/time", "-f", "%M", args.counter, "--catalog", "--json"], env=env,
            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True
        ).stderr.strip().splitlines()[-1]
        lots = best([args.counter, "--lots", "--json"], args.runs, env)
        lots_peak = subprocess.run(
            ["/usr/bin/time", "-f", "%M", args.counter, "--lots", "--json"], env=env,
            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True
        ).stderr.strip().splitlines()[-1]
        print(f"install folder        {len(game)} characters")
        print(f"files                 {args.files:,} ({total / 2**20:,.0f} MB), "
              f"{duplicates:,} duplicates found")
        print(f"--check ({'cold' if COLD else 'warm'})        {check:.2f} s")
        print(f"count + jdupes -r -q  {count:.2f} s + {dupes:.2f} s = {count + dupes:.2f} s")
        print(f"ratio                 {check / (count + dupes):.2f} (target at most 1.5)")
        print(f"--check --quick       {quick:.2f} s (names and sizes only)")
        print(f"inside / quick        {check / quick:.2f} (target at most "
              f"{1.5 if COLD else 1.3})")
        print(f"peak memory           {int(peak) / 1024:.1f} MB (target under 64)")
        if baseline:
            print(f"baseline --check      {baseline:.2f} s")
            print(f"check / baseline      {check / baseline:.2f} (target at most 1.1)")
        print(f"--catalog --json      {catalog:.2f} s, peak {int(catalog_peak) / 1024:.1f} MB "
              f"(target under 64)")
        print(f"--lots --json         {lots:.2f} s, peak {int(lots_peak) / 1024:.1f} MB "
              f"(target under 64)")
        print(f"lots / quick          {lots / quick:.2f} (target at most 1.2)")
        for line in verbose.splitlines():
            if line.startswith(("The duplicate finder read", "Reading inside the files read")):
                print(line)


if __name__ == "__main__":
    main()
