#!/usr/bin/env python3
"""Makes a folder of payload items with a large help set, for scripts/bench.

The two help files are compiled with chmcmd from pages of seeded random text,
each page with a picture of random pixels (which no compression shrinks), so
that each file comes to about the size asked for; the other five items are
copied from a folder of items (the build's own). The result is what a
maintainer might hand the build through QUILLFERN_PAYLOAD_DIR, and the same
bytes on every run.

Usage: mkhelpset.py ITEMS_DIR OUTPUT_DIR [MEGABYTES_PER_HELP_FILE]
       (CHMCMD in the environment names the compiler, default chmcmd)
"""

import os
import random
import shutil
import struct
import subprocess
import sys

from mkhelp import clear_timestamps
from qfcommon import fail, write_bytes
from qfkinds import help_fault

PAGES = 40
PICTURE_WIDTH = 256           # 24-bit pixels: 768 bytes a row, no padding
WORDS_PER_PAGE = 1500
OTHER_ITEMS = ["Quillfern", "Ostravel.res", "Tintwell.pb", "Logo.bmp", "Cancel.bmp"]
HELP_FILES = [("HelpFrench.chm", "0x40c French", 1), ("HelpEnglish.chm", "0x409 English", 2)]
SYLLABLES = ["qu", "il", "fern", "ta", "ro", "mi", "ne", "sol", "var", "en", "de", "la", "po", "ki", "ur"]


def picture(rng, height):
    """A bottom-up 24-bit bitmap of random pixels."""
    pixels = rng.randbytes(PICTURE_WIDTH * 3 * height)
    headers = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    headers += struct.pack("<IiiHHIIiiII", 40, PICTURE_WIDTH, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return headers + pixels


def page(rng, number):
    words = ["".join(rng.choice(SYLLABLES) for _ in range(rng.randint(1, 4))) for _ in range(WORDS_PER_PAGE)]
    paragraphs = [" ".join(words[i:i + 100]) for i in range(0, len(words), 100)]
    body = "".join("<p>%s</p>\n" % p for p in paragraphs)
    return ("<html><head><title>Page %d</title></head><body>\n<h1>Page %d</h1>\n"
            '<img src="picture%d.bmp">\n%s</body></html>\n' % (number, number, number, body))


def project(name, language, pages):
    return ("[OPTIONS]\nCompatibility=1.1 or later\nCompiled file=%s\nDefault topic=page1.html\n"
            "Display compile progress=No\nBinary Index=No\nLanguage=%s\nTitle=Bench help set\n"
            "\n[FILES]\n%s\n" % (name, language, "\n".join(pages)))


def help_file(work, name, language, seed, megabytes, chmcmd):
    rng = random.Random(seed)
    if os.path.isdir(work):
        shutil.rmtree(work)
    os.makedirs(work)
    # The pictures carry the bulk: what the file should hold, less the
    # compressed text, shared among the pages.
    height = max(1, (megabytes * 1024 * 1024 - PAGES * 4096) // (PAGES * PICTURE_WIDTH * 3))
    pages = []
    for number in range(1, PAGES + 1):
        write_bytes(os.path.join(work, "page%d.html" % number), page(rng, number).encode("ascii"))
        write_bytes(os.path.join(work, "picture%d.bmp" % number), picture(rng, height))
        pages += ["page%d.html" % number, "picture%d.bmp" % number]
    write_bytes(os.path.join(work, "help.hhp"), project(name, language, pages).encode("ascii"))
    run = subprocess.run([chmcmd, "--no-html-scan", "help.hhp"], cwd=work,
                         stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    compiled = os.path.join(work, name)
    if run.returncode != 0 or not os.path.isfile(compiled):
        fail("chmcmd failed:\n" + run.stdout.decode(errors="replace"))
    with open(compiled, "rb") as f:
        data = clear_timestamps(f.read())
    fault = help_fault(data)
    if fault:
        fail("%s: %s" % (name, fault))
    return data


def main(argv):
    if len(argv) not in (3, 4):
        fail("usage: mkhelpset.py ITEMS_DIR OUTPUT_DIR [MEGABYTES_PER_HELP_FILE]")
    items, output = argv[1], argv[2]
    megabytes = int(argv[3]) if len(argv) == 4 else 12
    chmcmd = os.environ.get("CHMCMD", "chmcmd")
    os.makedirs(output, exist_ok=True)
    for name, language, seed in HELP_FILES:
        data = help_file(os.path.join(output, "work-" + name), name, language, seed, megabytes, chmcmd)
        write_bytes(os.path.join(output, name), data)
        shutil.rmtree(os.path.join(output, "work-" + name))
    for name in OTHER_ITEMS:
        shutil.copyfile(os.path.join(items, name), os.path.join(output, name))


if __name__ == "__main__":
    main(sys.argv)
