#!/usr/bin/env python3
"""Fails when a source file in src/ holds more than 400 code lines or a
function more than 60, and names each one; changes nothing.

A code line is a line that is neither blank nor only a comment. The help
pages (HTML) are text, not code, and are not counted. Functions are found by
their braces: a body opened after a closing parenthesis (and qualifiers) at
namespace or class level. Lambdas and local classes count toward the
function that holds them.

Usage: scripts/size-check.py [repository]   (default: the current folder)
"""
import pathlib
import re
import sys

MAX_FILE_LINES = 400
MAX_FUNCTION_LINES = 60
SOURCE_SUFFIXES = {".cpp", ".h"}
SCOPE_WORDS = re.compile(r"\b(namespace|class|struct|union|enum)\b")
CONTROL_WORDS = re.compile(r"^\s*(if|for|while|switch|catch|do|else)\b")


def strip_code(text):
    """The text with comments, string and character literals blanked out
    (newlines kept), so braces and line counts can be read off it."""
    out = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            out.append(" " * (j - i))
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append("".join(ch if ch == "\n" else " " for ch in text[i:j]))
            i = j
        elif text.startswith('R"', i) and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            m = re.match(r'R"([^(\s]*)\(', text[i:])
            if not m:
                out.append(c)
                i += 1
                continue
            end = text.find(")" + m.group(1) + '"', i)
            j = n if end < 0 else end + len(m.group(1)) + 2
            out.append('""' + "".join(ch if ch == "\n" else " " for ch in text[i + 2 : j]))
            i = j
        elif c in "\"'":
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == "\\" else 1
            out.append(c + " " * (j - i - 1) + c)
            i = j + 1
        else:
            out.append(c)
            i += 1
    return "".join(out)


def code_lines(stripped, first, last):
    """Non-blank lines among lines first..last (0-based, inclusive)."""
    lines = stripped.split("\n")[first : last + 1]
    return sum(1 for line in lines if line.strip())


def functions(stripped):
    """(name, first line, last line) of every function body at namespace or
    class level."""
    found = []
    stack = []  # for each open brace: "scope", "function" or "block"
    header_start = 0
    starts = []  # for each open brace: (kind, line, name)
    line = 0
    for i, c in enumerate(stripped):
        if c == "\n":
            line += 1
        elif c in ";}" or (c == "{" and False):
            pass
        if c == "{":
            header = stripped[header_start:i]
            inside_function = any(kind == "function" for kind in stack)
            kind = "block"
            name = ""
            if not inside_function:
                flat = " ".join(header.split())
                if SCOPE_WORDS.search(flat) and ")" not in flat.split("(")[0]:
                    kind = "scope"
                elif flat.startswith("extern"):
                    kind = "scope"
                elif ")" in flat and not CONTROL_WORDS.match(flat) and not flat.rstrip().endswith("="):
                    kind = "function"
                    m = re.search(r"([~\w:]+(?:operator\s*\S+)?)\s*\(", flat)
                    name = m.group(1) if m else flat[:40]
                elif not flat:
                    kind = "block"
                else:
                    kind = "scope" if not stack or stack[-1] == "scope" else "block"
            stack.append(kind)
            starts.append((kind, line, name))
            header_start = i + 1
        elif c == "}":
            if stack:
                kind = stack.pop()
                _, first, name = starts.pop()
                if kind == "function":
                    found.append((name, first, line))
            header_start = i + 1
        elif c == ";":
            header_start = i + 1
        elif c == ":" and stripped[i - 1 : i + 1] != "::" and stripped[i : i + 2] != "::":
            # "public:" and the like end a header; a constructor's
            # initializer list keeps it (it follows a closing parenthesis).
            before = stripped[header_start:i].strip()
            if before in ("public", "private", "protected", "signals", "public slots",
                          "private slots", "protected slots", "Q_SIGNALS", "Q_SLOTS"):
                header_start = i + 1
    return found


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".")
    faults = []
    for path in sorted((root / "src").rglob("*")):
        if path.suffix not in SOURCE_SUFFIXES or not path.is_file():
            continue
        stripped = strip_code(path.read_text(encoding="utf-8"))
        rel = path.relative_to(root)
        total = code_lines(stripped, 0, stripped.count("\n"))
        if total > MAX_FILE_LINES:
            faults.append(f"{rel}: {total} code lines (at most {MAX_FILE_LINES})")
        for name, first, last in functions(stripped):
            length = code_lines(stripped, first, last)
            if length > MAX_FUNCTION_LINES:
                faults.append(f"{rel}:{first + 1}: {name} has {length} code lines (at most {MAX_FUNCTION_LINES})")
    for fault in faults:
        print(fault, file=sys.stderr)
    if faults:
        print(f"size check: {len(faults)} over the limits", file=sys.stderr)
        return 1
    print("size check: every file and function within the limits")
    return 0


if __name__ == "__main__":
    sys.exit(main())
