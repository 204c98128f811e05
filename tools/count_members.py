#!/usr/bin/env python3
"""Counts the public members a C++ class declares itself (not what it inherits).

    tools/count_members.py HEADER CLASS [--max N] [--list]

Counted: every member function declared or defined in a public section (each overload, constructors and the
destructor included) and every public data member (each name of a declaration list). Not counted: type aliases,
nested types, friends, static_assert, access specifiers and macros such as Q_OBJECT. With --max the exit status
is 1 when the count is above N.
"""
import argparse
import re
import sys


def strip_comments(text):
    text = re.sub(r"//[^\n]*", "", text)
    text = re.sub(r"/\*.*?\*/", "", text, flags=re.S)
    # String and character literals cannot hold braces that matter here once blanked.
    return re.sub(r'"(?:\\.|[^"\\])*"', '""', text)


def class_body(text, name):
    m = re.search(r"\bclass\s+" + re.escape(name) + r"\b[^;{]*\{", text)
    if not m:
        sys.exit(f"count_members: class {name} not found")
    depth, i = 1, m.end()
    start = i
    while depth and i < len(text):
        depth += {"{": 1, "}": -1}.get(text[i], 0)
        i += 1
    return text[start : i - 1]


def statements(body):
    """Top-level statements of a class body: text up to ';' or a balanced {...} block at depth 0."""
    out, cur, depth, paren = [], [], 0, 0
    for ch in body:
        cur.append(ch)
        if ch == "(":
            paren += 1
        elif ch == ")":
            paren -= 1
        elif ch == "{":
            depth += 1
        elif ch == "}":
            depth -= 1
            if depth == 0 and paren == 0:
                stmt = "".join(cur).strip()
                # A function body ends the statement; a brace initialiser is followed by ';'.
                if re.search(r"\)\s*(const\s*)?(noexcept\s*)?(override\s*)?(final\s*)?(->[^{]*)?\{", stmt) or re.match(
                    r"^(struct|class|enum|union)\b", stmt
                ):
                    out.append(stmt)
                    cur = []
        elif ch == ";" and depth == 0 and paren == 0:
            out.append("".join(cur).strip())
            cur = []
        elif ch == ":" and depth == 0 and paren == 0:
            text = "".join(cur).strip()
            if text.split()[-1:] and text.split()[-1].rstrip(":") in ("public", "protected", "private"):
                out.append(text)
                cur = []
    return [s for s in out if s and s != ";"]


def members(body):
    access = "private"
    found = []
    for stmt in statements(body):
        stmt = re.sub(r"\s+", " ", stmt).strip()
        if stmt.endswith(":") and stmt.rstrip(":").split()[-1] in ("public", "protected", "private"):
            access = stmt.rstrip(":").split()[-1]
            continue
        head = re.sub(r"^(Q_OBJECT|Q_GADGET)\s*", "", stmt)
        if access != "public" or not head or head == ";":
            continue
        if re.match(r"^(using|typedef|friend|static_assert|struct|class|enum|union|template\s*<[^>]*>\s*(struct|class|using))\b", head):
            continue
        plain = head
        while re.search(r"<[^<>]*>", plain):  # template arguments may hold parentheses and commas
            plain = re.sub(r"<[^<>]*>", "", plain)
        if "(" in plain.split("=")[0] or re.search(r"\boperator\b", plain):
            name = re.search(r"(~?\w+|operator\s*\S+)\s*\(", plain)
            found.append(("function", name.group(1) if name else head[:40]))
        else:
            decl = plain.rstrip(";").split("{")[0]
            for part in decl.split(","):
                words = re.findall(r"\w+", part.split("=")[0])
                if words:
                    found.append(("data", words[-1]))
    return found


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("header")
    ap.add_argument("cls")
    ap.add_argument("--max", type=int)
    ap.add_argument("--list", action="store_true")
    a = ap.parse_args()
    with open(a.header, encoding="utf-8") as f:
        found = members(class_body(strip_comments(f.read()), a.cls))
    if a.list:
        for kind, name in found:
            print(f"{kind:9} {name}")
    print(f"{a.cls}: {len(found)} public members")
    if a.max is not None and len(found) > a.max:
        print(f"{a.cls}: more than {a.max}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
