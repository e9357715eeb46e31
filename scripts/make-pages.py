#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes the pages installed with Brambleton: the user guide, made from the README's
sections for players, and the licence and credits page, made from LICENSE and
data/credits.md. The Markdown is turned into HTML by cmark-gfm (Debian's package cmark-gfm),
GitHub's own Markdown, tables included, so the pages read as the README does on GitHub."""

import html
import shutil
import subprocess
import sys
from pathlib import Path

# The README's sections a player reads, by their second-level headings, in this order.
PLAYER_SECTIONS = ["Using the window", "The headless counter"]

STYLE = """body { font-family: sans-serif; max-width: 46em; margin: 2em auto; padding: 0 1em;
  line-height: 1.45; color: #111; }
h1, h2, h3 { color: #000080; }
code, pre { font-family: monospace; background: #f2f2f7; }
pre { padding: 0.6em; overflow-x: auto; }
table { border-collapse: collapse; }
th, td { border: 1px solid #c8c8d8; padding: 0.25em 0.6em; text-align: left; }"""


def blocks(lines):
    """Markdown lines to HTML. Raw HTML in the text is escaped, not passed through; pictures
    stay in the repository."""
    cmark = shutil.which("cmark-gfm")
    if not cmark:
        sys.exit("make-pages.py needs cmark-gfm (Debian package cmark-gfm)")
    text = "\n".join(line for line in lines if not line.startswith("!["))
    done = subprocess.run([cmark, "--extension", "table", "--extension", "autolink",
                           "--extension", "strikethrough", "--to", "html"],
                          input=text, capture_output=True, text=True, check=True)
    return done.stdout


def page(title, body):
    return ("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
            "<title>%s</title>\n<style>\n%s\n</style>\n</head>\n<body>\n%s\n</body>\n</html>\n"
            % (html.escape(title), STYLE, body))


def user_guide(readme):
    lines = readme.splitlines()
    intro = []
    for line in lines[1:]:
        if line.startswith("## "):
            break
        intro.append(line)
    sections = {}
    current = None
    for line in lines:
        if line.startswith("## "):
            current = line[3:].strip()
            sections[current] = [line]
        elif current:
            sections[current].append(line)
    missing = [name for name in PLAYER_SECTIONS if name not in sections]
    if missing:
        sys.exit("README.md lacks the sections " + ", ".join(missing))
    body = ["<h1>Brambleton user guide</h1>", blocks(intro)]
    body += [blocks(sections[name]) for name in PLAYER_SECTIONS]
    return page("Brambleton user guide", "\n".join(body))


def licence(licence_text, credits):
    body = ["<h1>Licence and credits</h1>", "<h2>Brambleton's licence</h2>",
            "<pre>" + html.escape(licence_text.strip()) + "</pre>", blocks(credits.splitlines())]
    return page("Brambleton: licence and credits", "\n".join(body))


def main():
    if len(sys.argv) != 5:
        sys.exit("usage: make-pages.py README.md LICENSE credits.md OUTPUT_FOLDER")
    readme, licence_file, credits, out = (Path(a) for a in sys.argv[1:])
    out.mkdir(parents=True, exist_ok=True)
    (out / "user-guide.html").write_text(user_guide(readme.read_text("utf-8")), "utf-8")
    (out / "licence.html").write_text(
        licence(licence_file.read_text("utf-8"), credits.read_text("utf-8")), "utf-8")


if __name__ == "__main__":
    main()
