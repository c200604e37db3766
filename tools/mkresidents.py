#!/usr/bin/env python3
"""Writes the residents file (the library's named constants) from the descriptor.

Layout (integers 32-bit little-endian):

    "ERUP", 0, "2SER"          fixed preamble
    "TCRS", 0                  structure section: this library declares none
    "TSNC", length, body       constants section; body:
        constant count, then per constant:
          name without the leading '#', code page 1252, zero-terminated
          kind: one byte, 'L' = 32-bit signed integer (the only kind used)
          value: 32-bit signed little-endian

Usage: mkresidents.py DESCRIPTOR OUTPUT
"""

import sys

from qfcommon import DescriptorError, fail, i32, load_descriptor, tagged, u32, write_bytes, zstr
from qfkinds import RESIDENTS_PREAMBLE
KIND_LONG = b"L"


def residents_file(d):
    body = bytearray(u32(len(d["constants"])))
    for c in d["constants"]:
        body += zstr(c["name"].lstrip("#")) + KIND_LONG + i32(c["value"])
    return RESIDENTS_PREAMBLE + tagged(b"TCRS", b"") + tagged(b"TSNC", bytes(body))


def main(argv):
    if len(argv) != 3:
        fail("usage: mkresidents.py DESCRIPTOR OUTPUT")
    try:
        d = load_descriptor(argv[1])
    except DescriptorError as e:
        fail(str(e))
    write_bytes(argv[2], residents_file(d))


if __name__ == "__main__":
    main(sys.argv)
