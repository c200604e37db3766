"""Two runs of the generators, a second apart and in different folders, give
the same bytes, and the same bytes as the build made."""

import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

from payloadtest import DESCRIPTOR, ITEM_FILES, ITEMS_DIR, OWN_CONTENT, SOURCE_DIR, TOOLS_DIR

CHMCMD = os.environ.get("CHMCMD") or shutil.which("chmcmd")


def generate(folder):
    """Runs every generator into folder, as the build does."""
    def tool(name, *args):
        subprocess.run([sys.executable, os.path.join(TOOLS_DIR, name)] + list(args),
                       check=True, env=dict(os.environ, CHMCMD=CHMCMD or "chmcmd"))

    payload = os.path.join(SOURCE_DIR, "payload")
    for lang, name in [("fr", "HelpFrench.chm"), ("en", "HelpEnglish.chm")]:
        tool("mkhelp.py", DESCRIPTOR, lang, os.path.join(payload, "help", lang, "overview.html"),
             os.path.join(folder, "work-" + lang), os.path.join(folder, name))
    tool("mklibrary.py", DESCRIPTOR, os.path.join(folder, "Quillfern"))
    tool("mkresidents.py", DESCRIPTOR, os.path.join(folder, "Ostravel.res"))
    tool("mkexample.py", DESCRIPTOR, os.path.join(payload, "examples", "Tintwell", "Tintwell.pb"),
         os.path.join(folder, "Tintwell.pb"))
    tool("mkbitmaps.py", DESCRIPTOR, os.path.join(folder, "Logo.bmp"), os.path.join(folder, "Cancel.bmp"))
    tool("mkicon.py", DESCRIPTOR, os.path.join(folder, "Quillfern.ico"))
    tool("mkpayload.py", folder, os.path.join(folder, "generated"))


def read(path):
    with open(path, "rb") as f:
        return f.read()


@unittest.skipUnless(CHMCMD, "chmcmd is not installed")
class Reproducible(unittest.TestCase):
    OUTPUTS = ITEM_FILES + ["Quillfern.ico"] + [os.path.join("generated", name) for name in
                                                ("PayloadBlock.s", "PayloadChecks.cpp", "PayloadLayout.h")]

    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.first = os.path.join(cls.tmp.name, "first")
        cls.second = os.path.join(cls.tmp.name, "second", "a", "deeper", "folder")
        generate(cls.first)
        time.sleep(1.5)  # the help compiler stamps whole seconds
        generate(cls.second)

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def test_two_runs_give_the_same_bytes(self):
        for name in self.OUTPUTS:
            self.assertEqual(read(os.path.join(self.first, name)), read(os.path.join(self.second, name)), name)

    @unittest.skipUnless(OWN_CONTENT and ITEMS_DIR, "built around other content")
    def test_the_build_made_the_same_bytes(self):
        for name in ITEM_FILES:
            self.assertEqual(read(os.path.join(self.first, name)), read(os.path.join(ITEMS_DIR, name)), name)


if __name__ == "__main__":
    unittest.main(verbosity=2)
