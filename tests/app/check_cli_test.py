#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""brambleton-count --check on an install tree with planted problems and near misses, the JSON
parsed here; and its duplicates against jdupes on generated trees, when jdupes is installed."""
import json
import os
import pty
import random
import shutil
import signal
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import sims_files  # noqa: E402
from game_tree import check, failures, write  # noqa: E402

counter = sys.argv[1]


with tempfile.TemporaryDirectory() as work:
    home = os.path.join(work, "home")
    game = os.path.join(home, ".local/share/Steam/steamapps/common/The Sims Legacy Collection")
    write(os.path.join(home, ".local/share/Steam/steamapps/appmanifest_3314060.acf"),
          b'"AppState"\n{\n\t"appid"\t\t"3314060"\n\t"installdir"\t\t"The Sims Legacy Collection"\n}\n')
    files = {  # relative path: content
        "GameData/Behavior.iff": b"behaviour",
        "Downloads/Sets/Kitchen/stove.iff": b"s" * 5000,
        "Downloads/Sets/Kitchen/fridge.IFF": b"f" * 3000,
        "Downloads/Sets/bundle.far": b"F" * 2000,
        "Downloads/chair.iff": b"chair",
        "Downloads/Copies/chair.iff": b"chair",   # duplicate of Downloads/chair.iff
        "Downloads/preview.bmp": b"bmp",          # near miss
        "Downloads/x.zip/table.iff": b"table",     # near miss: a folder named like an archive
        "Downloads/same size a.iff": b"abcd1",    # near miss: equal size, other bytes
        "Downloads/old/sofa.iff.bak": b"sofa",    # ignored-name
        "Downloads/new set.rar": b"rar",          # packed-archive
        "Downloads/Skin/body.cmx": b"cmx",        # misplaced
        "Downloads/Skin/body.bmp": b"bmp",        # near miss: no mesh names it as its texture
        "Downloads/broken.iff": b"",              # empty-file
        "GameData/UserObjects/lamp.iff": b"lamp",
        "GameData/Floors/oak.flr": b"oak",
        "GameData/Floors/Marble/white.flr": b"white",
        "GameData/Walls/brick.wll": b"brick",
        "GameData/Walls/tile.flr": b"tile",        # misplaced
        "GameData/Skins/b001mafit_01.skn": b"skn",
        "GameData/Skins/B001MAFIT_01.bmp": b"bmp!",
        "GameData/Skins/Extra/face.bmp": b"face",  # unread-subfolder
        "ExpansionShared/SkinsBuy/buy.cmx": b"buy",
        "GameData/Roofs/slate.bmp": b"slate",
        "GameData/Roofs/table.iff": b"t",          # misplaced
    }
    for rel, data in files.items():
        write(os.path.join(game, rel), data)
    env = dict(os.environ, HOME=home)
    env.pop("WINEPREFIX", None)
    env.pop("XDG_CONFIG_HOME", None)
    # These files are names and sizes only: --quick does not read inside them.
    run = subprocess.run([counter, "--check", "--quick", "--json"], env=env, capture_output=True)
    check("--check exits 4 when it finds problems: %d %s" % (run.returncode, run.stderr),
          run.returncode == 4)
    report = json.loads(run.stdout)
    check("the install folder", report["install"] == game)
    areas = {(a["name"], a["folder"]): (a["files"], a["bytes"]) for a in report["areas"]}
    want = {
        ("objects", os.path.join(game, "Downloads")): (8, 5000 + 3000 + 2000 + 5 + 5 + 5 + 5 + 0),
        ("objects", os.path.join(game, "GameData/UserObjects")): (1, 4),
        ("floors", os.path.join(game, "GameData/Floors")): (2, 8),
        ("walls", os.path.join(game, "GameData/Walls")): (1, 5),
        ("skins", os.path.join(game, "GameData/Skins")): (2, 7),
        ("buyable skins", os.path.join(game, "ExpansionShared/SkinsBuy")): (1, 3),
        ("roofs", os.path.join(game, "GameData/Roofs")): (1, 5),
    }
    check("areas: %s" % areas, areas == want)
    downloads = report["areas"][0]
    check("largest folders first: %s" % downloads["largest"],
          [f["bytes"] for f in downloads["largest"]][:2] == [10000, 8000])
    got = sorted((p["kind"], os.path.relpath(p["path"], game)) for p in report["problems"])
    planted = sorted([
        ("duplicate", "Downloads/chair.iff"),
        ("ignored-name", "Downloads/old/sofa.iff.bak"),
        ("packed-archive", "Downloads/new set.rar"),
        ("misplaced", "Downloads/Skin/body.cmx"),
        ("empty-file", "Downloads/broken.iff"),
        ("misplaced", "GameData/Walls/tile.flr"),
        ("unread-subfolder", "GameData/Skins/Extra"),
        ("misplaced", "GameData/Roofs/table.iff"),
    ])
    check("problems: %s" % got, got == planted)
    advice = {os.path.relpath(p["path"], game): p["advice"] for p in report["problems"]}
    check("advice: %s" % advice, advice == {
        "Downloads/chair.iff": {"action": "trash", "from": "Downloads/chair.iff", "to": None},
        "Downloads/old/sofa.iff.bak": {"action": "none", "from": "Downloads/old/sofa.iff.bak",
                                       "to": "Downloads/old/sofa.iff"},
        "Downloads/new set.rar": {"action": "install", "from": "Downloads/new set.rar",
                                  "to": "Downloads"},
        "Downloads/Skin/body.cmx": {"action": "move", "from": "Downloads/Skin/body.cmx",
                                    "to": "GameData/Skins"},
        "Downloads/broken.iff": {"action": "trash", "from": "Downloads/broken.iff", "to": None},
        "GameData/Walls/tile.flr": {"action": "move", "from": "GameData/Walls/tile.flr",
                                    "to": "GameData/Floors"},
        "GameData/Skins/Extra": {"action": "move", "from": "GameData/Skins/Extra",
                                 "to": "GameData/Skins"},
        "GameData/Roofs/table.iff": {"action": "move", "from": "GameData/Roofs/table.iff",
                                     "to": "Downloads"},
    })
    for p in report["problems"]:
        check("a sentence for %s" % p["path"], p["detail"].endswith("."))
        if p["kind"] == "duplicate":
            check("the copy kept", p["same_as"] == os.path.join(game, "Downloads/Copies/chair.iff"))
    check("no unreadable folder", report["folders_unreadable"] == 0)

    # --report writes what Save report... writes: paths from the game's folder, the home
    # folder as ~, so a report posted in a forum names no one; HTML unless it ends in .json.
    for name in ("shared.html", "shared.JSON"):
        target = os.path.join(work, name)
        run = subprocess.run([counter, "--check", "--quick", "--report", target], env=env,
                             capture_output=True)
        check("--report exits as --check does: %d" % run.returncode, run.returncode == 4)
        with open(target, "rb") as f:
            shared = f.read()
        check("%s names no home folder" % name, home.encode() not in shared)
        check("%s is %s" % (name, "JSON" if name.endswith("JSON") else "a page"),
              shared.startswith(b"{") if name.endswith("JSON") else shared.startswith(b"<!DOCTYPE"))
    with open(os.path.join(work, "shared.html"), "rb") as f:
        page = f.read()
    check("the page says what made it and when", b"Made by Brambleton " in page)
    check("the page draws the largest folders' bars", b'class="bar"' in page)
    shared = json.loads(open(os.path.join(work, "shared.JSON"), "rb").read())
    check("the shared install is under ~", shared["install"].startswith("~/.local/share/Steam"))
    check("shared paths start at the game's folder",
          {p["path"] for p in shared["problems"]} >= {"Downloads/chair.iff", "GameData/Skins/Extra"})
    unwritable = subprocess.run([counter, "--check", "--quick", "--report",
                                 os.path.join(work, "no", "such", "r.html")], env=env,
                                capture_output=True)
    check("an unwritable report exits 3: %d" % unwritable.returncode, unwritable.returncode == 3)
    # A pipe as the report is refused at once, never opened (it would wait for a reader).
    pipe = os.path.join(work, "pipe.html")
    os.mkfifo(pipe)
    refused = subprocess.run([counter, "--check", "--quick", "--report", pipe], env=env,
                             capture_output=True, timeout=120)
    check("a pipe as the report exits 3: %d %s" % (refused.returncode, refused.stderr[-200:]),
          refused.returncode == 3 and b"not a regular file" in refused.stderr)
    # On a full disk the old report stays whole, and nothing is left beside it.
    full = os.path.join(work, "full")
    os.mkdir(full)
    if os.geteuid() == 0 and subprocess.run(["mount", "-t", "tmpfs", "-o", "size=256k", "tmpfs",
                                             full], capture_output=True).returncode == 0:
        try:
            old_report = os.path.join(full, "r.json")
            write(old_report, b'{"old": true}')
            try:
                with open(os.path.join(full, "filler"), "wb") as f:
                    f.write(b"x" * (1 << 20))
            except OSError:
                pass  # the disk is full
            run = subprocess.run([counter, "--check", "--quick", "--report", old_report], env=env,
                                 capture_output=True)
            check("a full disk exits 3 and keeps the old report: %d %s" % (
                run.returncode, sorted(os.listdir(full))),
                run.returncode == 3 and open(old_report, "rb").read() == b'{"old": true}'
                and sorted(os.listdir(full)) == ["filler", "r.json"])
        finally:
            subprocess.run(["umount", full])

    # The text report and a clean install's status.
    text = subprocess.run([counter, "--check", "--quick"], env=env, capture_output=True,
                          text=True).stdout
    check("the text report groups by kind", "Empty files" in text and "(empty-file)" in text)
    for rel in ["Downloads/Copies/chair.iff", "Downloads/old/sofa.iff.bak", "Downloads/new set.rar",
                "Downloads/Skin/body.cmx", "Downloads/broken.iff", "GameData/Walls/tile.flr",
                "GameData/Roofs/table.iff"]:
        os.remove(os.path.join(game, rel))
    shutil.rmtree(os.path.join(game, "GameData/Skins/Extra"))
    clean = subprocess.run([counter, "--check", "--quick", "--json"], env=env, capture_output=True)
    check("a clean install exits 0: %d" % clean.returncode, clean.returncode == 0)
    # Read inside, these made-up files are not what their names say.
    inside = json.loads(subprocess.run([counter, "--check", "--json"], env=env,
                                       capture_output=True).stdout)
    check("made-up objects are bad files",
          {p["kind"] for p in inside["problems"]} == {"bad-file"})

    # A held-out install: objects, archives and skins as the game's tools write them.
    held = os.path.join(work, "held-out", "The Sims")
    obj = sims_files.obj
    real = {
        "GameData/Behavior.iff": sims_files.iff([sims_files.chunk(b"BHAV", 1, b"x" * 40)]),
        "Downloads/Kitchen/Kitchen Set.far": sims_files.far([
            ("Counter.iff", obj([0x6A0B1C01])),
            ("Stove.iff", obj([0x6A0B1C02])),
            ("Sink.iff", obj([0x6A0B1C03])),
            ("Fridge.iff", obj([0x6A0B1C04])),
            ("readme.txt", b"Enjoy!"),
        ]),
        "Downloads/Kitchen/Stove recolour.iff": obj([0x6A0B1C02]),  # the archive's stove's ID
        "Downloads/Beds/Double Bed.iff": obj([0x7700AA01, 0x7700AA02, 0x7700AA03]),  # tiles
        "Downloads/Beds/Bunk.far": sims_files.far([("Bunk.iff", obj([0x7700BB01]))]),
        "Downloads/Error page.iff": b"<!DOCTYPE html>\n<html><head><title>404</title></head></html>\n",
        "Downloads/Cut short.far": sims_files.far([("Lamp.iff", obj([0x5500CC01]))])[:700],
        "GameData/UserObjects/Plant.iff": obj([0x4400DD01]),
        "GameData/Floors/Oak.flr": sims_files.iff([sims_files.chunk(b"FBMP", 1, b"BM" * 30)], False),
        "GameData/Skins/b500fafit_ann.cmx": sims_files.cmx(
            "b500fafit_ann", ["xskin-b500fafit_ann-PELVIS-BODY", "xskin-b500fafit_ann-L_HAND-BAG"]),
        "GameData/Skins/xskin-b500fafit_ann-PELVIS-BODY.skn": b"version 1\n",
        "GameData/Skins/b500fafitlgt_ann.bmp": b"BM",
    }
    for rel, data in real.items():
        write(os.path.join(held, rel), data)
    conf = os.path.join(work, "held-home/.config/brambleton")
    os.makedirs(conf)
    with open(os.path.join(conf, "brambleton.ini"), "w") as f:
        f.write("[game]\nchosen=%s\n" % held)
    held_env = dict(env, HOME=os.path.join(work, "held-home"))
    run = subprocess.run([counter, "--check", "--json"], env=held_env, capture_output=True)
    check("the held-out install exits 4: %d %s" % (run.returncode, run.stderr), run.returncode == 4)
    report = json.loads(run.stdout)
    downloads = report["areas"][0]
    check("objects in archives: %s" % downloads,
          (downloads["objects"], downloads["objects_in_archives"], downloads["archives"]) ==
          (3 + 4 + 1, 4 + 1, 2))  # a cut archive's table is not read: no objects
    got = sorted((p["kind"], os.path.relpath(p["path"], held).replace(os.sep, "/"),
                  os.path.relpath(p.get("same_as", held), held).replace(os.sep, "/"),
                  p.get("same_as_entry", ""), p.get("mesh", ""), p.get("guid", 0))
                 for p in report["problems"])
    want = sorted([
        ("guid-conflict", "Downloads/Kitchen/Stove recolour.iff",
         "Downloads/Kitchen/Kitchen Set.far", "Stove.iff", "", 0x6A0B1C02),
        ("bad-file", "Downloads/Error page.iff", ".", "", "", 0),
        ("bad-file", "Downloads/Cut short.far", ".", "", "", 0),
        ("missing-mesh", "GameData/Skins/b500fafit_ann.cmx", ".", "", "xskin-b500fafit_ann-L_HAND-BAG", 0),
    ])
    check("held-out problems: %s" % got, got == want)
    details = {p["path"]: p["detail"] for p in report["problems"]}
    check("a web page is called one",
          "web page" in details[os.path.join(held, "Downloads", "Error page.iff")])
    check("a cut archive is called cut short",
          "cut short" in details[os.path.join(held, "Downloads", "Cut short.far")])
    check("bytes read inside the files", 0 < report["bytes_inspected"])
    # With few descriptors the files are read on the walk's thread: the same report.
    limited = subprocess.run(["bash", "-c", 'ulimit -n 16 && exec "$0" --check --json', counter],
                             env=held_env, capture_output=True)
    check("the same report under ulimit -n 16: %s" % limited.stderr,
          json.loads(limited.stdout)["problems"] == report["problems"])
    text = subprocess.run([counter, "--check"], env=held_env, capture_output=True, text=True).stdout
    check("the text counts objects in archives: %s" % text,
          "8 objects, 5 of them inside 2 archives" in text)
    check("the text tells the bytes read inside", "Reading inside the files read" in text)

    # A reader short of memory says so: an archive of many broken entries under a low
    # address-space limit is never "0 problems" with exit 0.
    write(os.path.join(held, "Downloads/Broken entries.far"),
          sims_files.far([("e%d.iff" % i, b"<html>") for i in range(100000)]))
    low = subprocess.run(["bash", "-c", 'ulimit -v 200000 && exec "$0" --check --json', counter],
                         env=held_env, capture_output=True)
    check("under ulimit -v the check still reports: %d %s" % (low.returncode, low.stderr[-300:]),
          low.returncode not in (0, 130))
    if low.returncode == 4:
        grouped = [p for p in json.loads(low.stdout)["problems"]
                   if p["path"].endswith("Broken entries.far")]
        check("an archive's broken entries are one problem: %d" % len(grouped),
              len(grouped) == 1 and grouped[0]["members_count"] == 99999
              and len(grouped[0]["members"]) == 100)
    os.remove(os.path.join(held, "Downloads/Broken entries.far"))

    # Output that cannot be written (a reader that went away, as `| head -1` does) is exit 3,
    # not a death by signal.
    closed = subprocess.Popen([counter, "--check"], env=held_env, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL)
    closed.stdout.close()
    check("a closed pipe exits 3: %d" % closed.wait(), closed.returncode == 3)

    # Ctrl-C stops the check with 130 and writes no report: here while it compares thirty
    # thousand files of one size.
    for i in range(30000):
        write(os.path.join(held, "Downloads/Many/m%05d.iff" % i), b"%08d" % i)
    # The signal goes once the check shows its progress on the terminal (standard error here),
    # a sign that it has set its handler, however busy the machine.
    terminal, its_end = pty.openpty()
    interrupted = subprocess.Popen([counter, "--check", "--json"], env=held_env,
                                   stdout=subprocess.PIPE, stderr=its_end)
    os.close(its_end)
    err = b""
    while b"folders" not in err:
        try:
            got = os.read(terminal, 4096)
        except OSError:
            got = b""
        if not got:
            break
        err += got
    interrupted.send_signal(signal.SIGINT)
    out, _ = interrupted.communicate(timeout=60)
    while True:
        try:
            got = os.read(terminal, 4096)
        except OSError:
            break
        if not got:
            break
        err += got
    os.close(terminal)
    check("Ctrl-C exits 130: %d %s" % (interrupted.returncode, err[-200:]),
          interrupted.returncode == 130 and b"Action Canceled by User" in err and out == b"")
    shutil.rmtree(os.path.join(held, "Downloads/Many"))

    # Duplicates against jdupes on generated trees.
    jdupes = shutil.which("jdupes")
    if jdupes:
        rng = random.Random(7)
        for round_ in range(3):
            tree = os.path.join(work, "tree%d" % round_)
            bodies = [bytes(rng.getrandbits(8) for _ in range(rng.choice([1, 7, 4096, 4097, 9000])))
                      for _ in range(25)]
            for i in range(120):
                write(os.path.join(tree, "Downloads", "d%d" % (i % 9), "o%d.iff" % i),
                      rng.choice(bodies))
            write(os.path.join(tree, "GameData/Behavior.iff"), b"b")
            # A home with no game but this tree, chosen as in the window.
            conf = os.path.join(work, "none/.config/brambleton")
            os.makedirs(conf, exist_ok=True)
            with open(os.path.join(conf, "brambleton.ini"), "w") as f:
                f.write("[game]\nchosen=%s\n" % tree)
            ours = json.loads(subprocess.run([counter, "--check", "--json"],
                                             env=dict(env, HOME=work + "/none"),
                                             capture_output=True).stdout)
            extra = sorted(p["path"] for p in ours["problems"] if p["kind"] == "duplicate")
            out = subprocess.run([jdupes, "-r", "-q", os.path.join(tree, "Downloads")],
                                 capture_output=True, text=True).stdout
            theirs = []
            for group in out.strip().split("\n\n"):
                paths = sorted(p for p in group.split("\n") if p)
                theirs += paths[1:]
            check("round %d: jdupes finds duplicates" % round_, len(theirs) > 0)
            check("round %d: duplicates as jdupes finds them: %s" % (round_, (sorted(set(extra) - set(theirs))[:3], sorted(set(theirs) - set(extra))[:3])), extra == sorted(theirs))

if failures:
    for f in failures:
        print("FAIL:", f)
    sys.exit(1)
print("check_cli_test: all passed")
