#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""brambleton-count --install on a Legacy Collection install holding the game's own files:
downloads packed by the system's zip, 7zz and bsdtar and by the project's own RAR writer are
installed byte for byte where the game reads each kind, leftovers are not; hostile names write
nothing outside the game and no link; a clash exits 6 and changes nothing; password-protected
and split archives are named; and --undo after each install leaves the game as it was."""
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import rar_files  # noqa: E402
import sims_files  # noqa: E402
from game_tree import check, failures, snapshot, write  # noqa: E402

counter = sys.argv[1]
# The sanitizer build leaves out the kills: under ptrace every system call stops.
kills_wanted = "--no-kills" not in sys.argv[2:]


def stored_zip(entries):
    """A zip of stored entries whose names are raw bytes, without the UTF-8 flag: as DOS and
    old Windows tools wrote them, in the code page of the machine (CP437)."""
    out, central = b"", b""
    for name, data in entries:
        crc = zlib.crc32(data) & 0xFFFFFFFF
        local = struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, 0, 0, 0, 0, crc, len(data), len(data),
                            len(name), 0)
        central += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 20, 0, 0, 0, 0, crc, len(data),
                               len(data), len(name), 0, 0, 0, 0, 0x20, len(out)) + name
        out += local + name + data
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, len(entries), len(entries), len(central),
                      len(out), 0)
    return out + central + end


CHAIR = sims_files.far([("chair.iff", sims_files.catalogue_object(0x7A000001, {1: (b"Zebra Chair", b"A chair")}))])
SOFA = sims_files.obj([0x7A000002])
OAK = sims_files._tile(b"Oak")
PINE = sims_files._tile(b"Pine")
SKIN = {
    "b300mafit_zebra.cmx": sims_files.cmx("b300mafit_zebra", ["xskin-b300mafit_zebra-BODY"]),
    "xskin-b300mafit_zebra-BODY.skn": b"xskin-b300mafit_zebra-BODY\r\nb300mafitlgt_zebra\r\n0\r\n",
    "b300mafitlgt_zebra.bmp": sims_files.bmp(128, 128),
}
ROOF = sims_files.bmp(32, 32)

with tempfile.TemporaryDirectory() as work:
    home = os.path.join(work, "home")
    game, saves = sims_files.legacy_collection(home)
    own = sims_files.game_layout(lambda rel, data: write(os.path.join(game, rel), data))
    env = dict(os.environ, HOME=home, LC_ALL="C.UTF-8")
    for name in ("WINEPREFIX", "XDG_CONFIG_HOME", "XDG_DATA_HOME"):
        env.pop(name, None)
    dl = os.path.join(work, "downloads")
    os.makedirs(dl)

    def run(*args):
        return subprocess.run([counter] + list(args), env=env, capture_output=True, text=True, cwd=dl)

    def packed(folder, files):
        root = os.path.join(work, "src", folder)
        for rel, data in files.items():
            write(os.path.join(root, rel), data)
        return root

    # The downloads, each made as the tools players' downloads come from make them.
    src = packed("chairset", {"Zebra Chair/chair.far": CHAIR, "Zebra Chair/Read me.txt": b"Enjoy",
                              "__MACOSX/Zebra Chair/._chair.far": b"\0\5\26\7", "Zebra Chair/.DS_Store": b"x"})
    subprocess.run(["zip", "-qr", os.path.join(dl, "Zebra Chair.zip"), "."], cwd=src, check=True)
    src = packed("skin", SKIN)
    subprocess.run(["7zz", "a", "-bd", "-y", os.path.join(dl, "zebra skin.7z"), "."], cwd=src, check=True,
                   capture_output=True)
    src = packed("tiles", {"Build/Floors/wood/oak.flr": OAK, "Build/Walls/pine.wll": PINE, "roof/slate.bmp": ROOF})
    subprocess.run(["bsdtar", "-czf", os.path.join(dl, "tiles.tar.gz"), "."], cwd=src, check=True)
    write(os.path.join(dl, "dos.zip"), stored_zip([("Caf\x82 sofa.iff".encode("latin-1"), SOFA)]))
    inner = os.path.join(work, "inner.zip")
    subprocess.run(["zip", "-qj", inner, os.path.join(work, "src/tiles/Build/Walls/pine.wll")], check=True)
    # A self-extracting archive: a program's bytes, then the zip, its offsets made right.
    sfx = os.path.join(dl, "Zebra Setup.exe")
    with open(sfx, "wb") as f:
        f.write(b"MZ" + b"\0" * 4094)
        f.write(stored_zip([(b"setup/lamp.iff", sims_files.obj([0x7A000003]))]))
    subprocess.run(["zip", "-qA", sfx], check=True)
    write(os.path.join(dl, "stored4.rar"), rar_files.rar4([("Zebra/rug.iff", sims_files.obj([0x7A000004]))]))
    write(os.path.join(dl, "stored5.rar"), rar_files.rar5([("Zebra/vase.iff", sims_files.obj([0x7A000005]))]))

    cases = [  # download, [(where it goes below the game, its bytes)], what is left out
        ("Zebra Chair.zip", [("Downloads/Zebra Chair/chair.far", CHAIR)], ["Read me.txt", "._chair.far", ".DS_Store"]),
        ("zebra skin.7z", [("GameData/Skins/" + n, d) for n, d in SKIN.items()], []),
        ("tiles.tar.gz", [("GameData/Floors/oak.flr", OAK), ("GameData/Walls/pine.wll", PINE),
                          ("GameData/Roofs/slate.bmp", ROOF)], []),
        ("dos.zip", [("Downloads/dos/Caf\u00e9 sofa.iff", SOFA)], []),
        ("Zebra Setup.exe", [("Downloads/Zebra Setup/lamp.iff", sims_files.obj([0x7A000003]))], []),
        ("stored4.rar", [("Downloads/stored4/rug.iff", sims_files.obj([0x7A000004]))], []),
        ("stored5.rar", [("Downloads/stored5/vase.iff", sims_files.obj([0x7A000005]))], []),
    ]
    for download, wanted, left in cases:
        before = snapshot(game)
        plan = run("--install", download, "--dry-run", "--json")
        check("%s: --dry-run exits 0: %d %s" % (download, plan.returncode, plan.stderr), plan.returncode == 0)
        files = json.loads(plan.stdout)["files"] if plan.returncode == 0 else []
        planned = {f["to"] for f in files if f["verdict"] == "install"}
        check("%s: the plan installs %s, got %s" % (download, [w for w, _ in wanted], sorted(planned)),
              planned == {w for w, _ in wanted})
        skipped = " ".join(f["entry"] for f in files if f["verdict"] == "skip")
        check("%s: leftovers are listed, not installed" % download, all(name in skipped for name in left))
        check("%s: --dry-run changes nothing" % download, snapshot(game) == before)
        done = run("--install", download)
        check("%s: --install exits 0: %d %s" % (download, done.returncode, done.stderr), done.returncode == 0)
        for rel, data in wanted:
            path = os.path.join(game, rel)
            ok = os.path.isfile(path) and open(path, "rb").read() == data
            check("%s: %s is installed byte for byte" % (download, rel), ok)
        added = set(snapshot(game)) - set(before)
        check("%s: nothing else is written: %s" % (download, sorted(added)),
              all(a.endswith("/") or a in {w for w, _ in wanted} for a in added))
        catalog = run("--catalog", "--json")
        if download == "Zebra Chair.zip":
            names = [i.get("name") for i in json.loads(catalog.stdout)["items"]] if catalog.returncode == 0 else []
            check("the catalogue names the new object", "Zebra Chair" in names)
        undo = run("--undo")
        check("%s: --undo exits 0: %s" % (download, undo.stdout + undo.stderr), undo.returncode == 0)
        check("%s: after --undo the game is as it was" % download, snapshot(game) == before)

    # A zip whose entries climb out, are absolute, or are links, made with Python's writer.
    import zipfile
    hostile = os.path.join(dl, "hostile.zip")
    with zipfile.ZipFile(hostile, "w") as z:
        for name in ["../../escape.iff", "/tmp/absolute.iff", "C:/drive.iff", "a/..\\..\\back.iff",
                     "con.iff", "trailing.iff.", "ctl\x01.iff", "ok/good.iff"]:
            z.writestr(name, SOFA)
        link = zipfile.ZipInfo("link.iff")
        link.external_attr = (0o120777 << 16)
        z.writestr(link, "/etc/passwd")
    before = snapshot(game)
    outside = snapshot(work)
    plan = run("--install", "hostile.zip", "--dry-run", "--json")
    files = json.loads(plan.stdout)["files"] if plan.returncode == 0 else []
    verdicts = {f["entry"]: f["verdict"] for f in files}
    check("hostile names are refused, one by one: %s" % verdicts,
          len(verdicts) == 9 and all(v == "refuse" for e, v in verdicts.items() if e != "ok/good.iff") and
          verdicts.get("ok/good.iff") == "install")
    done = run("--install", "hostile.zip")
    changed = {k for k in set(snapshot(work)) ^ set(outside) if not k.startswith("home/")}
    check("a hostile zip writes nothing outside the game: %s" % sorted(changed), not changed)
    added = set(snapshot(game)) - set(before)
    check("...and inside it only the good file, no link: %s" % sorted(added),
          added <= {"Downloads/", "Downloads/hostile/", "Downloads/hostile/good.iff"} and
          "link" not in snapshot(game).values())
    run("--undo")

    # An object whose ID is installed already under another name: a clash, and nothing done.
    write(os.path.join(game, "Downloads/Old/old stool.iff"), sims_files.catalogue_object(0x7A000009, {1: (b"Old Stool", b"")}))
    write(os.path.join(work, "src/clash/new stool.iff"), sims_files.catalogue_object(0x7A000009, {1: (b"New Stool", b"")}))
    # A saved lot places the installed stool: the clash says so.
    write(os.path.join(saves, "Houses/House07.iff"), sims_files.house([(0x7A000009, b"stool", 4, 0)]))
    write(os.path.join(work, "src/clash/roof.bmp"), ROOF)
    subprocess.run(["zip", "-qj", os.path.join(dl, "clash.zip"), os.path.join(work, "src/clash/new stool.iff"),
                    os.path.join(work, "src/clash/roof.bmp")], check=True)
    before = snapshot(game)
    plan = run("--install", "clash.zip", "--dry-run", "--json")
    files = json.loads(plan.stdout)["files"] if plan.stdout else []
    clash = [f for f in files if f["verdict"] == "clash"]
    check("--dry-run --json shows the clash with both names: %s" % clash,
          plan.returncode == 6 and len(clash) == 1 and clash[0]["clashes"][0]["name"] == "New Stool" and
          clash[0]["clashes"][0]["other_name"] == "Old Stool" and "Lot 7" in clash[0]["why"])
    done = run("--install", "clash.zip")
    check("--install of a clash exits 6 and changes nothing: %d" % done.returncode,
          done.returncode == 6 and snapshot(game) == before)

    # --fix installs an archive left packed in Downloads, then trashes it, as one change.
    shutil.copy(os.path.join(dl, "Zebra Chair.zip"), os.path.join(game, "Downloads/Zebra Chair.zip"))
    before = snapshot(game)
    fixed = run("--fix", "--json")
    outcome = json.loads(fixed.stdout) if fixed.returncode == 0 else {"actions": []}
    done = {(a["action"], a["to"] or a["from"]) for a in outcome["actions"] if a["done"]}
    check("--fix installs a packed archive and trashes it: %s %s" % (done, fixed.stderr),
          ("write", "Downloads/Zebra Chair/chair.far") in done and ("trash", "Downloads/Zebra Chair.zip") in done
          and open(os.path.join(game, "Downloads/Zebra Chair/chair.far"), "rb").read() == CHAIR
          and not os.path.exists(os.path.join(game, "Downloads/Zebra Chair.zip")))
    undo = run("--undo")
    check("one --undo takes back both: %s" % undo.stdout, undo.returncode == 0 and snapshot(game) == before)
    os.remove(os.path.join(game, "Downloads/Zebra Chair.zip"))
    before = snapshot(game)

    # The same object already installed under another name and folder: nothing to do.
    write(os.path.join(work, "src/again/Zebra Chair copy.far"), CHAIR)
    write(os.path.join(game, "Downloads/Mine/chair.far"), CHAIR)
    subprocess.run(["zip", "-qj", os.path.join(dl, "again.zip"), os.path.join(work, "src/again/Zebra Chair copy.far")],
                   check=True)
    plan = run("--install", "again.zip", "--dry-run", "--json")
    files = json.loads(plan.stdout)["files"] if plan.returncode == 0 else []
    check("the same bytes installed elsewhere are skipped, named: %s" % files,
          len(files) == 1 and files[0]["verdict"] == "skip" and "Downloads/Mine/chair.far" in files[0]["why"])
    os.remove(os.path.join(game, "Downloads/Mine/chair.far"))
    os.rmdir(os.path.join(game, "Downloads/Mine"))

    # What cannot be read is said plainly, by name and why.
    subprocess.run(["zip", "-qj", "-P", "secret", os.path.join(dl, "locked.zip"),
                    os.path.join(work, "src/clash/roof.bmp")], check=True)
    write(os.path.join(dl, "set.part2.rar"), rar_files.rar5([("b.iff", SOFA)], volume=1))
    write(os.path.join(dl, "broken.zip"), b"PK\x03\x04" + b"\xff" * 40)
    for download, words in [("locked.zip", "is protected by a password"),
                            ("set.part2.rar", "is part 2 of a split archive"),
                            ("broken.zip", "could not be read")]:
        done = run("--install", download)
        check("%s exits 3 and says \"%s\": %s" % (download, words, done.stderr.strip()),
              done.returncode == 3 and download in done.stderr and words in done.stderr)
    check("nothing unreadable changed the game", snapshot(game) == before)

    # Killed before each of its folders made, files opened, journal flushes, links and renames, then
    # undone: the game's folder is as it was, with no half-written file left in it.
    calls = ["mkdir", "openat", "fdatasync", "linkat", "renameat2"]
    if shutil.which("strace") is None or not kills_wanted:
        print("skip killing --install: %s" % ("no strace" if kills_wanted else "--no-kills"))
        calls = []
    kills = 0
    for call in calls:
        # Files are opened for reading too, hundreds of times: every fifth opening is enough.
        for when in range(1, 400, 5 if call == "openat" else 1):
            killed = subprocess.run(
                ["strace", "-f", "-qq", "-o", "/dev/null", "-e", "trace=" + call,
                 "-e", "inject=%s:signal=KILL:when=%d" % (call, when), counter, "--install", "tiles.tar.gz"],
                env=env, capture_output=True, text=True, cwd=dl)
            if killed.returncode == 0:
                run("--undo")
                break
            kills += 1
            # The next run first takes back what a killed one had begun; a change killed after
            # its end stands, and the undo takes it back.
            run("--undo")
            if snapshot(game) != before:
                check("--install killed at %s number %d, then --undo, leaves the game as before"
                      % (call, when), False)
                break
        check("--install killed before each %s, then --undo, leaves the game as before" % call,
              snapshot(game) == before)
    check("--install was killed at each point (%d times)" % kills, not calls or kills >= 10)

sys.exit(1 if failures else 0)
