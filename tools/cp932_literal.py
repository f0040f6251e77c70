#!/usr/bin/env python3
"""Prints a C++ string literal holding the code page 932 bytes of each argument.

Usage: tools/cp932_literal.py "ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙ作成" ...
Every byte at or above 0x80 is written as a hex escape; a literal is split where a hex digit
would otherwise continue an escape.
"""
import sys


def literal(text: str) -> str:
    out, after_escape = [], False
    for b in text.encode("cp932"):
        ch = chr(b)
        if b >= 0x80 or ch in '"\\' or b < 0x20:
            if ch in '"\\':
                out.append("\\" + ch)
                after_escape = False
                continue
            out.append("\\x%02X" % b)
            after_escape = True
        else:
            if after_escape and ch in "0123456789abcdefABCDEF":
                out.append('" "')
            out.append(ch)
            after_escape = False
    return '"' + "".join(out) + '"'


if __name__ == "__main__":
    for arg in sys.argv[1:]:
        print(f"{literal(arg)}  // {arg}")
