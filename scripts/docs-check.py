#!/usr/bin/env python3
"""Fails when docs/ARCHITECTURE.md names what the tree does not have.

Checked: every `Class::member` in backticks (the class, or a file named after
it, must mention the member), every path under src/, tools/, tests/, bench/,
scripts/, dist/ (a file, a folder, or a file's stem), and every backticked
file name ending in .cpp or .h.
"""
import os
import re
import subprocess
import sys

root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
doc = open(os.path.join(root, "docs", "ARCHITECTURE.md"), encoding="utf-8").read()
listed = subprocess.run(["git", "-C", root, "ls-files"], capture_output=True, text=True)
tracked = listed.stdout.split() if listed.returncode == 0 else [
    os.path.relpath(os.path.join(d, f), root) for d, _, names in os.walk(root)
    if "/build" not in d and "/.git" not in d for f in names]
files = set(tracked)
sources = {f: open(os.path.join(root, f), encoding="utf-8", errors="replace").read()
           for f in tracked if f.endswith((".cpp", ".h"))}
namespaces = {"std", "Qt", "db", "import", "backups", "globaledit", "writeback", "teams",
              "shell", "leaguegen", "schema", "placement", "ui", "TestSupport", "Prompts"}


def word(name):
    return re.compile(r"\b" + re.escape(name) + r"\b")


def has_member(cls, member):
    qualified = re.compile(r"\b" + re.escape(cls) + r"::" + re.escape(member) + r"\b")
    declares = re.compile(r"\b(?:class|struct|namespace) " + re.escape(cls) + r"\b")
    named = word(member)
    for path, text in sources.items():
        if qualified.search(text):
            return True
        owns = declares.search(text) or os.path.basename(path).startswith(cls + ".")
        if (owns or cls in namespaces) and named.search(text):
            return True
    return False


def has_path(path):
    path = path.rstrip("/.,")
    return (path in files or any(f.startswith(path + "/") or f.startswith(path + ".")
                                 for f in files))


missing = set()
for quoted in re.findall(r"`([^`\n]+)`", doc):
    for cls, member in re.findall(r"([A-Za-z_]\w*)::(~?[A-Za-z_]\w*)", quoted):
        if cls not in ("std", "Qt") and not cls.startswith("Q") and not has_member(cls, member):
            missing.add(f"{cls}::{member}")
    name = re.fullmatch(r"[\w/]+\.(?:cpp|h)", quoted)
    if name and not any(f == quoted or f.endswith("/" + quoted) for f in files):
        missing.add(quoted)
for path in re.findall(r"(?<![\w./])((?:src|tools|tests|bench|scripts|dist)/[\w./-]*\w)", doc):
    if not has_path(path):
        missing.add(path)

for name in sorted(missing):
    print(f"docs/ARCHITECTURE.md names {name}, which the tree does not have")
sys.exit(1 if missing else 0)
