"""Shared set-up for the payload tests: where the built items are, and readers
for the library and residents formats written independently of the tools."""

import os
import struct
import sys
import unittest

SOURCE_DIR = os.environ.get("QUILLFERN_SOURCE_DIR",
                            os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..")))
ITEMS_DIR = os.environ.get("QUILLFERN_PAYLOAD_ITEMS", "")
GENERATED_DIR = os.environ.get("QUILLFERN_PAYLOAD_GENERATED", "")
ICON_FILE = os.environ.get("QUILLFERN_ICON_FILE", "")
PROGRAM = os.environ.get("QUILLFERN_PROGRAM", "")
OWN_CONTENT = os.environ.get("QUILLFERN_OWN_CONTENT", "1") == "1"
TOOLS_DIR = os.path.join(SOURCE_DIR, "tools")
DESCRIPTOR = os.path.join(SOURCE_DIR, "payload", "quillfern.json")
sys.path.insert(0, TOOLS_DIR)  # the item-kind readers are shared with the build

ITEM_FILES = ["HelpFrench.chm", "HelpEnglish.chm", "Quillfern", "Ostravel.res",
              "Tintwell.pb", "Logo.bmp", "Cancel.bmp"]

own_content_only = unittest.skipUnless(OWN_CONTENT, "built around other content")


def item(name):
    with open(os.path.join(ITEMS_DIR, name), "rb") as f:
        return f.read()


def descriptor():
    """The descriptor as the items show it: its version ("2.10") where a text
    says @VERSION@, and that version times 100 for @VERSION_NUMBER@."""
    import json
    with open(DESCRIPTOR, encoding="utf-8") as f:
        text = f.read()
    version = json.loads(text)["version"]
    major, minor = version.split(".")
    number = str(int(major) * 100 + int(minor))
    text = text.replace('"@VERSION_NUMBER@"', number).replace("@VERSION_NUMBER@", number)
    return json.loads(text.replace("@VERSION@", version))


def sections(data, pos):
    """Splits tag/length/body sections from pos to the end of data."""
    out = []
    while pos < len(data):
        tag = data[pos:pos + 4]
        length, = struct.unpack_from("<I", data, pos + 4)
        body = data[pos + 8:pos + 8 + length]
        if len(body) != length:
            raise ValueError("section %r runs past the end" % tag)
        out.append((tag, body))
        pos += 8 + length
    return out


def cstring(data, pos):
    end = data.index(b"\0", pos)
    return data[pos:end].decode("cp1252"), end + 1


def read_library(data):
    """Returns {'name', 'version', 'help', 'functions': [(name, result, [(type, param)], quick)]}."""
    if data[:20] != b"ERUP" + struct.pack("<I", 253) + b"3BIL" + struct.pack("<I", 1) + b"LIB3":
        raise ValueError("bad preamble")
    lib = {}
    for tag, body in sections(data, 20):
        if tag == b"EMAN":
            lib["name"] = cstring(body, 0)[0]
        elif tag == b"NSRV":
            lib["version"], = struct.unpack("<I", body)
        elif tag == b"PLEH":
            lib["help"] = cstring(body, 0)[0]
        elif tag == b"CNUF":
            count, = struct.unpack_from("<I", body)
            pos, funcs = 4, []
            for _ in range(count):
                name, pos = cstring(body, pos)
                result = "" if body[pos] == 0 else chr(body[pos])
                nparams = body[pos + 1]
                pos += 2
                params = []
                for _ in range(nparams):
                    ptype = chr(body[pos])
                    pname, pos = cstring(body, pos + 1)
                    params.append((ptype, pname))
                quick, pos = cstring(body, pos)
                funcs.append((name, result, params, quick))
            if pos != len(body):
                raise ValueError("trailing bytes in the function section")
            lib["functions"] = funcs
    return lib


def read_residents(data):
    """Returns [(name with '#', value)] from a residents file."""
    if data[:12] != b"ERUP\0\0\0\0" + b"2SER":
        raise ValueError("bad preamble")
    found = dict(sections(data, 12))
    if found.get(b"TCRS") != b"":
        raise ValueError("structure section is not empty")
    body = found[b"TSNC"]
    count, = struct.unpack_from("<I", body)
    pos, constants = 4, []
    for _ in range(count):
        name, pos = cstring(body, pos)
        if body[pos:pos + 1] != b"L":
            raise ValueError("unknown constant kind")
        value, = struct.unpack_from("<i", body, pos + 1)
        pos += 5
        constants.append(("#" + name, value))
    if pos != len(body):
        raise ValueError("trailing bytes in the constants section")
    return constants


def require_items():
    """Called from setUpModule: a run that can't see the items must fail, not pass empty."""
    if not ITEMS_DIR or not os.path.isdir(ITEMS_DIR):
        raise RuntimeError("QUILLFERN_PAYLOAD_ITEMS must name the folder of the built items")


def main():
    unittest.main(module=sys.modules["__main__"], verbosity=2)
