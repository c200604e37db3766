#!/usr/bin/env python3
"""Writes the Quillfern user-library file from the descriptor.

Layout (all integers 32-bit little-endian unless said otherwise):

    "ERUP", 253, "3BIL", 1, "LIB3"      fixed preamble the host looks for
    then sections, each: 4-byte tag, body length, body
      "EMAN"  library name, zero-terminated
      "NSRV"  version times 100 (210 for 2.10)
      "PLEH"  help file name, zero-terminated
      "CNUF"  function count, then per function:
                name, zero-terminated
                result type: one byte, 'l' long, 'i' integer, 's' string, 0 none
                parameter count: one byte
                per parameter: type byte as above, name zero-terminated
                quick help line, zero-terminated ("Name(Params) - summary")

Strings are code page 1252. Sections come in the order above; a reader skips
tags it doesn't know by their length.

Usage: mklibrary.py DESCRIPTOR OUTPUT
"""

import sys

from qfcommon import DescriptorError, cp1252, fail, load_descriptor, tagged, u32, write_bytes, zstr
from qfkinds import LIBRARY_PREAMBLE


def quick_help(fn):
    params = ", ".join(p[0] for p in fn["params"])
    return "%s(%s) - %s" % (fn["name"], params, fn["en"]["summary"])


def type_byte(code):
    return cp1252(code) if code else b"\0"


def library_file(d):
    funcs = bytearray(u32(len(d["functions"])))
    for fn in d["functions"]:
        funcs += zstr(fn["name"]) + type_byte(fn["returns"]) + bytes([len(fn["params"])])
        for name, code in fn["params"]:
            funcs += type_byte(code) + zstr(name)
        funcs += zstr(quick_help(fn))
    return (LIBRARY_PREAMBLE
            + tagged(b"EMAN", zstr(d["library"]))
            + tagged(b"NSRV", u32(d["version_number"]))
            + tagged(b"PLEH", zstr(d["help_file"]))
            + tagged(b"CNUF", bytes(funcs)))


def main(argv):
    if len(argv) != 3:
        fail("usage: mklibrary.py DESCRIPTOR OUTPUT")
    try:
        d = load_descriptor(argv[1])
    except DescriptorError as e:
        fail(str(e))
    write_bytes(argv[2], library_file(d))


if __name__ == "__main__":
    main(sys.argv)
