#!/usr/bin/env python3
"""The page in headless Chromium, driven through WebDriver as a player would
use it: typing the walkthrough, undo, restart, reload and resume, opening
maps through the file button, refused and huge maps, markup in maps and
titles, accented text in UTF-8 and windows-1250, a published page opened from
file://, accessibility properties, and screenshots in both colour schemes.

  browser_test.py --page kaland.html --native-build BUILD [--screenshots DIR]

BUILD is a native build folder with kaland and kaland-publish: the console's
output is the expected log. Without Chromium, chromedriver or selenium the
tests are skipped (status 77), unless KALAND_REQUIRE_WEB_TESTS=1.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import unittest
import zipfile

SKIP_STATUS = 77
OPTIONS = None
DRIVER = None
SCRATCH = None
SOURCE_DIR = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
CHROMEDRIVER = "/usr/bin/chromedriver"

# Text of the log without the echoed lines and the page's own words: the
# console's standard output.
LOG_OUTPUT = """
const copy = document.getElementById('log').cloneNode(true);
copy.querySelectorAll('.input, .notice').forEach((element) => element.remove());
return copy.textContent;
"""


def skip_or_fail(reason):
    if os.environ.get("KALAND_REQUIRE_WEB_TESTS") == "1":
        print(f"FAILED: {reason} (KALAND_REQUIRE_WEB_TESTS=1: the browser tests must run)")
        sys.exit(1)
    print(f"SKIPPED: {reason}")
    sys.exit(SKIP_STATUS)


def start_browser(user_data_dir):
    try:
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
    except ImportError:
        skip_or_fail("python3-selenium is not installed")
    browser = shutil.which("chromium") or shutil.which("chromium-browser")
    if browser is None or not os.path.exists(CHROMEDRIVER):
        skip_or_fail("chromium or chromium-driver is not installed")
    options = webdriver.ChromeOptions()
    options.binary_location = browser
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--disable-dev-shm-usage", "--window-size=1000,760", f"--user-data-dir={user_data_dir}"):
        options.add_argument(flag)
    options.add_experimental_option("prefs", {"download.default_directory": os.path.join(user_data_dir, "downloads")})
    driver = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
    driver.set_page_load_timeout(30)
    driver.set_script_timeout(30)
    return driver


def console_output(map_path, input_bytes):
    """What the console program writes for the map and the input."""
    kaland = os.path.join(OPTIONS.native_build, "kaland")
    result = subprocess.run([kaland, map_path], input=input_bytes, capture_output=True, timeout=60)
    return result.stdout


def write_file(name, data):
    path = os.path.join(SCRATCH, name)
    with open(path, "wb") as file:
        file.write(data)
    return path


class Player(unittest.TestCase):
    """What a player does with the page, and what the tests read from it."""

    def open_page(self, url, fresh=False):
        DRIVER.get(url)
        if fresh:
            DRIVER.execute_script("localStorage.clear()")
            DRIVER.get(url)
        self.wait_for(lambda: DRIVER.execute_script("return document.body.dataset.ready === 'true'"), "page ready")

    def wait_for(self, condition, what, timeout=15):
        from selenium.webdriver.support.ui import WebDriverWait
        WebDriverWait(DRIVER, timeout).until(lambda _: condition(), f"timed out waiting for {what}")

    def element(self, element_id):
        from selenium.webdriver.common.by import By
        return DRIVER.find_element(By.ID, element_id)

    def log_output(self):
        return DRIVER.execute_script(LOG_OUTPUT)

    def echoes(self):
        return DRIVER.execute_script(
            "return [...document.querySelectorAll('#log .input')].map((echo) => echo.textContent)")

    def status(self):
        return self.element("status").text

    def type_line(self, line):
        """Types a line and presses Enter; returns whether the game took it."""
        from selenium.webdriver.common.keys import Keys
        before = len(self.echoes())
        status_before = self.status()
        self.element("line").send_keys(line + Keys.ENTER)
        self.wait_for(lambda: len(self.echoes()) > before or self.status() != status_before or
                      "ended" in self.status(), f"the line {line!r} to be taken")
        return len(self.echoes()) > before

    def type_lines(self, lines):
        for line in lines:
            if not self.type_line(line):
                break

    def open_map_file(self, path):
        before = DRIVER.execute_script("return document.getElementById('log').textContent + '|' + "
                                       "document.getElementById('status').textContent")
        self.element("open").send_keys(path)
        self.wait_for(lambda: DRIVER.execute_script(
            "return document.getElementById('log').textContent + '|' + "
            "document.getElementById('status').textContent") != before and
            not self.status().startswith("Opening"), f"{path} to open", timeout=30)

    def click(self, element_id):
        self.element(element_id).click()

    def focused_id(self):
        return DRIVER.execute_script("return document.activeElement && document.activeElement.id")


class BundledPageTest(Player):
    """kaland.html with the bundled adventure, and maps opened in it."""
    page_url = None

    def setUp(self):
        self.open_page(self.page_url, fresh=True)

    # ---- the bundled adventure ----

    def test_walkthrough_gives_the_console_output(self):
        with open(os.path.join(SOURCE_DIR, "zelmor.walkthrough"), "rb") as file:
            walkthrough = file.read()
        expected = console_output(os.path.join(SOURCE_DIR, "zelmor.map"), walkthrough).decode("utf-8")
        lines = walkthrough.decode("utf-8").split("\n")[:-1]
        self.type_lines(lines)
        self.assertEqual(expected, self.log_output())
        self.assertEqual(lines, [echo[:-1] for echo in self.echoes()])
        self.assertIn("The game has ended", self.status())
        self.assertEqual("Play again", self.element("restart").text)
        self.assertFalse(self.type_line("n"), "a finished game takes no more lines")
        self.assertEqual("line", self.focused_id())
        # Nothing was fetched: everything the page needs is in the file.
        self.assertEqual(0, DRIVER.execute_script("return performance.getEntriesByType('resource').length"))

    def test_undo_takes_back_the_last_line(self):
        start = self.log_output()
        self.type_line("n")
        after_one = self.log_output()
        self.type_line("x")
        self.type_line("s")
        self.click("undo")
        self.wait_for(lambda: len(self.echoes()) == 2, "undo")
        self.assertEqual(["n\n", "x\n"], self.echoes())
        self.assertIn("Took back", self.status())
        self.assertEqual("line", self.focused_id())
        # Ctrl+Z in the empty command field undoes as well.
        from selenium.webdriver.common.keys import Keys
        self.element("line").send_keys(Keys.CONTROL, "z")
        self.wait_for(lambda: len(self.echoes()) == 1, "Ctrl+Z")
        self.assertEqual(after_one, self.log_output())
        self.click("undo")
        self.wait_for(lambda: len(self.echoes()) == 0, "undo to the start")
        self.assertEqual(start, self.log_output())
        self.assertFalse(self.element("undo").is_enabled())

    def test_restart_and_play_again(self):
        start = self.log_output()
        self.type_lines(["n", "exit"])
        self.assertTrue(self.log_output().endswith("Nyomj <Enter>-t a kilepeshez!"))
        self.type_line("")
        self.assertEqual("Play again", self.element("restart").text)
        self.click("restart")
        self.wait_for(lambda: len(self.echoes()) == 0, "restart")
        self.assertEqual(start, self.log_output())
        self.assertEqual("Restart", self.element("restart").text)
        self.assertEqual("line", self.focused_id())

    def test_reload_brings_the_game_back(self):
        self.type_lines(["n", "e", "zzz"])
        log_before = DRIVER.execute_script("return document.getElementById('log').textContent")
        self.open_page(self.page_url)
        self.assertEqual(log_before, DRIVER.execute_script("return document.getElementById('log').textContent"))
        self.assertEqual(["n\n", "e\n", "zzz\n"], self.echoes())
        self.assertIn("saved game is back", self.status())
        self.assertEqual("line", self.focused_id())

    def test_save_transcript(self):
        self.type_lines(["n"])
        self.click("save")
        folder = os.path.join(OPTIONS.user_data_dir, "downloads")
        self.wait_for(lambda: os.path.exists(os.path.join(folder, "zelmor-transcript.txt")), "the download")
        with open(os.path.join(folder, "zelmor-transcript.txt"), encoding="utf-8") as file:
            self.assertEqual(DRIVER.execute_script("return document.getElementById('log').textContent"), file.read())

    def test_accessibility_properties(self):
        found = DRIVER.execute_script("""
            const log = document.getElementById('log');
            const line = document.getElementById('line');
            const unlabelled = [...document.querySelectorAll('input, button')].filter((control) =>
                !(control.labels && control.labels.length) && !control.textContent.trim());
            return {
                role: log.getAttribute('role'), live: log.getAttribute('aria-live'),
                unlabelled: unlabelled.map((control) => control.id),
                capitalize: line.getAttribute('autocapitalize'), correct: line.getAttribute('autocorrect'),
                spell: line.getAttribute('spellcheck'),
                viewport: document.querySelector('meta[name=viewport]').content,
                fontSize: getComputedStyle(log).fontSize,
            };""")
        self.assertEqual("log", found["role"])
        self.assertEqual("polite", found["live"])
        self.assertEqual([], found["unlabelled"])
        self.assertEqual(("off", "off", "false"), (found["capitalize"], found["correct"], found["spell"]))
        self.assertIn("width=device-width", found["viewport"])
        self.type_line("n")
        hidden = DRIVER.execute_script(
            "return [...document.querySelectorAll('#log .input')].every((echo) => echo.getAttribute('aria-hidden') === 'true')")
        self.assertTrue(hidden, "an echoed line would be read out again")
        # The user's font size wins: sizes follow the root font size.
        DRIVER.execute_script("document.documentElement.style.fontSize = '32px'")
        self.assertEqual("32px", DRIVER.execute_script("return getComputedStyle(document.getElementById('log')).fontSize"))

    # ---- other maps ----

    def test_file_button_opens_and_plays_a_map(self):
        map_bytes = b"#helyiseg 1\nA small room.\n#irany N 2 a\n#helyiseg 2\nThe end.\n#gameover\n"
        path = write_file("small.map", map_bytes)
        self.type_line("n")
        self.open_map_file(path)
        self.assertEqual([], self.echoes(), "the log starts afresh")
        self.assertEqual("A small room.", self.element("kaland-title").text)
        self.type_lines(["b", "a", ""])
        self.assertEqual(console_output(path, b"b\na\n\n").decode(), self.log_output())
        self.assertIn("The game has ended", self.status())

    def test_a_map_dropped_onto_the_page_opens(self):
        DRIVER.execute_script("""
            const transfer = new DataTransfer();
            transfer.items.add(new File(['#helyiseg 1\\nDropped in.\\n#gameover\\n'], 'dropped.map'));
            document.body.dispatchEvent(new DragEvent('dragover', {dataTransfer: transfer, bubbles: true}));
            document.body.dispatchEvent(new DragEvent('drop', {dataTransfer: transfer, bubbles: true}));""")
        self.wait_for(lambda: "Dropped in." in self.log_output(), "the dropped map")
        self.assertEqual("\nDropped in.\n\nNyomj <Enter>-t a kilepeshez!", self.log_output())
        self.assertEqual("Dropped in.", self.element("kaland-title").text)
        self.assertEqual("line", self.focused_id())

    def test_refused_map_shows_its_message_and_the_page_stays_usable(self):
        path = write_file("refused.map", b"#helyiseg 1\nOne.\n#irany N\n")
        self.open_map_file(path)
        expected = console_output(path, b"").decode()
        self.assertTrue(expected.startswith("Error: "))
        self.assertEqual(expected, self.log_output())
        self.assertIn("stopped the game", self.status())
        self.assertFalse(self.type_line("a"))
        good = write_file("good.map", b"#helyiseg 1\nBack in business.\n#gameover\n")
        self.open_map_file(good)
        self.assertEqual(console_output(good, b"").decode(), self.log_output())

    def test_huge_maps_are_refused_and_the_game_goes_on(self):
        self.type_line("n")
        log_before = self.log_output()
        far = write_file("far.map", b"#helyiseg 20000000\nFar away.\n#gameover\n")
        self.open_map_file(far)
        self.assertIn("needs more memory", self.status())
        self.assertEqual(log_before, self.log_output())
        self.assertEqual(["n\n"], self.echoes())
        huge = os.path.join(SCRATCH, "huge.map")
        with open(huge, "wb") as file:
            file.truncate(65 * 1024 * 1024)
        self.open_map_file(huge)
        self.assertIn("larger than 64 MB", self.status())
        os.remove(huge)
        self.assertTrue(self.type_line("s"), "the game before goes on")

    def test_markup_in_a_map_is_shown_as_text(self):
        text = "</script><script>window.pwned = 1</script><img src=x onerror=\"window.pwned = 2\"> & <b>bold</b>"
        path = write_file("markup.map", f"#helyiseg 1\n{text}\n#gameover\n".encode())
        self.open_map_file(path)
        self.assertEqual(f"\n{text}\n\nNyomj <Enter>-t a kilepeshez!", self.log_output())
        self.assertEqual(text, self.element("kaland-title").text)
        self.assertIsNone(DRIVER.execute_script("return window.pwned"))
        self.assertEqual(0, DRIVER.execute_script("return document.querySelectorAll('img, b, #log script').length"))

    def test_accented_utf8_map(self):
        text = "Árvíztűrő tükörfúrógép: őrző és lámpás"
        path = write_file("utf8.map", f"#helyiseg 1\n{text}\n#irany N 2 a\n#helyiseg 2\nVége.\n#gameover\n".encode())
        self.open_map_file(path)
        self.assertIn(text, self.log_output())
        self.type_line("a")
        self.assertIn("Vége.", self.log_output())

    def test_windows_1250_map_and_an_accented_key(self):
        text = "Árvíztűrő tükörfúrógép"
        map_bytes = (f"#helyiseg 1\n{text}\n#irany N 2 á\n#helyiseg 2\nVége.\n#gameover\n").encode("cp1250")
        path = write_file("legacy.map", map_bytes)
        self.open_map_file(path)
        self.assertEqual(f"\n{text}\n\n", self.log_output())
        self.assertEqual(text, self.element("kaland-title").text)
        self.type_line("á")  # typed as the byte 0xE1, the key of the exit
        expected = console_output(path, "á\n".encode("cp1250")).decode("cp1250")
        self.assertEqual(expected, self.log_output())

    # ---- screenshots ----

    def test_screenshots_in_light_and_dark(self):
        self.type_lines(["n", "e"])
        for scheme in ("light", "dark"):
            DRIVER.execute_cdp_cmd("Emulation.setEmulatedMedia",
                                   {"features": [{"name": "prefers-color-scheme", "value": scheme}]})
            background = DRIVER.execute_script("return getComputedStyle(document.body).backgroundColor")
            self.assertEqual(scheme == "dark", background == "rgb(23, 24, 27)", background)
            if OPTIONS.screenshots:
                os.makedirs(OPTIONS.screenshots, exist_ok=True)
                DRIVER.save_screenshot(os.path.join(OPTIONS.screenshots, f"web-{scheme}.png"))
        DRIVER.execute_cdp_cmd("Emulation.setEmulatedMedia", {"features": []})
        # A phone: the page fits the screen's width.
        DRIVER.set_window_size(390, 844)
        try:
            width = DRIVER.execute_script("return document.documentElement.scrollWidth")
            inner = DRIVER.execute_script("return window.innerWidth")
            self.assertLessEqual(width, inner)
            if OPTIONS.screenshots:
                DRIVER.save_screenshot(os.path.join(OPTIONS.screenshots, "web-phone.png"))
        finally:
            DRIVER.set_window_size(1000, 760)


class PublishedPageTest(Player):
    """Pages written by kaland-publish, opened from file://."""

    def publish(self, map_path, *arguments):
        tools = os.path.join(SCRATCH, "publish-tools")
        os.makedirs(tools, exist_ok=True)
        shutil.copy(os.path.join(OPTIONS.native_build, "kaland-publish"), tools)
        shutil.copy(OPTIONS.page, os.path.join(tools, "kaland.html"))
        output = os.path.join(SCRATCH, os.path.basename(map_path) + ".html")
        subprocess.run([os.path.join(tools, "kaland-publish"), map_path, "-o", output, *arguments],
                       check=True, capture_output=True, timeout=60)
        return "file://" + output

    def test_published_zelmor_plays_the_walkthrough_to_its_ending(self):
        url = self.publish(os.path.join(SOURCE_DIR, "zelmor.map"))
        self.open_page(url, fresh=True)
        self.assertEqual("THE LAST LAMP OF ZELMOR", DRIVER.title)
        with open(os.path.join(SOURCE_DIR, "zelmor.walkthrough"), "rb") as file:
            walkthrough = file.read()
        self.type_lines(walkthrough.decode().split("\n")[:-1])
        self.assertEqual(console_output(os.path.join(SOURCE_DIR, "zelmor.map"), walkthrough).decode(),
                         self.log_output())
        self.assertIn("The game has ended", self.status())

    def test_published_markup_in_map_and_title_is_text(self):
        text = "</script><script>window.pwned = 1</script><img src=x onerror=\"window.pwned = 2\">"
        title = "<script>window.pwned = 3</script></title><img src=x onerror=\"window.pwned = 4\">"
        path = write_file("hostile.map", f"#helyiseg 1\n{text}\n#gameover\n".encode())
        self.open_page(self.publish(path, "--title", title), fresh=True)
        self.assertEqual(title, DRIVER.title)
        self.assertEqual(title, self.element("kaland-title").text)
        self.assertEqual(f"\n{text}\n\nNyomj <Enter>-t a kilepeshez!", self.log_output())
        self.assertIsNone(DRIVER.execute_script("return window.pwned"))
        self.assertEqual(0, DRIVER.execute_script("return document.querySelectorAll('img').length"))

    def test_release_zip_index_plays_with_the_maps_facts(self):
        path = write_file("kut.map", "#title A kút\n#author Kiss Anna\n#lang hu\n"
                          "#ifid 3F2A6C1E-8B4D-4E7A-9C31-5D0B7A2E9F64\n#helyiseg 1\nA kút. [l] le\n"
                          "#irany N 2 l\n#helyiseg 2\nVíz! VÉGE\n#gameover\n".encode())
        release = os.path.join(SCRATCH, "release")
        self.publish(path, "--zip", release + ".zip")
        with zipfile.ZipFile(release + ".zip") as archive:
            self.assertEqual(["index.html", "kut.map", "kut.iFiction", "README.txt"], archive.namelist())
            archive.extractall(release)
        self.open_page("file://" + os.path.join(release, "index.html"), fresh=True)
        self.assertEqual("A kút", DRIVER.title)
        self.assertEqual("A kút", self.element("kaland-title").text)
        self.assertEqual("Kiss Anna", self.element("kaland-author").text)
        self.assertEqual("hu", DRIVER.execute_script("return document.documentElement.lang"))
        self.type_lines(["l", ""])
        self.assertEqual(console_output(path, b"l\n\n").decode(), self.log_output())


def main():
    global OPTIONS, DRIVER, SCRATCH
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--page", required=True)
    parser.add_argument("--native-build", required=True)
    parser.add_argument("--screenshots")
    OPTIONS, rest = parser.parse_known_args()
    OPTIONS.page = os.path.abspath(OPTIONS.page)
    OPTIONS.native_build = os.path.abspath(OPTIONS.native_build)
    for tool in ("kaland", "kaland-publish"):
        if not os.access(os.path.join(OPTIONS.native_build, tool), os.X_OK):
            skip_or_fail(f"no native {tool} in {OPTIONS.native_build} to compare with")
    SCRATCH = tempfile.mkdtemp(prefix="kaland-web-")
    OPTIONS.user_data_dir = os.path.join(SCRATCH, "profile")
    try:
        DRIVER = start_browser(OPTIONS.user_data_dir)
        # The page is copied, so that its saved games are this run's alone.
        page_copy = os.path.join(SCRATCH, "kaland.html")
        shutil.copy(OPTIONS.page, page_copy)
        BundledPageTest.page_url = "file://" + page_copy
        program = unittest.main(argv=[sys.argv[0], *rest], exit=False, verbosity=2)
        success = program.result.wasSuccessful()
    finally:
        if DRIVER is not None:
            DRIVER.quit()
        shutil.rmtree(SCRATCH, ignore_errors=True)
    sys.exit(0 if success else 1)


if __name__ == "__main__":
    main()
