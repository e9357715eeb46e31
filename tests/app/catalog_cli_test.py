#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""brambleton-count --catalog on a Steam install whose content the project's own writer made as
the game's tools write it: objects for sale in several string formats and languages, a
multi-tile object inside an archive, a build-mode door, a helper object, an object with no
catalogue strings or picture, a floor, a wall and a skin with its textures. The JSON is
compared here, item by item."""
import json
import os
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import sims_files as sims  # noqa: E402

counter = sys.argv[1]
failures = []


def check(what, ok):
    if not ok:
        failures.append(what)


with tempfile.TemporaryDirectory() as work:
    steamapps = os.path.join(work, "home/.local/share/Steam/steamapps")
    game = os.path.join(steamapps, "common/The Sims Legacy Collection")

    def write(path, data):
        path = os.path.join(game, path)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)

    os.makedirs(steamapps)
    with open(os.path.join(steamapps, "appmanifest_3314060.acf"), "w") as f:
        f.write('"AppState"\n{\n\t"appid"\t\t"3314060"\n'
                '\t"installdir"\t\t"The Sims Legacy Collection"\n}\n')
    write("GameData/Behavior.iff", sims.iff([sims.chunk(b"BHAV", 1, b"x" * 40)]))
    kiosk = sims.catalogue_object(
        0x11223344,
        {1: (b"Food Kiosk", b"Fries all day"),
         3: ("Kiosque \u00e0 frites".encode("cp1252"), b"Des frites"),
         15: ("\u58f2\u5e97".encode("cp932"), b"")},
        price=4900, function=4, tiles=3, picture=(64, 32))
    write("Downloads/Food/Kiosk.far", sims.far([("Kiosk.iff", kiosk), ("readme.txt", b"hi")]))
    write("Downloads/lamp.iff", sims.catalogue_object(
        0x55, {1: (b"Lamp", b"A lamp")}, price=120, function=128, code=-1, picture=None))
    write("Downloads/door.iff", sims.catalogue_object(
        0x66, {1: (b"Door", b"")}, price=300, build=1, kind=8, code=-4))
    write("Downloads/food.iff", sims.catalogue_object(0x88, {1: (b"Pizza", b"")}, function=4,
                                                      kind=34, code=0))
    write("Downloads/old.iff", sims.catalogue_object(0x99, {1: (b"Old sofa", b"")}, function=1,
                                                     disabled=1, code=-2))
    write("Downloads/helper.iff", sims.catalogue_object(0x77, {}, kind=7, picture=None))
    write("GameData/Floors/oak.flr", sims.iff([
        sims.chunk(b"STR#", 0, sims.strings({1: [b"Oak floor", b"12", b"Nice oak"]}, -3)),
        sims.chunk(b"FBMP", 1, b"BM" * 30)], False))
    write("GameData/Floors/Floors.far", sims.far([("cobblestone.flr", sims.iff([
        sims.chunk(b"STR#", 0, sims.strings({1: [b"Cobbles", b"3", b"The game's own"]}))]))]))
    write("Downloads/k_names.far", sims.far([("../../GameData/Behavior.iff", sims.catalogue_object(
        0x5A5A, {1: (b"Odd name\r\n", b"Its maker's tool ended it\r\nwith a line break\r\n")}))]))
    write("GameData/Walls/brick.wll", sims.iff([
        sims.chunk(b"STR#", 0, sims.strings({1: [b"Brick", b"7", b"Red brick"]}, 0))], False))
    write("GameData/Skins/b001fafit_ann.cmx",
          sims.cmx("b001fafit_ann", ["xskin-b001fafit_ann-PELVIS-BODY"]))
    write("GameData/Skins/B001FAFITLGT_ann.bmp", sims.bmp(256, 256))
    write("GameData/Skins/b001fafitdrk_ann.bmp", sims.bmp(256, 256))
    write("GameData/Skins/c001ma_bob.cmx", sims.cmx("c001ma_bob", ["xskin-c001ma_bob-HEAD-HEAD"]))

    env = dict(os.environ, HOME=os.path.join(work, "home"), LANG="fr_FR.UTF-8")
    for name in ("WINEPREFIX", "XDG_CONFIG_HOME", "LANGUAGE", "LC_ALL", "LC_MESSAGES"):
        env.pop(name, None)
    run = subprocess.run([counter, "--catalog", "--json"], env=env, capture_output=True)
    check("--catalog exits 0: %d %s" % (run.returncode, run.stderr), run.returncode == 0)
    report = json.loads(run.stdout)
    check("the install folder", report["install"] == game)
    check("nothing unreadable", report["files_unreadable"] == 0)
    items = {item["path"] + ("/" + item["entry"] if "entry" in item else ""): item
             for item in report["items"]}
    want = {
        "Downloads/Food/Kiosk.far/Kiosk.iff": dict(
            kind="object", name="Kiosque \u00e0 frites", description="Des frites", price=4900,
            category="appliances", in_catalog=True, guid=0x11223344, tiles=3,
            thumbnail={"width": 64, "height": 32}),
        "Downloads/lamp.iff": dict(name="Lamp", description="A lamp", price=120,
                                   category="lighting", in_catalog=True, thumbnail=None),
        "Downloads/door.iff": dict(name="Door", price=300, category="build", in_catalog=True),
        "Downloads/food.iff": dict(name="Pizza", category="appliances", in_catalog=False),
        "Downloads/old.iff": dict(name="Old sofa", category="seating", in_catalog=False),
        "Downloads/helper.iff": dict(name=None, description=None, category=None,
                                     in_catalog=False, thumbnail=None),
        "GameData/Floors/oak.flr": dict(kind="floor", name="Oak floor", price=12,
                                        description="Nice oak", category="floor"),
        "GameData/Walls/brick.wll": dict(kind="wall", name="Brick", price=7, category="wall"),
        "GameData/Floors/Floors.far/cobblestone.flr": dict(
            kind="floor", name="Cobbles", archive="GameData/Floors/Floors.far",
            entry="cobblestone.flr"),
        "Downloads/k_names.far/../../GameData/Behavior.iff": dict(
            kind="object", path="Downloads/k_names.far", archive="Downloads/k_names.far",
            entry="../../GameData/Behavior.iff", name="Odd name",
            description="Its maker's tool ended it\nwith a line break"),
        "GameData/Skins/b001fafit_ann.cmx": dict(
            kind="skin", part="body", gender="female", age="adult", build="fit",
            textures=["B001FAFITLGT_ann.bmp", "b001fafitdrk_ann.bmp"]),
        "GameData/Skins/c001ma_bob.cmx": dict(kind="skin", part="head", gender="male",
                                              age="adult", build=None, textures=[]),
    }
    check("one item each: %s" % sorted(items), sorted(items) == sorted(want))
    for path, fields in want.items():
        for key, value in fields.items():
            got = items.get(path, {}).get(key, "(missing)")
            check("%s %s: %r, not %r" % (path, key, got, value), got == value)

    # In Japanese, the name the object has in Japanese; in German, which it lacks, English.
    for lang, name in (("ja_JP.UTF-8", "\u58f2\u5e97"), ("de_DE.UTF-8", "Food Kiosk")):
        run = subprocess.run([counter, "--catalog", "--json"], env=dict(env, LANG=lang),
                             capture_output=True)
        found = [i for i in json.loads(run.stdout)["items"] if i.get("entry") == "Kiosk.iff"]
        check("%s: %r" % (lang, found[0]["name"] if found else None),
              found and found[0]["name"] == name)

    # A file cut short is said and counted, and the rest is listed.
    write("Downloads/cut.iff", sims.catalogue_object(0x44, {1: (b"Cut", b"")})[:300])
    run = subprocess.run([counter, "--catalog"], env=env, capture_output=True, text=True)
    check("a cut file exits 1: %d" % run.returncode, run.returncode == 1)
    check("the cut file is named: %s" % run.stderr, "cut.iff" in run.stderr)
    check("the text lists the kiosk: %s" % run.stdout,
          "Kiosque \u00e0 frites  \u00a74" in run.stdout and "Food/Kiosk.far \u00bb Kiosk.iff"
          in run.stdout)

    # The check speaks of the objects by their names, and its page shows their pictures.
    write("Downloads/Kiosk copy.iff", kiosk)
    page = os.path.join(work, "report.html")
    run = subprocess.run([counter, "--check", "--json", "--report", page], env=env,
                         capture_output=True)
    problems = json.loads(run.stdout)["problems"]
    conflict = [p for p in problems if p["kind"] == "guid-conflict"]
    check("the kiosk's copy conflicts by name: %s" % conflict,
          conflict and conflict[0].get("name") == "Kiosque \u00e0 frites"
          and conflict[0].get("same_as_name") == "Kiosque \u00e0 frites"
          and "\u201cKiosque \u00e0 frites\u201d" in conflict[0]["detail"])
    with open(page, encoding="utf-8") as f:
        html = f.read()
    check("the page shows the kiosk's picture", '<img class="pic" alt="" src="data:image/png;base64,' in html)

    # A picture whose header claims 60,000 pixels a side is never embedded as it is.
    liar = sims.catalogue_object(0x5150, {1: (b"Liar", b"")}, picture=(8, 8))
    liar = liar.replace(struct.pack("<Iii", 40, 8, 8), struct.pack("<Iii", 40, 60000, 60000))
    write("Downloads/liar.iff", liar)
    write("Downloads/liar again.iff", liar.replace(b"Liar", b"Lyar"))
    run = subprocess.run([counter, "--check", "--report", page], env=env, capture_output=True)
    with open(page, encoding="utf-8") as f:
        html = f.read()
    check("a lying picture becomes the placeholder, never a BMP",
          "data:image/bmp" not in html and html.count('src="data:image/png;base64,') >= 2)

    run = subprocess.run([counter, "--catalog", "--quick"], env=env, capture_output=True)
    check("--catalog --quick is bad usage", run.returncode == 2)

if failures:
    print("\n".join(failures))
    sys.exit(1)
print("ok")
