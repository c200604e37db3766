"""Header fields of the seven built items and of the icon, as the installer,
the image service and the host expect them."""

import os
import struct
import subprocess
import sys
import tempfile
import unittest

from payloadtest import (ICON_FILE, ITEM_FILES, OWN_CONTENT, TOOLS_DIR, item, main, own_content_only,
                         require_items)
from qfcommon import bmp_file
from qfkinds import bmp_headers, itsf_recorded_length


def setUpModule():
    require_items()


class HelpFiles(unittest.TestCase):
    def check(self, name, lcid):
        data = item(name)
        self.assertEqual(data[:4], b"ITSF")
        self.assertEqual(struct.unpack_from("<II", data, 4), (3, 96))
        self.assertEqual(itsf_recorded_length(data), len(data), "recorded length differs from the size")
        if OWN_CONTENT:
            self.assertEqual(struct.unpack_from("<I", data, 0x14)[0], lcid)
            self.assertEqual(struct.unpack_from("<I", data, 0x10)[0], 0, "time stamp left in")

    def test_french(self):
        self.check("HelpFrench.chm", 0x040C)

    def test_english(self):
        self.check("HelpEnglish.chm", 0x0409)


class HostFiles(unittest.TestCase):
    def test_library_preamble(self):
        data = item("Quillfern")
        self.assertEqual(data[:20], b"ERUP" + struct.pack("<I", 253) + b"3BIL" + struct.pack("<I", 1) + b"LIB3")
        self.assertGreater(len(data), 20)

    def test_residents_sections(self):
        data = item("Ostravel.res")
        self.assertEqual(data[:20], b"ERUP\0\0\0\0" + b"2SERTCRS\0\0\0\0")
        self.assertEqual(data[20:24], b"TSNC")
        self.assertEqual(struct.unpack_from("<I", data, 24)[0], len(data) - 28,
                         "the constants section must run to the end of the file")


class Example(unittest.TestCase):
    def setUp(self):
        self.data = item("Tintwell.pb")

    def test_lines_end_in_cr_lf_except_the_last(self):
        body = self.data.replace(b"\r\n", b"")
        self.assertNotIn(b"\r", body, "lone CR")
        self.assertNotIn(b"\n", body, "lone LF")
        self.assertFalse(self.data.endswith(b"\n"), "last line has a line end")

    def test_starts_with_a_comment(self):
        self.assertTrue(self.data.startswith(b";"))

    @own_content_only
    def test_code_page_1252_with_accents(self):
        text = self.data.decode("cp1252")
        self.assertTrue(any(ord(ch) > 127 for ch in text), "no accented character")


class Bitmaps(unittest.TestCase):
    def test_logo_header(self):
        data = item("Logo.bmp")
        file_header, info = bmp_headers(data)
        self.assertEqual(file_header, (b"BM", 55330, 0, 0, 1078))
        self.assertEqual(len(data), 55330)
        self.assertEqual(info, (40, 546, 99, 1, 8, 0, 54252, 2931, 2931, 256, 256))

    def test_button_header(self):
        data = item("Cancel.bmp")
        file_header, info = bmp_headers(data)
        self.assertEqual(file_header, (b"BM", 822, 0, 0, 54))
        self.assertEqual(len(data), 822)
        self.assertEqual(info, (40, 16, 16, 1, 24, 0, 768, 3779, 3779, 0, 0))

    @own_content_only
    def test_logo_palette_and_background(self):
        data = item("Logo.bmp")
        palette = [tuple(data[54 + 4 * i:57 + 4 * i]) for i in range(256)]
        self.assertEqual(len(set(palette)), 256, "palette entries repeat")
        self.assertTrue(all(data[57 + 4 * i] == 0 for i in range(256)), "RGBQUAD reserved byte")
        pixels = data[1078:]
        for x, y in [(0, 0), (545, 0), (0, 98), (545, 98)]:
            self.assertEqual(palette[pixels[y * 548 + x]], (255, 255, 255), "corner not white")
        self.assertTrue(all(pixels[y * 548 + 546:y * 548 + 548] == b"\0\0" for y in range(99)),
                        "row padding not zero")
        inked = sum(1 for p in pixels if palette[p] != (255, 255, 255))
        self.assertGreater(inked, 546 * 99 // 20, "hardly anything drawn")

    @own_content_only
    def test_button_reads_as_cancel(self):
        data = item("Cancel.bmp")

        def rgb(x, y):  # top-down coordinates
            p = 54 + (15 - y) * 48 + 3 * x
            b, g, r = data[p:p + 3]
            return r, g, b

        for corner in [(0, 0), (15, 0), (0, 15), (15, 15)]:
            self.assertTrue(all(c >= 200 for c in rgb(*corner)), "corner not light")
        self.assertTrue(all(c >= 220 for c in rgb(7, 7)), "no white cross in the middle")
        r, g, b = rgb(7, 2)
        self.assertTrue(r > 150 and g < 90 and b < 90, "no red disc around the cross")


def with_u32(data, offset, value):
    data = bytearray(data)
    struct.pack_into("<I", data, offset, value)
    return bytes(data)


class WrongKinds(unittest.TestCase):
    """Laying out the block from items of which one is of the wrong kind."""

    CASES = [  # (file, its wrong content made from the good items, the fault named)
        ("Logo.bmp", lambda good: b"Quillfern logo\r\n", "not a Windows bitmap"),
        ("Logo.bmp", lambda good: good["Cancel.bmp"], "24 bits per pixel, the window expects 8"),
        ("Cancel.bmp", lambda good: good["Logo.bmp"], "8 bits per pixel, the window expects 24"),
        ("Logo.bmp", lambda good: good["Logo.bmp"][:-1], "records a file size of"),
        ("Logo.bmp", lambda good: bmp_file(4, 2, 8, [bytes(4)] * 2), "without room for its palette of 256"),
        ("Logo.bmp", lambda good: with_u32(good["Logo.bmp"], 22, 4000), "pixels do not fit in the file"),
        ("HelpFrench.chm", lambda good: good["Quillfern"], "not a compiled help file"),
        ("HelpFrench.chm", lambda good: with_u32(good["HelpFrench.chm"], 4, 2), "ITSF version 2"),
        ("HelpEnglish.chm", lambda good: good["HelpEnglish.chm"] + b"\0", "records a length of"),
        ("Quillfern", lambda good: good["Ostravel.res"], "does not begin as a library file"),
        ("Ostravel.res", lambda good: good["Quillfern"], "does not begin as a residents file"),
        ("Ostravel.res", lambda good: good["Ostravel.res"] + b"\0", "constants section does not end"),
        ("Tintwell.pb", lambda good: good["Tintwell.pb"].replace(b"\r\n", b"\n"), "do not all end in CR LF"),
        ("Tintwell.pb", lambda good: good["Cancel.bmp"], "not a text file"),
    ]

    def test_stops_with_one_line_naming_the_file_and_the_fault(self):
        good = {name: item(name) for name in ITEM_FILES}
        for filename, make, fault in self.CASES:
            with self.subTest(file=filename, fault=fault), tempfile.TemporaryDirectory() as tmp:
                for name in ITEM_FILES:
                    with open(os.path.join(tmp, name), "wb") as f:
                        f.write(make(good) if name == filename else good[name])
                generated = os.path.join(tmp, "generated")
                run = subprocess.run([sys.executable, os.path.join(TOOLS_DIR, "mkpayload.py"), tmp, generated],
                                     stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
                lines = run.stdout.decode().splitlines()
                self.assertEqual(run.returncode, 1)
                self.assertEqual(len(lines), 1, lines)
                self.assertIn("(%s): " % os.path.join(tmp, filename), lines[0])
                self.assertIn(fault, lines[0])
                self.assertFalse(os.path.exists(generated), "laid out all the same")


class Icon(unittest.TestCase):
    @unittest.skipUnless(ICON_FILE, "QUILLFERN_ICON_FILE not given")
    def test_one_16x16_256_colour_image(self):
        with open(ICON_FILE, "rb") as f:
            data = f.read()
        self.assertEqual(struct.unpack_from("<HHH", data, 0), (0, 1, 1))
        width, height, colours, _, planes, bits, size, offset = struct.unpack_from("<BBBBHHII", data, 6)
        self.assertEqual((width, height, colours, planes, bits), (16, 16, 0, 1, 8))
        self.assertEqual(offset + size, len(data))
        info = struct.unpack_from("<IiiHHI", data, offset)
        self.assertEqual(info, (40, 16, 32, 1, 8, 0))
        # header, 256-entry palette, 16 rows of 16 colour bytes, 16 mask rows of 4 bytes
        self.assertEqual(size, 40 + 1024 + 256 + 64)


if __name__ == "__main__":
    main()
