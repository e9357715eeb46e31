# SPDX-License-Identifier: MIT
"""What the counter's tests share: a check that is counted, files written with their folders,
and a snapshot of a folder to compare before and after a change."""
import hashlib
import os

failures = []


def check(what, ok):
    print(("ok   " if ok else "FAIL ") + what)
    if not ok:
        failures.append(what)


def write(path, data=b""):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def snapshot(folder):
    """Every file and folder below `folder`, each file with a hash of its bytes ("link" for a
    link, which is never followed)."""
    out = {}
    for top, dirs, files in os.walk(folder):
        for d in dirs:
            out[os.path.relpath(os.path.join(top, d), folder) + "/"] = None
        for f in files:
            path = os.path.join(top, f)
            if os.path.islink(path):
                out[os.path.relpath(path, folder)] = "link"
                continue
            with open(path, "rb") as data:
                out[os.path.relpath(path, folder)] = hashlib.sha1(data.read()).hexdigest()
    return out
