#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""brambleton-count --fix, --undo and --history on a Legacy Collection install holding the
game's own files and planted problems: the plan changes nothing, a running game stops
everything, the fix leaves no problem and loses no byte, the undo puts the folder back exactly,
and so does an undo after the counter is killed before any of its renames, links, unlinks and
folders made."""
import json
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import sims_files  # noqa: E402
from game_tree import check, failures, snapshot, write  # noqa: E402

counter = sys.argv[1]
# The sanitizer build leaves out the kills: under ptrace every one of its many system calls
# stops, and a kill from outside finds nothing a sanitizer would.
kills_wanted = "--no-kills" not in sys.argv[2:]


def contents(folder, leave_out):
    """The hashes of every file's bytes below `folder`, with how many files hold each."""
    out = {}
    for path, digest in snapshot(folder).items():
        if digest and not path.startswith(leave_out):
            out[digest] = out.get(digest, 0) + 1
    return out


PLANTED = {  # below the game's folder: bytes, and the action that puts it right
    "Downloads/Kitchen/stove.iff": (sims_files.obj([0x4100]), None),
    "Downloads/stove copy/stove.iff": (sims_files.obj([0x4100]), "trash"),
    "Downloads/empty.iff": (b"", "trash"),
    "Downloads/page.iff": (b"<!DOCTYPE html><html><body>Not found</body></html>", "trash"),
    "Downloads/set.iff": (sims_files.far([("a.iff", sims_files.obj([0x4200]))]), "rename"),
    "Downloads/Skin/b100mafit_01.cmx": (sims_files.cmx("b100mafit_01", ["xskin-b100mafit_01-BODY"]),
                                        "move"),
    "Downloads/Skin/xskin-b100mafit_01-BODY.skn":
        (b"xskin-b100mafit_01-BODY\r\nb100mafitlgt_01\r\n0\r\n", "move"),
    "GameData/Walls/oak.flr": (sims_files._tile(b"Oak"), "move"),
    "GameData/Roofs/Slate/slate.bmp": (sims_files.bmp(32, 32), "move"),
}

with tempfile.TemporaryDirectory() as work:
    home = os.path.join(work, "home")
    game, saves = sims_files.legacy_collection(home)
    own = sims_files.game_layout(lambda rel, data: write(os.path.join(game, rel), data))
    for rel, (data, _) in PLANTED.items():
        write(os.path.join(game, rel), data)
    env = dict(os.environ, HOME=home)
    for name in ("WINEPREFIX", "XDG_CONFIG_HOME", "XDG_DATA_HOME"):
        env.pop(name, None)
    data_home = os.path.join(home, ".local/share")

    def run(*args):
        return subprocess.run([counter] + list(args), env=env, capture_output=True, text=True)

    before = snapshot(game)
    before_bytes = contents(home, ".local/share/brambleton")

    plan = run("--fix", "--dry-run", "--json")
    check("--fix --dry-run exits 0: %d %s" % (plan.returncode, plan.stderr), plan.returncode == 0)
    actions = json.loads(plan.stdout)["actions"] if plan.returncode == 0 else []
    planned = {(a["from"], a["action"]) for a in actions if a["why"] is None}
    want = {(rel, action) for rel, (_, action) in PLANTED.items() if action}
    want = {(rel if "Slate" not in rel else rel, action) for rel, action in want}
    check("the plan names every fix and no more: %s" % sorted(planned ^ want), planned == want)
    check("no step of the plan touches the game's own files",
          not any(a["from"] in own for a in actions))
    check("--fix --dry-run changes nothing", snapshot(game) == before)

    # A running game, a copy of a small program named Sims.exe working in the game's folder.
    program = os.path.join(game, "Sims.exe")
    shutil.copy("/bin/sleep", program)
    sleeper = subprocess.Popen([program, "600"], cwd=game)
    try:
        while True:  # the sign: the system names the process after its program
            with open("/proc/%d/comm" % sleeper.pid) as comm:
                if comm.read().strip() == "Sims.exe":
                    break
        running = run("--fix")
        check("--fix while the game runs exits 5: %d" % running.returncode, running.returncode == 5)
        check("it says the game is running: %s" % running.stderr, "game is running" in running.stderr)
        undo = run("--undo")
        check("--undo with nothing to undo exits 0: %d" % undo.returncode, undo.returncode == 0)
    finally:
        sleeper.kill()
        sleeper.wait()
        os.remove(program)
    check("--fix while the game runs changes nothing", snapshot(game) == before)

    fixed = run("--fix", "--json")
    outcome = json.loads(fixed.stdout) if fixed.stdout else {"actions": []}
    check("--fix exits 0: %d %s" % (fixed.returncode, fixed.stderr), fixed.returncode == 0)
    check("every step was done", all(a["done"] for a in outcome["actions"]))
    after = run("--check", "--json")
    problems = json.loads(after.stdout)["problems"] if after.stdout else None
    check("the check after the fix finds no problem: %s" % problems, after.returncode == 0)
    check("no file's bytes are gone from the home",
          all(contents(home, ".local/share/brambleton").get(d, 0) >= n for d, n in before_bytes.items()))
    check("the game's own files are where they were",
          all(snapshot(game).get(rel) == before.get(rel) for rel in own))
    trash = os.path.join(data_home, "Trash")
    check("what was removed is in the desktop's trash with its record",
          len(os.listdir(os.path.join(trash, "files"))) == 3 and
          len(os.listdir(os.path.join(trash, "info"))) == 3)

    history = json.loads(run("--history", "--json").stdout)["changes"]
    check("--history lists the change as done",
          len(history) == 1 and history[0]["state"] == "done")
    undo = run("--undo")
    check("--undo exits 0: %d %s" % (undo.returncode, undo.stderr), undo.returncode == 0)
    check("--undo puts the game's folder back exactly", snapshot(game) == before)
    check("and empties the trash it filled", os.listdir(os.path.join(trash, "files")) == [])
    history = json.loads(run("--history", "--json").stdout)["changes"]
    check("--history lists it as undone", history[0]["state"] == "undone")

    # Killed before each of its renames, links, unlinks and folders made, then undone.
    calls = ["renameat2", "link", "linkat", "unlink", "unlinkat", "mkdir", "mkdirat"]
    if shutil.which("strace") is None or not kills_wanted:
        print("skip killing --fix: %s" % ("no strace" if kills_wanted else "--no-kills"))
        calls = []
    kills = 0
    for call in calls:
        for when in range(1, 100):
            killed = subprocess.run(
                ["strace", "-f", "-qq", "-o", "/dev/null", "-e", "trace=" + call,
                 "-e", "inject=%s:signal=KILL:when=%d" % (call, when), counter, "--fix"],
                env=env, capture_output=True, text=True)
            if killed.returncode == 0:
                break
            kills += 1
            run("--undo")
            if snapshot(game) != before:
                check("--fix killed at %s number %d, then --undo, leaves the folder as before"
                      % (call, when), False)
                break
        undo = run("--undo")
        check("--fix killed before each %s, then --undo, leaves the folder as before" % call,
              snapshot(game) == before)
    check("--fix was killed before each of its %d steps (%d times)" % (len(want), kills),
          not calls or kills >= len(want))

sys.exit(1 if failures else 0)
