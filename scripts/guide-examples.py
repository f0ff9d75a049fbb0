#!/usr/bin/env python3
"""Turns the examples of the user's guide (docs/*.md) into one GoogleTest program.

Fenced blocks the guide uses, and what the generated test does with each:

  ```cpp              a program: compiled (its main renamed) and run; it must return 0. A block
                      without main is a fragment, run as the body of a function.
  ```vexl             a document: loaded with the default loader configuration; it must load.
  ```vexl fails       a document that must fail to load.
  ```vexl packet      a document whose whole tree is made into one packet (keywords on).
  ```vexl lcbc=N ...  any of the above with loader configuration N instead of 48.
  ```output           what the block before it prints (cpp), the loaded tree written back in the
                      human-friendly form with every detail (vexl), its error message (fails) or
                      the packet it makes (packet; bytes outside 0x20..0x7E written as \\xHH).

Every other block (```sh, ```text, ```cmake) is prose. Usage:
  guide-examples.py OUTPUT_DIR docs/a.md docs/b.md ...
Writes OUTPUT_DIR/guide_tests.cpp and OUTPUT_DIR/example_<n>.cpp, rewriting only files whose
content changed so that unchanged examples are not recompiled.
"""
import os
import re
import sys

FENCE = re.compile(r"^```(\S*)\s*(.*)$")

# Every extracted example may use these without including them; fragments (blocks without a
# main) are compiled as the body of a function that returns 0.
COMMON_INCLUDES = "#include <cstdio>\n#include <iostream>\n#include <string>\n"



def blocks(path):
    """Yields (line, tag, options, text) for every fenced block of a Markdown file."""
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    i = 0
    while i < len(lines):
        m = FENCE.match(lines[i])
        if not m or not m.group(1):
            i += 1
            continue
        start, tag, opts = i + 1, m.group(1), m.group(2).split()
        body = []
        i += 1
        while i < len(lines) and lines[i] != "```":
            body.append(lines[i])
            i += 1
        if i == len(lines):
            sys.exit(f"{path}:{start}: unclosed fenced block")
        i += 1
        yield start, tag, opts, "\n".join(body) + "\n"


def raw(text):
    """A C++ raw string literal of text."""
    if ")guide\"" in text:
        sys.exit("example text contains the raw-string delimiter")
    return 'R"guide(' + text + ')guide"'


def write_if_changed(path, text):
    if os.path.exists(path):
        with open(path, encoding="utf-8") as f:
            if f.read() == text:
                return
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


def main():
    out_dir, docs = sys.argv[1], sys.argv[2:]
    os.makedirs(out_dir, exist_ok=True)
    tests, decls, programs = [], [], 0
    for doc in docs:
        name = re.sub(r"\W", "_", os.path.splitext(os.path.basename(doc))[0])
        pending = None  # the code block an ```output block belongs to
        for line, tag, opts, text in blocks(doc):
            where = f"{os.path.basename(doc)}:{line}"
            if tag == "output":
                if pending is None:
                    sys.exit(f"{where}: output block without a code block before it")
                pending["expected"] = text
                pending = None
                continue
            if tag == "cpp":
                fn = f"guide_example_{programs}"
                head = f"// Extracted from {where}; do not edit.\n" + COMMON_INCLUDES
                if re.search(r"\bint main\(\)", text):
                    source = head + re.sub(r"\bint main\(\)", f"int {fn}()", text, count=1)
                else:
                    # A fragment: its includes go first, the rest becomes a function body.
                    lines = text.split("\n")
                    incl = [l for l in lines if l.startswith("#include")]
                    body = [l for l in lines if not l.startswith("#include")]
                    source = (head + "\n".join(incl) + f"\n\nint {fn}() {{\n" +
                              "\n".join("    " + l if l else l for l in body) + "    return 0;\n}\n")
                write_if_changed(os.path.join(out_dir, f"example_{programs}.cpp"), source)
                decls.append(f"int {fn}();")
                pending = {"kind": "program", "fn": fn, "where": where, "line": line}
                programs += 1
            elif tag == "vexl":
                lcbc = 48
                kind = "load"
                for o in opts:
                    if o.startswith("lcbc="):
                        lcbc = int(o[5:], 0)
                    elif o in ("fails", "packet"):
                        kind = o
                    else:
                        sys.exit(f"{where}: unknown option {o}")
                pending = {"kind": kind, "text": text, "lcbc": lcbc, "where": where, "line": line}
            else:
                pending = None
                continue
            pending["test"] = f"{name}_line_{line}"
            tests.append(pending)
    out = ["// Generated from the user's guide by scripts/guide-examples.py; do not edit.",
           "#include \"guide_check.h\"", ""] + decls + [""]
    for t in tests:
        exp = raw(t["expected"]) if "expected" in t else "nullptr"
        out.append(f"TEST(Guide, {t['test']}) {{")
        out.append(f"    SCOPED_TRACE(\"{t['where']}\");")
        if t["kind"] == "program":
            out.append(f"    expectProgram({t['fn']}, {exp});")
        elif t["kind"] == "load":
            out.append(f"    expectLoads({raw(t['text'])}, {t['lcbc']}, {exp});")
        elif t["kind"] == "fails":
            out.append(f"    expectLoadFails({raw(t['text'])}, {t['lcbc']}, {exp});")
        else:
            out.append(f"    expectPacket({raw(t['text'])}, {t['lcbc']}, {exp});")
        out.append("}")
        out.append("")
    write_if_changed(os.path.join(out_dir, "guide_tests.cpp"), "\n".join(out))
    # Stale example files of removed blocks would still be compiled: remove them.
    for f in os.listdir(out_dir):
        m = re.match(r"example_(\d+)\.cpp$", f)
        if m and int(m.group(1)) >= programs:
            os.remove(os.path.join(out_dir, f))
    write_if_changed(os.path.join(out_dir, "sources.txt"),
                     "\n".join(f"example_{i}.cpp" for i in range(programs)) + "\n")


if __name__ == "__main__":
    main()
