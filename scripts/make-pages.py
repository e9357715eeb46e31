#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes the pages installed with Brambleton: the user guide, made from the README's
sections for players, and the licence and credits page, made from LICENSE and
data/credits.md. Reads only the small part of Markdown those files use: headings,
paragraphs, lists, indented code, `code`, **bold**, *emphasis* and [links](...)."""

import html
import re
import sys
from pathlib import Path

# The README's sections a player reads, by their second-level headings, in this order.
PLAYER_SECTIONS = ["Using the window", "The headless counter"]

STYLE = """body { font-family: sans-serif; max-width: 46em; margin: 2em auto; padding: 0 1em;
  line-height: 1.45; color: #111; }
h1, h2, h3 { color: #000080; }
code, pre { font-family: monospace; background: #f2f2f7; }
pre { padding: 0.6em; overflow-x: auto; }"""


def inline(text):
    out = []
    # Code spans first, so nothing inside them is read as markup.
    for i, part in enumerate(re.split(r"(`[^`]*`)", text)):
        if i % 2:
            out.append("<code>" + html.escape(part[1:-1]) + "</code>")
            continue
        part = html.escape(part, quote=False)
        part = re.sub(r"\*\*(.+?)\*\*", r"<strong>\1</strong>", part)
        part = re.sub(r"(?<![\w*])\*(?!\s)(.+?)(?<!\s)\*(?![\w*])", r"<em>\1</em>", part)
        part = re.sub(r"\[([^\]]+)\]\(([^)\s]+)\)",
                      lambda m: '<a href="%s">%s</a>' % (html.escape(m.group(2)), m.group(1)),
                      part)
        out.append(part)
    return "".join(out)


def blocks(lines):
    """Markdown lines to HTML, block by block."""
    out, i = [], 0
    while i < len(lines):
        line = lines[i]
        if not line.strip():
            i += 1
        elif line.startswith("#"):
            level = len(line) - len(line.lstrip("#"))
            out.append("<h%d>%s</h%d>" % (level, inline(line[level:].strip()), level))
            i += 1
        elif line.startswith("    "):
            code = []
            while i < len(lines) and (lines[i].startswith("    ") or not lines[i].strip()):
                code.append(lines[i][4:])
                i += 1
            out.append("<pre>" + html.escape("\n".join(code).rstrip("\n")) + "</pre>")
        elif re.match(r"(- |\d+\. )", line):
            ordered = not line.startswith("- ")
            items = []
            while i < len(lines) and (re.match(r"(- |\d+\. )", lines[i]) or
                                      (lines[i].startswith(" ") and items)):
                if re.match(r"(- |\d+\. )", lines[i]):
                    items.append([re.sub(r"^(- |\d+\. )", "", lines[i])])
                else:
                    items[-1].append(lines[i].strip())
                i += 1
                # A blank line inside a list goes on only when more of the list follows.
                if (i + 1 < len(lines) and not lines[i].strip() and
                        (lines[i + 1].startswith(" ") or re.match(r"(- |\d+\. )", lines[i + 1]))):
                    i += 1
            tag = "ol" if ordered else "ul"
            out.append("<%s>%s</%s>" % (tag, "".join(
                "<li>" + inline(" ".join(item)) + "</li>" for item in items), tag))
        elif line.startswith("!["):
            i += 1  # pictures stay in the repository
        else:
            para = []
            while i < len(lines) and lines[i].strip() and not re.match(
                    r"(#|- |\d+\. |    |!\[)", lines[i]):
                para.append(lines[i].strip())
                i += 1
            out.append("<p>" + inline(" ".join(para)) + "</p>")
    return "\n".join(out)


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
