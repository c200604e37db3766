"""The built items against the descriptor: help pages read back by an
independent CHM reader, the library and residents files decoded, and the
example checked against what the library file and residents file declare."""

import html
import os
import re
import shutil
import subprocess
import tempfile
import unittest

from payloadtest import (OWN_CONTENT, descriptor, item, main, read_library, read_residents,
                         require_items)

EXTRACT = shutil.which("extract_chmLib")


def setUpModule():
    require_items()


def plain(text):
    """Page text without tags or entities, for comparing with descriptor texts."""
    return html.unescape(re.sub(r"<[^>]+>", "", text))


@unittest.skipUnless(OWN_CONTENT, "built around other content")
class HostFilesAgreeWithDescriptor(unittest.TestCase):
    def setUp(self):
        self.d = descriptor()

    def test_library_file(self):
        lib = read_library(item("Quillfern"))
        self.assertEqual(lib["name"], "Quillfern")
        self.assertEqual(lib["help"], "Quillfern.chm")
        major, minor = self.d["version"].split(".")
        self.assertEqual(lib["version"], int(major) * 100 + int(minor))
        expected = [(f["name"], f["returns"], [(t, n) for n, t in f["params"]]) for f in self.d["functions"]]
        self.assertEqual([f[:3] for f in lib["functions"]], expected)
        for name, _, _, quick in lib["functions"]:
            self.assertTrue(quick.startswith(name + "("), quick)

    def test_residents_file(self):
        constants = read_residents(item("Ostravel.res"))
        self.assertEqual(len(constants), 29)
        self.assertEqual(constants, [(c["name"], c["value"]) for c in self.d["constants"]])

    def test_example_uses_only_what_the_library_declares(self):
        functions = {f[0] for f in read_library(item("Quillfern"))["functions"]}
        constants = {c[0] for c in read_residents(item("Ostravel.res"))}
        text = item("Tintwell.pb").decode("cp1252")
        code = "\n".join(re.sub(r'"[^"]*"|;.*', "", line) for line in text.split("\r\n"))
        used_f = set(re.findall(r"\b(Quill\w*)\s*\(", code))
        used_c = set(re.findall(r"#Quill_\w+", code))
        self.assertLessEqual(used_f, functions)
        self.assertLessEqual(used_c, constants)
        self.assertGreaterEqual(len(used_f), 0.75 * len(functions))
        self.assertGreaterEqual(len(used_c), 0.5 * len(constants))


@unittest.skipUnless(OWN_CONTENT, "built around other content")
@unittest.skipUnless(EXTRACT, "extract_chmLib (libchm-bin) is not installed")
class HelpFilesReadBack(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.d = descriptor()
        cls.dirs = {}
        for lang, name in [("fr", "HelpFrench.chm"), ("en", "HelpEnglish.chm")]:
            src = os.path.join(cls.tmp.name, name)
            with open(src, "wb") as f:
                f.write(item(name))
            out = os.path.join(cls.tmp.name, lang)
            subprocess.run([EXTRACT, src, out], stdout=subprocess.DEVNULL, check=True)
            cls.dirs[lang] = out

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def page(self, lang, name):
        with open(os.path.join(self.dirs[lang], name), "rb") as f:
            return f.read().decode("cp1252")

    def expected_pages(self):
        return (["index.html", "constants.html", "Quillfern.hhc", "Quillfern.hhk"]
                + [f["name"] + ".html" for f in self.d["functions"]])

    def test_every_page_is_present(self):
        for lang in self.dirs:
            present = set(os.listdir(self.dirs[lang]))
            for name in self.expected_pages():
                self.assertIn(name, present, "%s: %s" % (lang, name))

    def test_function_pages_in_their_language(self):
        for lang in self.dirs:
            for f in self.d["functions"]:
                text = plain(self.page(lang, f["name"] + ".html"))
                self.assertIn(f["name"] + "(" + ", ".join(p[0] for p in f["params"]) + ")", text)
                self.assertIn(f[lang]["summary"], text, "%s/%s" % (lang, f["name"]))
                for pname in f[lang]["params"]:
                    self.assertIn(f[lang]["params"][pname], text)

    def test_constants_page_lists_every_value(self):
        for lang in self.dirs:
            rows = {}
            for row in re.findall(r"<tr>(.*?)</tr>", self.page(lang, "constants.html")):
                cells = [plain(c).strip() for c in re.findall(r"<td>(.*?)</td>", row)]
                if cells:
                    rows[cells[0]] = cells[1]
            for c in self.d["constants"]:
                shown = rows.get(c["name"], "")
                value = int(shown[1:], 16) if shown.startswith("$") else int(shown)
                self.assertEqual(value, c["value"], "%s/%s" % (lang, c["name"]))

    def test_contents_and_index_reach_every_page(self):
        for lang in self.dirs:
            hhc, hhk = self.page(lang, "Quillfern.hhc"), self.page(lang, "Quillfern.hhk")
            toc = set(re.findall(r'name="Local" value="([^"#]+)', hhc))
            self.assertEqual(toc, set(self.expected_pages()) - {"Quillfern.hhc", "Quillfern.hhk"})
            keywords = set(re.findall(r'name="Name" value="([^"]+)', hhk))
            for f in self.d["functions"]:
                self.assertIn(f["name"], keywords)
            for c in self.d["constants"]:
                self.assertIn(c["name"], keywords)

    def test_links_resolve(self):
        for lang in self.dirs:
            anchors = set(re.findall(r'<a name="([^"]+)"', self.page(lang, "constants.html")))
            for name in self.expected_pages():
                for target in re.findall(r'(?:href|value)="([^"]+\.html[^"]*)"', self.page(lang, name)):
                    page, _, anchor = target.partition("#")
                    self.assertTrue(os.path.isfile(os.path.join(self.dirs[lang], page)),
                                    "%s/%s links to %s" % (lang, name, target))
                    if anchor:
                        self.assertIn(anchor, anchors, "%s/%s links to %s" % (lang, name, target))


if __name__ == "__main__":
    main()
