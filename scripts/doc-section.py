#!/usr/bin/env python3
"""Replaces the text between <!-- NAME --> and <!-- /NAME --> in a Markdown file: the long runs
write their figures into the document this way and leave the prose around them alone."""
import sys

path, name, text = sys.argv[1:4]
begin, end = f"<!-- {name} -->", f"<!-- /{name} -->"
doc = open(path, encoding="utf-8").read()
head, found, rest = doc.partition(begin)
if not found or end not in rest:
    sys.exit(f"{path}: no {begin} ... {end} block")
doc = head + begin + "\n" + text.rstrip("\n") + "\n" + end + rest.split(end, 1)[1]
open(path, "w", encoding="utf-8").write(doc)
