#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Every mode of brambleton-count over an install laid out as the players' notes describe the
game's own files (one archive in each GameData folder but Skins, the expansions' archives,
loose skins), with a player's content and saved lots beside them, as the project's own
writer makes them: no problem names a file of the game's own, no lot misses what the game's
archives hold, the catalogue marks the game's own floors and walls, and the counts see them."""
import json
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import sims_files as sims  # noqa: E402

counter, failures = sys.argv[1], []

with tempfile.TemporaryDirectory() as work:
    def check(what, ok):
        if not ok:
            failures.append(what)

    game, saves = sims.legacy_collection(os.path.join(work, "home"))

    def write(path, data, under=game):
        path = os.path.join(under, path)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)

    own = sims.game_layout(write)
    # The player's content: an object, a floor, a wall, a roof and a skin, each where it goes.
    write("Downloads/Lamps/lamp.iff", sims.catalogue_object(0x55, {1: (b"Lamp", b"")}, function=128))
    write("GameData/Floors/marble.flr", sims._tile(b"Marble"))
    write("GameData/Walls/stripes.wll", sims._tile(b"Stripes"))
    write("GameData/Roofs/tin.bmp", sims.bmp(16, 16))
    write("GameData/Skins/b004fafit_02.cmx", sims.cmx("b004fafit_02", ["xskin-b004fafit_02-PELVIS-BODY"]))
    write("GameData/Skins/xskin-b004fafit_02-PELVIS-BODY.skn",
          b"xskin-b004fafit_02-PELVIS-BODY\r\nb004fafitlgt_02\r\n1\r\nPELVIS\r\n")
    write("GameData/Skins/b004fafitlgt_02.bmp", sims.bmp(64, 64))
    # Lots built with the game's own floors, walls, roofs and objects (a clone too) and the
    # player's content.
    write("Houses/House01.iff", sims.house(
        [(0x7000, b"chair", 4, 0), (0x7100, b"bed", 4, 0), (0x7200, b"lights", 4, 0x9999),
         (0x7001, b"stairs", 4, 0x8888), (0x55, b"lamp", 4, 0)],
        floors=[b"cobblestone.flr", b"marble.flr", b"floors.flr"],
        walls=[b"whitepaintonplaster", b"stripes", b"walls.wll"], roof=b"shingles", version=3),
        saves)
    write("Houses/House02.iff", sims.house(
        [(0x7001, b"stairs", 4, 0)], floors=[b"terrazzo.flr"], walls=[b"brickred"],
        roof=b"tin"), saves)

    env = dict(os.environ, HOME=os.path.join(work, "home"), LANG="C.UTF-8")
    for name in ("WINEPREFIX", "XDG_CONFIG_HOME", "LANGUAGE", "LC_ALL", "LC_MESSAGES"):
        env.pop(name, None)

    def run(*args):
        done = subprocess.run([counter, *args], env=env, capture_output=True)
        try:
            return done.returncode, json.loads(done.stdout), done.stderr.decode()
        except ValueError:
            return done.returncode, {}, done.stderr.decode() + done.stdout.decode()

    for mode in ([], ["--quick"]):
        status, report, err = run("--check", "--json", *mode)
        named = [(p["kind"], os.path.relpath(p["path"], game)) for p in report.get("problems", [])]
        check("--check %s finds nothing and names no file of the game's own: %d %s %s" % (
            mode, status, named, err[-300:]), status == 0 and named == [])

    status, report, err = run("--lots", "--json")
    lots = {lot["house"]: lot for lot in report.get("lots", [])}
    check("--lots: every lot whole, nothing missing: %d %s" % (status, err[-300:]), status == 0
          and sorted(lots) == [1, 2] and all(lot["missing"] == [] for lot in lots.values()))
    check("lot 1 uses the player's lamp, floor and wall, by their own IDs and names: %s" %
          lots.get(1, {}).get("uses"), lots.get(1, {}).get("uses") == [
              "Downloads/Lamps/lamp.iff", "GameData/Floors/marble.flr",
              "GameData/Walls/stripes.wll"])
    check("lot 2 uses the player's roof: %s" % lots.get(2, {}).get("uses"),
          lots.get(2, {}).get("uses") == ["GameData/Roofs/tin.bmp"])
    check("no file of the game's own is unused: %s" % report.get("unused"),
          not any(u in own for u in report.get("unused", [])))

    status, report, err = run("--catalog", "--json")
    items = report.get("items", [])
    floors = sorted(i.get("entry") for i in items if i["kind"] == "floor" and i.get("game_own"))
    check("--catalog: the game's own floors, marked as its own: %d %s" % (status, floors),
          status == 0 and floors == sorted(sims.GAME_FLOORS))
    check("--catalog: the player's floor is the player's",
          [i.get("game_own", False) for i in items if i["path"] == "GameData/Floors/marble.flr"]
          == [False])

    # A count counts the folder's files of the pattern: the archives are not among them, the
    # game's loose skins are.
    for category, files in (("objects", 1), ("floors", 1), ("walls", 1), ("skins", 6)):
        status, report, err = run("--category", category, "--json")
        check("--category %s counts the folder's files: %d %s" % (category, status, report),
              status == 0 and report.get("files") == files)

if failures:
    print("\n".join(failures))
    sys.exit(1)
print("ok")
