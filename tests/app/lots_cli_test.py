#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""brambleton-count --lots on a Legacy Collection install under Proton whose saves and content
the project's own writer made as the game writes them: lots in both object-table versions
and the older IFF 2.0 header, a multi-tile object listed by its tiles, floors and walls by
lower-case names, a roof, a family and lot names, the game's own objects and a Sim. Then with
an archive the lots use removed, with a lot cut short, and with --saves."""
import json
import os
import shutil
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


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


with tempfile.TemporaryDirectory() as work:
    steamapps = os.path.join(work, "home/.local/share/Steam/steamapps")
    game = os.path.join(steamapps, "common/The Sims Legacy Collection")
    user = os.path.join(steamapps, "compatdata/3314060/pfx/drive_c/users/steamuser")
    saves = os.path.join(user, "Saved Games/Electronic Arts/The Sims 25/UserData")
    os.makedirs(steamapps)
    with open(os.path.join(steamapps, "appmanifest_3314060.acf"), "w") as f:
        f.write('"AppState"\n{\n\t"appid"\t\t"3314060"\n'
                '\t"installdir"\t\t"The Sims Legacy Collection"\n}\n')
    write(os.path.join(game, "GameData/Behavior.iff"), sims.iff([sims.chunk(b"BHAV", 1, b"x" * 40)]))

    def content(path, data):
        write(os.path.join(game, path), data)

    kiosk = sims.catalogue_object(0x11223344, {1: (b"Food Kiosk", b"")}, function=4, tiles=3)
    content("Downloads/Food/Kiosk.far", sims.far([("Kiosk.iff", kiosk)]))
    content("Downloads/lamp.iff", sims.catalogue_object(0x55, {1: (b"Lamp", b"")}, function=128,
                                                        label=b"lamp"))
    content("Downloads/spare.iff", sims.catalogue_object(0x66, {1: (b"Spare", b"")}, function=1))
    # Code other objects share, with no object of its own: what uses it is unknown.
    content("Downloads/library.iff", sims.iff([sims.chunk(b"BHAV", 4096, b"\x01" * 80)]))
    content("GameData/Floors/marble.flr", sims.iff([sims.chunk(b"STR#", 0, sims.strings({1: [b"Marble"]}))]))
    content("GameData/Floors/spare.flr", sims.iff([sims.chunk(b"STR#", 0, sims.strings({1: [b"Spare"]}))]))
    content("GameData/Walls/Brick.wll", sims.iff([sims.chunk(b"STR#", 0, sims.strings({1: [b"Brick"]}))]))
    content("GameData/Roofs/slate.bmp", sims.bmp(16, 16))
    content("GameData/Roofs/other.bmp", sims.bmp(16, 16))
    # The game's own floors, walls and roofs, packed in one archive in each of their folders.
    content("GameData/Floors/Floors.far", sims.far([
        ("cobblestone.flr", sims.iff([sims.chunk(b"STR#", 0, sims.strings({1: [b"Cobbles"]}))])),
        ("terrazzo.flr", sims.iff([sims.chunk(b"STR#", 0, sims.strings({1: [b"Terrazzo"]}))]))]))
    content("GameData/Walls/Walls.far", sims.far([
        ("whitepaintonplaster.wll", sims.iff([sims.chunk(b"STR#", 0, sims.strings({1: [b"W"]}))]))]))
    content("GameData/Roofs/Roofs.far", sims.far([("shingles.bmp", sims.bmp(16, 16))]))
    content("GameData/Objects/Objects.far",
            sims.far([("chair.iff", sims.catalogue_object(0x7000, {1: (b"Chair", b"")}))]))
    content("ExpansionPack2/ExpansionPack2.far",
            sims.far([("bed.iff", sims.catalogue_object(0x7100, {1: (b"Bed", b"")}))]))
    # The game's own object where no note puts one, and content in GameData/UserObjects.
    content("GameData/Extras/extras.far",
            sims.far([("vase.iff", sims.catalogue_object(0x7200, {1: (b"Vase", b"")}))]))
    content("GameData/UserObjects/rug.iff", sims.catalogue_object(0x88, {1: (b"Rug", b"")}))
    write(os.path.join(saves, "Characters/User00001.iff"),
          sims.iff([sims.chunk(b"OBJD", 128, sims.objd(0x9000, kind=2))]))

    # Lot 1: the kiosk by two of its tiles, the game's chair, a Sim, the floor and the wall by
    # lower-case names with and without their endings, the game's own floor and wall from their
    # archives, the slate roof. Lot 3: the game's terrazzo and shingles, and a clone of the
    # game's chair whose own ID is the game's bed: the chair's ID is its history, not a use.
    write(os.path.join(saves, "Houses/House01.iff"), sims.house(
        [(0x11223345, b"", 4, 0), (0x11223346, b"", 4, 0), (0x7000, b"chair", 4, 0),
         (0x9000, b"Bob", 2, 0), (0x7100, b"bed2", 4, 0), (0x7200, b"vase", 4, 0),
         (0x88, b"rug", 4, 0)],
        floors=[b"marble.flr", b"cobblestone.flr"], walls=[b"brick", b"whitepaintonplaster"],
        roof=b"slate"))
    write(os.path.join(saves, "Houses/House03.iff"), sims.house(
        [(0x7100, b"bed", 4, 0x55)], floors=[b"terrazzo.flr"], roof=b"shingles", version=3))
    # Lot 2: version 3, the old header: the lamp, a clone of it, a sofa, a floor and a roof that
    # are gone.
    write(os.path.join(saves, "Houses/House02.iff"), sims.house(
        [(0x55, b"lamp", 4, 0), (0x00ABCDEF, b"lamp copy", 4, 0x55),
         (0xDEAD, b"Gold Sofa", 4, 0)],
        floors=[b"gone.flr"], roof=b"tin", version=3, old_header=True))
    write(os.path.join(saves, "Houses/NeighborhoodDesc.iff"),
          sims.lot_names({1: b"Pleasant Acres"}))
    write(os.path.join(saves, "Houses/DowntownDesc.iff"), sims.lot_names({2: b"Hilltop"}, -4))
    write(os.path.join(saves, "Neighborhood.iff"),
          sims.neighborhood([(1, b"Newbie", [0x9000]), (0, b"Homeless", [])]))

    env = dict(os.environ, HOME=os.path.join(work, "home"), LANG="C.UTF-8")
    for name in ("WINEPREFIX", "XDG_CONFIG_HOME", "LANGUAGE", "LC_ALL", "LC_MESSAGES"):
        env.pop(name, None)

    def lots(*extra):
        run = subprocess.run([counter, "--lots", "--json", *extra], env=env, capture_output=True)
        try:
            return run.returncode, json.loads(run.stdout), run.stderr.decode()
        except ValueError:
            return run.returncode, {}, run.stderr.decode() + run.stdout.decode()

    status, report, err = lots()
    check("--lots exits 4, a lot misses content: %d %s" % (status, err), status == 4)
    check("the saves under Proton: %s" % report.get("saves"), report.get("saves") == [saves])
    by_house = {lot["house"]: lot for lot in report.get("lots", [])}
    check("three lots: %s" % sorted(by_house), sorted(by_house) == [1, 2, 3])
    one, two = by_house.get(1, {}), by_house.get(2, {})
    check("lot 1 named, with its family: %s" % one,
          one.get("name") == "Pleasant Acres" and one.get("family") == "Newbie")
    check("lot 2 named from the other description file: %s" % two,
          two.get("name") == "Hilltop" and two.get("family") is None)
    check("lot 1 uses: %s" % one.get("uses"), one.get("uses") == [
        "Downloads/Food/Kiosk.far", "GameData/UserObjects/rug.iff", "GameData/Floors/marble.flr",
        "GameData/Walls/Brick.wll", "GameData/Roofs/slate.bmp"])
    check("lot 1 misses nothing: %s" % one.get("missing"), one.get("missing") == [])
    check("lot 2 uses the lamp: %s" % two.get("uses"), two.get("uses") == ["Downloads/lamp.iff"])
    three = by_house.get(3, {})
    check("lot 3 uses nothing and misses nothing: %s" % three,
          three.get("uses") == [] and three.get("missing") == [])
    check("lot 2 misses the lamp's clone, the sofa, the floor and the roof: %s" % two.get("missing"),
          two.get("missing") == [
              {"kind": "object", "id": 0xABCDEF, "name": "lamp copy"},
              {"kind": "object", "id": 0xDEAD, "name": "Gold Sofa"},
              {"kind": "floor", "id": None, "name": "gone.flr"},
              {"kind": "roof", "id": None, "name": "tin"}])
    check("unused: %s" % report.get("unused"), report.get("unused") == [
        "Downloads/spare.iff", "GameData/Floors/spare.flr", "GameData/Roofs/other.bmp"])

    run = subprocess.run([counter, "--lots"], env=env, capture_output=True, text=True)
    check("the text names the lots and warns: %s" % run.stdout,
          "Lot 1, \u201cPleasant Acres\u201d, the Newbie family" in run.stdout
          and "object 0x0000DEAD \u201cGold Sofa\u201d" in run.stdout
          and "drops that content from the lot for good" in run.stdout)

    # Without the kiosk's archive, lot 1 misses the kiosk, by the tiles it lists.
    os.rename(os.path.join(game, "Downloads/Food/Kiosk.far"), os.path.join(work, "Kiosk.far"))
    status, report, err = lots()
    one = {lot["house"]: lot for lot in report.get("lots", [])}.get(1, {})
    check("lot 1 now misses the kiosk's tiles: %s" % one.get("missing"), status == 4 and
          [m["id"] for m in one.get("missing", [])] == [0x11223345, 0x11223346])

    os.rename(os.path.join(work, "Kiosk.far"), os.path.join(game, "Downloads/Food/Kiosk.far"))

    # A floor taken out of the game's archive is missed by the lots that use it, and only them.
    floors_far = os.path.join(game, "GameData/Floors/Floors.far")
    with open(floors_far, "rb") as f:
        kept_floors = f.read()
    write(floors_far, sims.far([("cobblestone.flr", sims.iff([sims.chunk(b"STR#", 0, b"")]))]))
    status, report, err = lots()
    missed = {lot["house"]: [m["name"] for m in lot["missing"] if m["kind"] == "floor"]
              for lot in report.get("lots", [])}
    check("terrazzo taken out is missed by lot 3 alone: %s" % missed,
          missed == {1: [], 2: ["gone.flr"], 3: ["terrazzo.flr"]})
    write(floors_far, kept_floors)

    # A lot cut short, a folder, a pipe and a dangling link where lots should be: each counted,
    # said, and nothing is called unused any more; something unread wins over missing.
    houses = os.path.join(saves, "Houses")
    with open(os.path.join(houses, "House04.iff"), "wb") as f:
        f.write(sims.house([(0x55, b"lamp", 4, 0)])[:300])
    os.mkdir(os.path.join(houses, "House05.iff"))
    os.mkfifo(os.path.join(houses, "House06.iff"))
    os.symlink("nowhere.iff", os.path.join(houses, "House07.iff"))
    status, report, err = lots()
    check("four unreadable lots, exit 1 over 4: %s %d" % (report.get("lots_unreadable"), status),
          report.get("lots_unreadable") == 4 and status == 1 and
          all("House0%d.iff" % n in err for n in (4, 5, 6, 7)))
    check("nothing unused when a lot is unknown: %s" % report.get("unused"),
          report.get("unused") == [] and report.get("unused_known") is False)
    os.remove(os.path.join(houses, "House04.iff"))
    os.rmdir(os.path.join(houses, "House05.iff"))
    os.remove(os.path.join(houses, "House06.iff"))
    os.remove(os.path.join(houses, "House07.iff"))

    # As a normal user (root reads anything): a save folder, a folder of lots or the game's own
    # archive that cannot be read makes nothing unused and nothing missing, and exits 1.
    if os.geteuid() == 0 and shutil.which("runuser"):
        subprocess.run(["useradd", "--no-create-home", "brambleton-player"], capture_output=True)
        subprocess.run(["chown", "-R", "brambleton-player", work], check=True)
        os.chmod(work, 0o755)

        def as_player(*extra):
            run = subprocess.run(["runuser", "-u", "brambleton-player", "--", "env",
                                  "HOME=" + env["HOME"], "LANG=C.UTF-8", counter, "--lots",
                                  "--json", *extra], capture_output=True)
            try:
                return run.returncode, json.loads(run.stdout), run.stderr.decode()
            except ValueError:
                return run.returncode, {}, run.stderr.decode() + run.stdout.decode()

        for locked, what in ((saves, "the save folder"), (houses, "the folder of lots"),
                             (os.path.join(game, "GameData/Objects/Objects.far"),
                              "the game's objects")):
            mode = os.stat(locked).st_mode
            os.chmod(locked, 0)
            status, report, err = as_player()
            os.chmod(locked, mode)
            check("%s unreadable: exit 1, said, nothing unused: %d %s %s" % (
                what, status, report.get("unused_known"), err[:200]),
                status == 1 and locked in err and report.get("unused", [None]) == []
                if what != "the game's objects" else status == 1 and locked in err)
            missing = [m for lot in report.get("lots", []) for m in lot["missing"]]
            check("%s unreadable: nothing missing: %s" % (what, missing), missing == [])
        unknown = [m["name"] for lot in report.get("lots", []) for m in lot["unknown"]]
        check("without the game's objects the sofa is unknown: %s" % unknown,
              "Gold Sofa" in unknown)

    # --saves: a disc edition's saves kept elsewhere, as the folder holding UserData2.
    elsewhere = os.path.join(work, "backup")
    shutil.copytree(saves, os.path.join(elsewhere, "UserData2"))
    status, report, err = lots("--saves", elsewhere)
    check("--saves reads that folder: %s %s" % (report.get("saves"), err),
          report.get("saves") == [os.path.join(elsewhere, "UserData2")])
    status, report, err = lots("--saves", os.path.join(work, "nothing"))
    check("--saves of a folder without saves fails: %d" % status, status == 1)
    run = subprocess.run([counter, "--saves", elsewhere], env=env, capture_output=True)
    check("--saves without --lots is bad usage", run.returncode == 2)

    # With no roofs in GameData/Roofs, the game's own are elsewhere: no roof is called missing.
    shutil.move(os.path.join(game, "GameData/Roofs"), os.path.join(work, "Roofs"))
    status, report, err = lots()
    kinds = [m["kind"] for lot in report.get("lots", []) for m in lot["missing"]]
    check("no roof missing without a roofs folder: %s" % kinds, "roof" not in kinds)

    # The check says which copies the lots use: a copy of the lamp, and another object with
    # the lamp's ID, whose label is not the name the lot gives it.
    shutil.copy(os.path.join(game, "Downloads/lamp.iff"), os.path.join(game, "Downloads/lamp (2).iff"))
    content("Downloads/other.iff", sims.catalogue_object(0x55, {1: (b"Other", b"")}, price=9,
                                                         label=b"other lamp"))
    run = subprocess.run([counter, "--check", "--json"], env=env, capture_output=True)
    problems = json.loads(run.stdout)["problems"]
    lamp = [p for p in problems if p["kind"] in ("duplicate", "guid-conflict")]
    check("the lamp's problems name the lot using it: %s" % lamp,
          lamp and all(p.get("used_by_lots") == ["Lot 2, \u201cHilltop\u201d"] for p in lamp))
    conflict = [p for p in lamp if p["kind"] == "guid-conflict"]
    check("the conflict says the lot holds the lamp: %s" % conflict,
          conflict and "hold the one in Downloads/lamp" in conflict[0]["detail"]
          and "keep that one" in conflict[0]["detail"])

if failures:
    print("\n".join(failures))
    sys.exit(1)
print("ok")
