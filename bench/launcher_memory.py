#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Peak memory of the game search over hostile launcher files.

Each case is a home holding one file a launcher might have left (a Lutris .yml of 1 MiB of
"[", a Heroic list of 4 MiB of "[" and one of 4 MiB of small objects, a prefix whose
system.reg is 250 MiB with the game's key in it) and runs `brambleton-count --where --verbose`
in it. The reference, measured in the same run, is the same search in an empty home: the
program's own size. Prints each case's peak resident memory above that reference, the file's
size, their ratio, and the target.

Needs GNU time (Debian's `time` package). Usage: bench/launcher_memory.py [BRAMBLETON_COUNT]
"""
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
FIXTURE = os.path.join(HERE, "..", "tests", "fixtures", "wine", "a_sz_32bit", "system.min.reg")
COUNTER = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
    HERE, "..", "build", "release", "src", "app", "brambleton-count")
MIB = 1 << 20


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def big_registry(home):
    prefix = os.path.join(home, ".wine-big")
    os.makedirs(os.path.join(prefix, "drive_c"), exist_ok=True)
    with open(FIXTURE, "rb") as f:
        head = f.read()
    filler = b"".join(b'[Software\\\\Vendor%07d] 1\n"Value"="%s"\n\n' % (i, b"x" * 200)
                      for i in range(1000))
    with open(os.path.join(prefix, "system.reg"), "wb") as f:
        f.write(head)
        while f.tell() + len(filler) < 250 * MIB:
            f.write(filler)
    return os.path.getsize(os.path.join(prefix, "system.reg"))


def cases(home):
    yield ("Lutris .yml of 1 MiB of '['", 32,
           lambda: write(os.path.join(home, ".config/lutris/games/x.yml"), b"[" * MIB) or MIB)
    yield ("Heroic list of 4 MiB of '['", 64,
           lambda: write(os.path.join(home, ".config/heroic/legendaryConfig/legendary/"
                                      "installed.json"), b"[" * (4 * MIB)) or 4 * MIB)
    objects = b"{" + b",".join(b'"%d":{"title":"t","x":1}' % i for i in range(160000)) + b"}"
    objects = objects[:4 * MIB - 1] if len(objects) >= 4 * MIB else objects
    yield ("Heroic list of 4 MiB of small objects", 64,
           lambda: write(os.path.join(home, ".config/heroic/legendaryConfig/legendary/"
                                      "installed.json"), objects) or len(objects))
    yield ("a 250 MiB system.reg holding the game's key", 260, lambda: big_registry(home))


def peak_kib(home):
    """The counter's peak resident memory, as GNU time reports it. Started straight from this
    script, the counter would be charged this script's memory: a child's peak counts what it
    shared with its parent before it ran the program."""
    env = dict(os.environ, HOME=home)
    env.pop("WINEPREFIX", None)
    with tempfile.NamedTemporaryFile("r") as report:
        subprocess.run(["/usr/bin/time", "-o", report.name, "-f", "%M", COUNTER, "--where",
                        "--verbose"], env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, check=False)
        return int(report.read().split()[-1])


def main():
    with tempfile.TemporaryDirectory() as empty:
        reference = peak_kib(empty)
    print(f"reference: the search in an empty home peaks at {reference / 1024:.1f} MiB")
    failed = False
    for index in range(4):
        with tempfile.TemporaryDirectory() as home:
            name, target_mib, make = list(cases(home))[index]
            size = make()
            above = (peak_kib(home) - reference) / 1024
            ok = above < target_mib
            failed |= not ok
            print(f"{name}: {above:.1f} MiB above the reference for a {size / MIB:.1f} MiB file "
                  f"(ratio {above / (size / MIB):.2f} of its size), "
                  f"target under {target_mib} MiB: {'met' if ok else 'MISSED'}")
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
