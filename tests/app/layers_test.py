#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The layering check on a copy of the sources: clean as they are, and failing on an include
that climbs with ../, on a format reader that includes a rule about content, on content
including the write layer, and on a file moved or removed outside the write layer, whether the
file is tracked or new."""
import os
import shutil
import subprocess
import sys
import tempfile

source = sys.argv[1]
failures = []


def check(what, ok):
    print(("ok   " if ok else "FAIL ") + what)
    if not ok:
        failures.append(what)


with tempfile.TemporaryDirectory() as work:
    copy = os.path.join(work, "copy")
    for part in ("src", "scripts"):
        shutil.copytree(os.path.join(source, part), os.path.join(copy, part))
    shutil.copy(os.path.join(source, ".clang-format"), copy)
    git = ["git", "-C", copy, "-c", "user.name=t", "-c", "user.email=t@t"]
    subprocess.run(git[:3] + ["init", "-q"], check=True)
    subprocess.run(git + ["add", "-A"], check=True)
    subprocess.run(git + ["commit", "-qm", "copy"], check=True)

    def run():
        return subprocess.run(["bash", os.path.join(copy, "scripts", "check-sources.sh"), "--quick"],
                              capture_output=True, text=True)

    check("the sources as they are pass", run().returncode == 0)
    plants = [
        ("src/counting/file_pattern.h", '#include "../locations/machine.h"\n', True,
         "climbs with a relative path"),
        ("src/content/formats/far_reader.cpp", '#include "content/content_check.h"\n', True,
         "formats includes content"),
        ("src/content/formats/planted.h",
         '// SPDX-License-Identifier: MIT\n#include "content/lots.h"\n', False,
         "formats includes content"),
        ("src/ui/planted.cpp",
         '// SPDX-License-Identifier: MIT\n#include "./frm_main.h"\n', False,
         "climbs with a relative path"),
        ("src/content/lots.cpp", '#include "actions/changes.h"\n', True, "content includes actions"),
        ("src/ui/planted.cpp",
         '// SPDX-License-Identifier: MIT\nvoid f() { std::filesystem::remove(p); }\n', False,
         "files changed outside src/actions"),
        ("src/content/lots.cpp", 'void g() { ::rename("a", "b"); }\n', True,
         "files changed outside src/actions"),
    ]
    for path, line, tracked, says in plants:
        target = os.path.join(copy, path)
        before = open(target).read() if tracked else None
        with open(target, "a") as out:
            out.write(line)
        result = run()
        check("%s in %s fails the check saying %r" % (line.strip().splitlines()[-1], path, says),
              result.returncode != 0 and says in result.stdout)
        if tracked:
            with open(target, "w") as out:
                out.write(before)
        else:
            os.remove(target)

sys.exit(1 if failures else 0)
