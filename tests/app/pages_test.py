#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The pages installed with the program, as make-pages.py writes them from the README: the
guide's table of what goes where is a table, nested lists stay nested, and no Markdown is
left showing."""
import html.parser
import subprocess
import sys
import tempfile
from pathlib import Path

script, readme, licence, credits = sys.argv[1:5]


class Shape(html.parser.HTMLParser):
    """The elements a page holds, with the text of each table cell."""

    def __init__(self):
        super().__init__()
        self.open = []
        self.nested_lists = 0
        self.cells = []
        self.text = []

    def handle_starttag(self, tag, attrs):
        if tag in ("ul", "ol") and "li" in self.open:
            self.nested_lists += 1
        if tag in ("td", "th"):
            self.cells.append("")
        self.open.append(tag)

    def handle_endtag(self, tag):
        while self.open and self.open.pop() != tag:
            pass

    def handle_data(self, data):
        if self.open and self.open[-1] in ("td", "th", "code") and self.cells and (
                "td" in self.open or "th" in self.open):
            self.cells[-1] += data
        self.text.append(data)


failures = []
with tempfile.TemporaryDirectory() as out:
    subprocess.run([sys.executable, script, readme, licence, credits, out], check=True)
    guide = Shape()
    guide.feed(Path(out, "user-guide.html").read_text("utf-8"))
    text = "".join(guide.text)
    if "GameData\\UserObjects" not in guide.cells:
        failures.append("the table of what goes where is no table: %s" % guide.cells[:8])
    if guide.nested_lists == 0:
        failures.append("no list is nested in another")
    for markup in ("|---", "| area |", "**", "](http"):
        if markup in text:
            failures.append("Markdown left showing: %r" % markup)
    Shape().feed(Path(out, "licence.html").read_text("utf-8"))

if failures:
    print("\n".join("FAIL: " + f for f in failures))
    sys.exit(1)
print("pages_test: all passed")
