#!/usr/bin/env python3
"""rc_utf8.py IN OUT: the resource script IN, whose texts are code page 932 bytes written as \\x
escapes, written to OUT with those texts as UTF-8 characters and code_page(65001). llvm-windres
takes each escaped byte as a character of code page 1252 whatever the script's code_page, but
converts UTF-8 right."""
import re
import sys

ESCAPED_BYTES = re.compile(r"(?:\\x[0-9A-Fa-f]{2})+")


def decode(match):
    return bytes.fromhex(match.group(0).replace("\\x", "")).decode("cp932")


def main():
    source, target = sys.argv[1], sys.argv[2]
    lines = []
    for line in open(source, encoding="utf-8").read().splitlines(keepends=True):
        if not line.lstrip().startswith("//"):
            line = ESCAPED_BYTES.sub(decode, line).replace("#pragma code_page(932)", "#pragma code_page(65001)")
        lines.append(line)
    open(target, "w", encoding="utf-8", newline="").write("".join(lines))


if __name__ == "__main__":
    main()
