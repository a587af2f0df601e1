#!/usr/bin/env python3
"""The built kaland.html is one self-contained file: at most 300 KB with the
bundled adventure, nothing that could make the browser fetch anything, a
policy that forbids it anyway and runs only the page's own scripts, and the
bundled map embedded whole.
  page_file_test.py kaland.html"""
import base64
import hashlib
import os
import re
import sys
import unittest

PAGE = None
SOURCE_DIR = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
MAX_PAGE_BYTES = 300 * 1024


class PageFileTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        with open(PAGE, encoding="utf-8") as file:
            cls.page = file.read()

    def test_size(self):
        self.assertLessEqual(os.path.getsize(PAGE), MAX_PAGE_BYTES)

    def test_nothing_to_fetch(self):
        self.assertIsNone(re.search(r"""<(script|link|img|iframe)[^>]*\s(src|href)\s*=""", self.page, re.I))
        self.assertIsNone(re.search(r"""https?://|@import|url\(\s*['"]?(?!data:)""", self.page.split("<script>")[0]))
        self.assertIn("default-src 'none'", self.page)

    def test_policy_runs_only_the_pages_own_scripts(self):
        policy = re.search(r'<meta http-equiv="Content-Security-Policy" content="([^"]*)">', self.page).group(1)
        directives = dict(directive.strip().split(" ", 1) for directive in policy.split(";"))
        scripts = [text for attributes, text in re.findall(r"<script([^>]*)>(.*?)</script>", self.page, re.S)
                   if "type=" not in attributes]
        hashes = {"'sha256-" + base64.b64encode(hashlib.sha256(text.encode()).digest()).decode() + "'"
                  for text in scripts}
        # the engine, its interface, the byte helpers, the key buttons, the saves, the page
        self.assertEqual(6, len(hashes))
        self.assertEqual(hashes | {"'wasm-unsafe-eval'"}, set(directives["script-src"].split()))
        self.assertNotIn("unsafe-inline", directives["style-src"])
        for directive, value in (("default-src", "'none'"), ("form-action", "'none'"), ("base-uri", "'none'")):
            self.assertEqual(value, directives[directive])

    def test_bundled_map_embedded(self):
        found = re.search(r'<script type="application/octet-stream" id="kaland-map" data-name="zelmor.map">([^<]*)</script>',
                          self.page)
        self.assertIsNotNone(found)
        with open(os.path.join(SOURCE_DIR, "zelmor.map"), "rb") as file:
            self.assertEqual(file.read(), base64.b64decode(found.group(1)))

    def test_engine_inlined(self):
        self.assertIn("createKalandEngine", self.page)
        self.assertNotIn(".wasm\"", self.page.replace("data:application/octet-stream;base64,", ""))


if __name__ == "__main__":
    PAGE = sys.argv.pop(1)
    unittest.main(verbosity=2)
