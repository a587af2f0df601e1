#!/usr/bin/env python3
"""The page in headless Chromium, driven through WebDriver as a player would
use it: typing the walkthrough, undo, restart, reload and resume, opening
maps through the file button, refused and huge maps, markup in maps and
titles, accented text in UTF-8 and windows-1250, a published page opened from
file://, the content policy (injected script and eval refused), small
screens and large text, the page's words in English and Hungarian, keyboard
use, accessibility (with axe-core), a long game, and screenshots in both
colour schemes.

  browser_test.py --page kaland.html --native-build BUILD --axe AXE [--screenshots DIR]

BUILD is a native build folder with kaland, kaland-check and kaland-publish:
the console's output is the expected log, the checker's lines the expected
explanations. AXE is axe.min.js of axe-core, which the studio's build installs
from npm as its lockfile pins it. Without Chromium, chromedriver, selenium or
axe-core the tests are skipped (status 77), unless KALAND_REQUIRE_WEB_TESTS=1.
"""
import argparse
import json
import os
import re
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

# Keeps every refusal of the page's content policy from the start, before
# the page's own scripts run (installed with Page.addScriptToEvaluateOnNewDocument).
POLICY_RECORDER = """
window.policyRefusals = [];
document.addEventListener('securitypolicyviolation',
                          (event) => window.policyRefusals.push(event.violatedDirective + ' ' + event.blockedURI));
"""

# What a flaw elsewhere would try: a script element, an inline handler, and
# eval, Function and a string timer called from the page's own event loop
# (the browser lets code that WebDriver runs itself use eval).
INJECTIONS = """
window.injected = [];
const script = document.createElement('script');
script.textContent = 'window.injected.push("script")';
document.body.append(script);
const holder = document.createElement('div');
holder.innerHTML = '<img src="data:," onload="window.injected.push(1)" onerror="window.injected.push(2)">';
document.body.append(holder);
setTimeout(eval, 0, 'window.injected.push("eval")');
setTimeout(Function, 0, 'window.injected.push("Function")');
setTimeout('window.injected.push("timer")', 0);
"""


def record_policy_refusals(driver):
    """Records the content policy's refusals on every page opened from now
    on; returns what stops it."""
    script = driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": POLICY_RECORDER})
    return lambda: driver.execute_cdp_cmd("Page.removeScriptToEvaluateOnNewDocument",
                                          {"identifier": script["identifier"]})


def policy_refusals(driver):
    return driver.execute_script("return window.policyRefusals")


def injections_refused(test, driver):
    """Runs INJECTIONS and checks that none of them ran, each refused by the
    content policy."""
    from selenium.webdriver.support.ui import WebDriverWait
    before = len(policy_refusals(driver))
    driver.execute_script(INJECTIONS)
    WebDriverWait(driver, 10).until(lambda _: len(policy_refusals(driver)) >= before + 5, "the policy's refusals")
    refused = policy_refusals(driver)[before:]
    test.assertEqual([], driver.execute_script("return window.injected"))
    for directive in ("script-src-elem inline", "script-src-attr inline", "script-src eval"):
        test.assertIn(directive, refused)
    driver.get_log("browser")  # the refusals' messages, which the other tests must not see


def skip_or_fail(reason):
    if os.environ.get("KALAND_REQUIRE_WEB_TESTS") == "1":
        print(f"FAILED: {reason} (KALAND_REQUIRE_WEB_TESTS=1: the browser tests must run)")
        sys.exit(1)
    print(f"SKIPPED: {reason}")
    sys.exit(SKIP_STATUS)


def start_browser(user_data_dir, window_size="1000,760"):
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
                 "--disable-dev-shm-usage", f"--window-size={window_size}", f"--user-data-dir={user_data_dir}"):
        options.add_argument(flag)
    options.add_experimental_option("prefs", {"download.default_directory": os.path.join(user_data_dir, "downloads")})
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    driver = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
    driver.set_page_load_timeout(30)
    driver.set_script_timeout(30)
    return driver


def download_finished(path):
    """Chromium reserves a download's name with an empty file and writes the
    bytes to a .crdownload file beside it: done when that one is gone."""
    folder = os.path.dirname(path)
    return os.path.exists(path) and not any(name.endswith(".crdownload") for name in os.listdir(folder))


def console_output(map_path, input_bytes):
    """What the console program writes for the map and the input."""
    kaland = os.path.join(OPTIONS.native_build, "kaland")
    result = subprocess.run([kaland, map_path], input=input_bytes, capture_output=True, timeout=60)
    return result.stdout


def checker_explanation(map_path):
    """kaland-check's first error line for the map: (line, the text after
    the runner's quoted message)."""
    check = os.path.join(OPTIONS.native_build, "kaland-check")
    result = subprocess.run([check, map_path], capture_output=True, timeout=60)
    for line in result.stderr.decode().splitlines():
        found = re.match(r'[^:]*:(\d+): error: "[^"]*": (.*)$', line)
        if found:
            return int(found.group(1)), found.group(2)
    raise AssertionError(f"kaland-check gives no error line for {map_path}")


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
            not self.status().startswith("Opening") and "megnyitása" not in self.status(), f"{path} to open",
            timeout=30)

    def click(self, element_id):
        self.element(element_id).click()

    def status_text(self):
        """The whole status, with the words only screen readers get."""
        return self.element("status").get_attribute("textContent")

    def emulate_screen(self, width, height):
        DRIVER.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                               {"width": width, "height": height, "deviceScaleFactor": 1, "mobile": True})
        self.addCleanup(DRIVER.execute_cdp_cmd, "Emulation.clearDeviceMetricsOverride", {})

    def emulate_languages(self, accept_language):
        agent = DRIVER.execute_script("return navigator.userAgent")
        DRIVER.execute_cdp_cmd("Emulation.setUserAgentOverride", {"userAgent": agent, "acceptLanguage": accept_language})
        self.addCleanup(DRIVER.execute_cdp_cmd, "Emulation.setUserAgentOverride",
                        {"userAgent": agent, "acceptLanguage": "en-US,en"})

    def axe_violations(self):
        """axe-core's violations on the page as it stands: rule, impact, nodes."""
        with open(OPTIONS.axe, encoding="utf-8") as file:
            DRIVER.execute_script(file.read() + "\nwindow.axe = axe;")
        result = DRIVER.execute_async_script(
            "const done = arguments[arguments.length - 1];"
            "axe.run(document).then((found) => done(found.violations.map((violation) => "
            "[violation.id, violation.impact, violation.nodes.map((node) => node.target.join(' '))])));")
        return result

    def focused_id(self):
        return DRIVER.execute_script("return document.activeElement && document.activeElement.id")


class BundledPageTest(Player):
    """kaland.html with the bundled adventure, and maps opened in it."""
    page_url = None

    def setUp(self):
        self.open_page(self.page_url, fresh=True)

    # ---- the bundled adventure ----

    def test_the_content_policy_refuses_injected_script_and_eval(self):
        self.addCleanup(record_policy_refusals(DRIVER))
        self.open_page(self.page_url)
        self.type_lines(["n", "e"])
        self.assertEqual([], policy_refusals(DRIVER), "the page itself breaks its policy")
        injections_refused(self, DRIVER)
        self.assertTrue(self.type_line("w"), "the game plays on")
        # The console, at the end of its input, goes on to the exit prompt.
        played = console_output(os.path.join(SOURCE_DIR, "zelmor.map"), b"n\ne\nw\n").decode()
        self.assertEqual(played, self.log_output() + "Nyomj <Enter>-t a kilepeshez!")

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
        # Nothing was fetched: everything the page needs is in the file, and
        # the browser had nothing to complain about.
        self.assertEqual(0, DRIVER.execute_script("return performance.getEntriesByType('resource').length"))
        self.assertEqual([], [entry["message"] for entry in DRIVER.get_log("browser") if entry["level"] == "SEVERE"])

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
        # A screen reader hears where the player is back, not only what went.
        self.assertIn("THE MARKET SQUARE", self.status_text())
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

    def test_save_transcript_marks_typed_lines(self):
        self.type_lines(["n", "exit", ""])
        self.click("save")
        folder = os.path.join(OPTIONS.user_data_dir, "downloads")
        self.wait_for(lambda: download_finished(os.path.join(folder, "zelmor-transcript.txt")), "the download")
        with open(os.path.join(folder, "zelmor-transcript.txt"), encoding="utf-8") as file:
            saved = file.read()
        # The console's output, each typed line on a line of its own after "› ".
        output = self.log_output()
        first, rest = output.split("    [w] west to the fisherman's hut\n\n", 1)
        market, _ = rest.split("Nyomj <Enter>-t a kilepeshez!")
        self.assertEqual(f"{first}    [w] west to the fisherman's hut\n\n› n\n{market}› exit\n"
                         "Nyomj <Enter>-t a kilepeshez!\n›\n", saved)

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
        # Typed lines are part of what a screen reader reads back.
        hidden = DRIVER.execute_script(
            "return [...document.querySelectorAll('#log .input')].some((echo) => echo.closest('[aria-hidden]'))")
        self.assertFalse(hidden, "typed lines are hidden from screen readers")
        # Every piece of text is inside a landmark.
        outside = DRIVER.execute_script(
            "return [...document.querySelectorAll('body p, body label, body button')].filter((element) => "
            "!element.closest('header, main, nav, footer')).map((element) => element.id)")
        self.assertEqual([], outside)
        # The user's font size wins: sizes follow the root font size.
        DRIVER.execute_script("document.documentElement.style.fontSize = '32px'")
        self.assertEqual("32px", DRIVER.execute_script("return getComputedStyle(document.getElementById('log')).fontSize"))

    # ---- small screens, keyboard, feedback ----

    def first_new_room_line_in_view(self):
        """Whether the first line the last move showed (after the typed line
        and the blank line before a room) is inside the log's visible area
        and the window."""
        return DRIVER.execute_script("""
            const log = document.getElementById('log');
            const echoes = log.querySelectorAll('.input');
            const turn = echoes.length ? echoes[echoes.length - 1].parentNode : log.querySelector('.turn');
            const row = [...turn.querySelectorAll('.row')].find((row) => row.textContent.trim() !== '');
            if (!row) return 'no room shown';
            const box = log.getBoundingClientRect();
            const top = box.top + log.clientTop;
            const bottom = top + log.clientHeight;
            const line = row.getClientRects()[0];
            const seen = line.top >= top - 1 && line.bottom <= bottom + 1 && line.bottom <= innerHeight;
            return seen || `${row.textContent.trim()} at ${line.top}-${line.bottom}, log ${top}-${bottom}`;""")

    def test_small_screens_and_large_text_show_each_new_room(self):
        with open(os.path.join(SOURCE_DIR, "zelmor.walkthrough"), encoding="utf-8") as file:
            walkthrough = file.read().split("\n")[:-1]
        for width, height, font_size in ((375, 400, ""), (640, 380, ""), (1000, 760, "200%")):
            with self.subTest(width=width, height=height, font_size=font_size):
                self.open_page(self.page_url, fresh=True)
                self.emulate_screen(width, height)
                DRIVER.execute_script("document.documentElement.style.fontSize = arguments[0]", font_size)
                self.assertLessEqual(DRIVER.execute_script("return document.documentElement.scrollWidth"), width)
                for line in walkthrough[:-2]:
                    self.type_line(line)
                    # The echo can be in the log a moment before the room's rows.
                    self.wait_for(lambda: self.first_new_room_line_in_view() != "no room shown",
                                  f"the room after {line!r}")
                    self.assertIs(True, self.first_new_room_line_in_view(), f"after {line!r}")

    def test_the_log_scrolls_from_the_keyboard(self):
        self.emulate_screen(375, 400)
        self.type_lines(["n", "e", "f", "w"])
        from selenium.webdriver.common.keys import Keys
        log_top = "return document.getElementById('log').scrollTop"
        before = DRIVER.execute_script(log_top)
        self.element("line").send_keys(Keys.PAGE_UP)
        self.assertLess(DRIVER.execute_script(log_top), before)
        self.assertEqual("line", self.focused_id())
        self.element("line").send_keys(Keys.PAGE_DOWN)
        self.assertEqual(before, DRIVER.execute_script(log_top))
        # The log is in the tab order, so that it can be scrolled on its own.
        self.assertEqual(0, DRIVER.execute_script("return document.getElementById('log').tabIndex"))

    def test_a_click_in_the_log_keeps_the_next_key(self):
        from selenium.webdriver.common.action_chains import ActionChains
        self.click("log")
        ActionChains(DRIVER).send_keys("n").perform()
        self.assertEqual("line", self.focused_id())
        self.assertEqual("n", self.element("line").get_attribute("value"))

    def test_a_key_that_matches_nothing_is_answered_outside_the_log(self):
        start = self.log_output()
        for line, said in (("x", "Nothing here answers to “x”."), ("north", "Nothing here answers to “north”."),
                           ("", "Enter alone does nothing here.")):
            self.type_line(line)
            self.assertEqual(f"{said} Keys are single characters, named in the room’s text.",
                             self.status_text())
        self.assertEqual(start, self.log_output(), "the log stays as the console writes it")
        self.type_line("n")
        self.assertEqual("", self.status_text())

    def test_controls_stand_out_at_three_to_one(self):
        contrast = """
            const luminance = (colour) => {
              const [r, g, b] = colour.match(/[\\d.]+/g).slice(0, 3).map((part) => {
                const value = part / 255;
                return value <= 0.03928 ? value / 12.92 : ((value + 0.055) / 1.055) ** 2.4;
              });
              return 0.2126 * r + 0.7152 * g + 0.0722 * b;
            };
            const ratio = (a, b) => {
              const [light, dark] = [luminance(a), luminance(b)].sort((x, y) => y - x);
              return (light + 0.05) / (dark + 0.05);
            };
            const page = getComputedStyle(document.body).backgroundColor;
            return ['line', 'send', 'undo', 'restart', 'save', 'open-label'].map((id) => {
              const style = getComputedStyle(document.getElementById(id));
              return [id, Math.max(ratio(style.borderTopColor, page), ratio(style.backgroundColor, page))];
            });"""
        for scheme in ("light", "dark"):
            DRIVER.execute_cdp_cmd("Emulation.setEmulatedMedia",
                                   {"features": [{"name": "prefers-color-scheme", "value": scheme}]})
            self.addCleanup(DRIVER.execute_cdp_cmd, "Emulation.setEmulatedMedia", {"features": []})
            for control, ratio in DRIVER.execute_script(contrast):
                self.assertGreaterEqual(ratio, 3, f"{control} in the {scheme} theme")

    def test_axe_finds_nothing_in_either_theme_at_either_width(self):
        for played in (False, True):
            if played:
                self.type_lines(["n", "x", "e"])
            for width in (1280, 375):
                self.emulate_screen(width, 760 if width > 1000 else 640)
                for scheme in ("light", "dark"):
                    DRIVER.execute_cdp_cmd("Emulation.setEmulatedMedia",
                                           {"features": [{"name": "prefers-color-scheme", "value": scheme}]})
                    with self.subTest(played=played, width=width, scheme=scheme):
                        self.assertEqual([], self.axe_violations())
        DRIVER.execute_cdp_cmd("Emulation.setEmulatedMedia", {"features": []})

    def test_reading_a_map_in_a_narrow_log(self):
        lead = "      "
        text = lead + "A long line of a map written for an eighty-column console, far wider than a phone."
        path = write_file("wide.map", f"#helyiseg 1\n{text}\n#gameover\n".encode())
        self.open_map_file(path)
        self.emulate_screen(375, 640)
        wrapped = DRIVER.execute_script("""
            const row = [...document.querySelectorAll('#log .row')].find((row) => row.textContent.includes('eighty'));
            const text = row.firstChild;
            const first = document.createRange();
            const start = text.data.search(/\\S/);
            first.setStart(text, start);
            first.setEnd(text, start + 1);
            const whole = document.createRange();
            whole.selectNodeContents(text);
            const starts = new Map();
            for (const box of whole.getClientRects()) {
              starts.set(Math.round(box.top), Math.min(starts.get(Math.round(box.top)) ?? Infinity, box.left));
            }
            const lines = [...starts.values()];
            return {lines: lines.length, textLeft: first.getBoundingClientRect().left, continuations: lines.slice(1)};""")
        self.assertGreater(wrapped["lines"], 1)
        for left in wrapped["continuations"]:
            self.assertGreater(left, wrapped["textLeft"], "a continuation line starts left of its line's text")
        # The heading that only repeats the room's first line is not shown.
        heading = self.element("kaland-title")
        self.assertEqual(text.strip(), heading.get_attribute("textContent"))
        self.assertLessEqual(heading.size["height"], 1)

    def test_the_exit_prompt_and_a_new_map_start_clean(self):
        self.type_lines(["n", "exit", ""])
        # Enter at the exit prompt shows on a line of its own.
        rows = DRIVER.execute_script("""
            const echoes = document.querySelectorAll('#log .input');
            const echo = echoes[echoes.length - 1];
            const prompt = [...document.querySelectorAll('#log .row')].find((row) => row.textContent.startsWith('Nyomj'));
            return [prompt.getBoundingClientRect().bottom, echo.getBoundingClientRect().top,
                    getComputedStyle(echo, '::before').content];""")
        self.assertLessEqual(rows[0], rows[1])
        self.assertIn("↵", rows[2])
        # Text left in the field after the ending does not reach the next map.
        self.element("line").send_keys("zzz")
        self.open_map_file(write_file("next.map", b"#helyiseg 1\nNext.\n#gameover\n"))
        self.assertEqual("", self.element("line").get_attribute("value"))
        # The page says how to play, in a line of its own.
        self.assertIn("press Enter", self.element("how-to").text)

    def test_a_long_game_plays_on_and_undoes_only_its_last_line(self):
        ring = "".join(f"#helyiseg {room}\nHall {room}.\n    [n] on\n#irany N {room % 9 + 1} n\n" for room in range(1, 10))
        path = write_file("ring.map", ring.encode())
        self.open_map_file(path)
        self.type_line("n")
        DRIVER.execute_script("""
            for (let i = 0; i < localStorage.length; ++i) {
              const key = localStorage.key(i);
              if (JSON.parse(localStorage.getItem(key)).lines.join() === 'n') {
                localStorage.setItem(key, JSON.stringify({lines: new Array(2000).fill('n')}));
              }
            }""")
        self.open_map_file(path)
        self.assertEqual(2000, len(self.echoes()))
        self.type_lines(["n", "x"])
        self.click("undo")
        self.wait_for(lambda: len(self.echoes()) == 2001, "undo")
        expected = console_output(path, b"n\n" * 2001).decode()
        self.assertEqual(expected, self.log_output() + "Nyomj <Enter>-t a kilepeshez!")

    # ---- the page's words ----

    def test_words_and_languages(self):
        self.assertEqual("en", DRIVER.execute_script("return document.documentElement.lang"))
        self.type_lines(["n", "exit"])
        marks = DRIVER.execute_script("""
            return {log: document.getElementById('transcript').getAttribute('lang'),
                    prompt: [...document.querySelectorAll('#log .row')].find((row) =>
                        row.textContent.startsWith('Nyomj')).lang};""")
        # The game's text is the author's, in a language the map does not name;
        # the runner's own words are Hungarian.
        self.assertEqual({"log": "", "prompt": "hu"}, marks)
        # A map that names its language: Hungarian words for Hungarian,
        # English for any other.
        found = """return [document.documentElement.lang, document.getElementById('undo').textContent,
                           document.getElementById('transcript').lang];"""
        self.open_map_file(write_file("hu.map", b"#lang hu\n#helyiseg 1\nItt.\n#gameover\n"))
        self.assertEqual(["hu", "Vissza", "hu"], DRIVER.execute_script(found))
        self.open_map_file(write_file("de.map", b"#lang de-AT\n#helyiseg 1\nHier.\n#gameover\n"))
        self.assertEqual(["en", "Undo", "de-AT"], DRIVER.execute_script(found))
        self.emulate_languages("hu-HU,hu,en")
        self.open_page(self.page_url, fresh=True)
        found = DRIVER.execute_script("""
            return [document.documentElement.lang, document.getElementById('undo').textContent,
                    document.getElementById('line-label').textContent, document.getElementById('how-to').textContent];""")
        self.assertEqual(["hu", "Vissza", "Parancsod"], found[:3])
        self.assertIn("Entert", found[3])
        self.assertEqual(["Mentés másként…", "Mentés importálása", "Mentések", "Kijáratok", "Billentyűgombok"],
                         DRIVER.execute_script("""
            return [document.getElementById('save-as').textContent,
                    document.getElementById('import-save').getAttribute('aria-label'),
                    document.getElementById('saves').getAttribute('aria-label'),
                    document.getElementById('exits').getAttribute('aria-label'),
                    document.getElementById('key-buttons-label').textContent];"""))
        self.type_line("x")
        self.assertIn("Itt semmi sem felel erre: „x”.", self.status_text())
        refused = write_file("tizirany.map", open(os.path.join(SOURCE_DIR, "tests", "check", "cases", "error_ten_exits", "map"),
                                                  "rb").read())
        self.open_map_file(refused)
        line, explanation = checker_explanation(refused)
        self.assertIn(f"A térkép {line}. sora: {explanation}.", self.status_text())
        self.assertEqual(["hu", "en"], DRIVER.execute_script(
            "return [...document.querySelectorAll('#status span')].map((span) => span.lang)"))

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

    def test_a_refused_or_unreadable_file_leaves_the_game_as_it_was(self):
        self.type_lines(["n", "e", "x"])
        before = DRIVER.execute_script("return document.getElementById('log').innerHTML")
        title = self.element("kaland-title").get_attribute("textContent")
        refused = write_file("refused.map", b"#helyiseg 1\nOne.\n#irany N\n")
        self.open_map_file(refused)
        runner = console_output(refused, b"").decode().strip()
        line, explanation = checker_explanation(refused)
        self.assertTrue(runner.startswith("Error: "))
        # The runner's Hungarian message, and the checker's plain words for it.
        self.assertEqual(f"refused.map cannot be played. The runner refuses it with “{runner}”. "
                         f"Line {line}: {explanation}. The game before goes on.", self.status_text())
        self.assertEqual([["hu", f"“{runner}”."], ["en", f"{explanation}."]], DRIVER.execute_script(
            "return [...document.querySelectorAll('#status span')].map((span) => [span.lang, span.textContent])"))
        unreadable = """
            const file = new File(['#helyiseg 1\\nGone.\\n'], 'gone.map');
            file.arrayBuffer = () => Promise.reject(new Error('gone'));
            const transfer = new DataTransfer();
            transfer.items.add(file);
            Object.defineProperty(transfer, 'files', {value: [file]});
            document.dispatchEvent(new DragEvent('drop', {dataTransfer: transfer, bubbles: true}));"""
        DRIVER.execute_script(unreadable)
        self.wait_for(lambda: "could not be read" in self.status(), "the unreadable file")
        self.assertIn("The game before goes on.", self.status())
        # Log, heading, undo and controls are as before, and the game goes on.
        self.assertEqual(before, DRIVER.execute_script("return document.getElementById('log').innerHTML"))
        self.assertEqual(title, self.element("kaland-title").get_attribute("textContent"))
        self.assertTrue(self.element("undo").is_enabled())
        self.assertEqual("Restart", self.element("restart").text)
        self.assertTrue(self.type_line("f"))
        self.assertEqual(["n\n", "e\n", "x\n", "f\n"], self.echoes())

    def test_a_game_stopped_by_the_map_is_explained(self):
        path = write_file("missing.map", b"#helyiseg 1\nOne.\n#irany N 7 g\n#helyiseg 2\nTwo.\n#gameover\n")
        self.open_map_file(path)
        self.type_line("g")
        self.assertEqual(console_output(path, b"g\n").decode(), self.log_output())
        # The runner's own words in the log are marked Hungarian.
        self.assertEqual(["hu"], DRIVER.execute_script(
            "return [...document.querySelectorAll('#log .row')].filter((row) => row.textContent.startsWith('Error: '))"
            ".map((row) => row.lang)"))
        self.assertIn("The map stopped the game. Line 3: exit to room 7, but the highest room is 2", self.status_text())
        self.assertEqual("Play again", self.element("restart").text)

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
        # Save keys: the lines as the game read them, a script that plays the same.
        self.click("save-keys")
        keys = os.path.join(OPTIONS.user_data_dir, "downloads", "legacy.keys")
        self.wait_for(lambda: download_finished(keys), "the download")
        with open(keys, "rb") as file:
            self.assertEqual("á\n".encode("cp1250"), file.read())

    # ---- saves and key buttons ----

    def saves(self):
        """The items of the list labelled Saves: [name, facts]."""
        return DRIVER.execute_script(
            "return [...document.querySelector('ul[aria-label=\"Saves\"]').children].map((item) => "
            "[item.querySelector('.save-name').textContent, item.querySelector('.save-facts').textContent])")

    def click_in_save(self, name, button):
        from selenium.webdriver.common.by import By
        item = [element for element in DRIVER.find_elements(By.CSS_SELECTOR, "#saves li")
                if element.find_element(By.CSS_SELECTOR, ".save-name").text == name][0]
        [element for element in item.find_elements(By.TAG_NAME, "button") if element.text == button][0].click()

    def test_named_saves_restore_delete_and_undo(self):
        from selenium.webdriver.common.keys import Keys
        self.type_lines(["n", "e"])
        self.click("save-as")
        self.assertEqual("save-name", self.focused_id())
        self.assertIn("THE BELL TOWER", self.element("save-name").get_attribute("value"))
        self.element("save-name").clear()
        self.element("save-name").send_keys("In the tower", Keys.ENTER)
        self.wait_for(lambda: len(self.saves()) == 1, "the save")
        self.assertEqual("In the tower", self.saves()[0][0])
        self.assertIn("THE BELL TOWER", self.saves()[0][1])
        # The list and the key buttons on show, axe finds nothing either.
        self.click("key-buttons")
        self.assertEqual([], self.axe_violations())
        self.click("key-buttons")
        in_tower = self.log_output()
        self.type_lines(["f", ""])
        later = self.log_output()
        self.click_in_save("In the tower", "Restore")
        self.wait_for(lambda: len(self.echoes()) == 2, "the restore")
        self.assertEqual(in_tower, self.log_output())
        self.assertEqual(console_output(os.path.join(SOURCE_DIR, "zelmor.map"), b"n\ne\n").decode(),
                         self.log_output() + "Nyomj <Enter>-t a kilepeshez!")
        self.assertIn("Restored “In the tower”.", self.status())
        self.assertEqual("line", self.focused_id())
        # The game the restore replaced comes back with the saves' Undo.
        self.click("saves-undo-button")
        self.wait_for(lambda: len(self.echoes()) == 4, "the game before the restore")
        self.assertEqual(later, self.log_output())
        # Deleted, and brought back by Undo; the list outlives a reload.
        self.click_in_save("In the tower", "Delete")
        self.wait_for(lambda: self.saves() == [], "the delete")
        self.assertEqual("Undo", self.element(self.focused_id()).text)
        self.click("saves-undo-button")
        self.wait_for(lambda: len(self.saves()) == 1, "the undo")
        self.open_page(self.page_url)
        self.wait_for(lambda: [name for name, _ in self.saves()] == ["In the tower"], "the saves after a reload")

    def test_a_long_save_restored_over_a_new_game(self):
        ring = "".join(f"#helyiseg {room}\nHall {room}.\n    [n] on\n#irany N {room % 9 + 1} n\n" for room in range(1, 10))
        path = write_file("ring.map", ring.encode())
        self.open_map_file(path)
        self.type_line("n")
        DRIVER.execute_script("""
            for (let i = 0; i < localStorage.length; ++i) {
              const key = localStorage.key(i);
              if (key.startsWith('kaland:game:')) localStorage.setItem(key, JSON.stringify({lines: new Array(150).fill('n')}));
            }""")
        self.open_map_file(path)
        self.assertEqual(150, len(self.echoes()))
        log = self.log_output()
        self.click("save-as")
        self.element("save-name").send_keys("\n")
        self.wait_for(lambda: len(self.saves()) == 1, "the save")
        self.click("restart")
        self.wait_for(lambda: len(self.echoes()) == 0, "the restart")
        self.click_in_save(self.saves()[0][0], "Restore")
        self.wait_for(lambda: len(self.echoes()) == 150, "the restore")
        self.assertEqual(log, self.log_output())
        self.assertEqual(console_output(path, b"n\n" * 150).decode(), log + "Nyomj <Enter>-t a kilepeshez!")
        # The first turns, far out of view, get a row per line once they come near it.
        self.assertEqual(1, DRIVER.execute_script("return document.querySelector('#log .turn').querySelectorAll('.row').length"))
        DRIVER.execute_script("document.getElementById('log').scrollTop = 0")
        self.wait_for(lambda: DRIVER.execute_script(
            "return document.querySelector('#log .turn').querySelectorAll('.row').length") == 4, "the first rows")

    def export_save(self, name):
        self.click("export-save")
        path = os.path.join(OPTIONS.user_data_dir, "downloads", name)
        self.wait_for(lambda: download_finished(path), "the export")
        with open(path, "rb") as file:
            data = file.read()
        os.remove(path)
        return path, data

    def test_export_then_import_in_a_fresh_profile(self):
        global DRIVER
        lines = ["n", "e", "f"]  # the last moves into a scene that waits for Enter
        self.type_lines(lines)
        log = DRIVER.execute_script("return document.getElementById('log').textContent")
        path, save = self.export_save("zelmor-save.keys")
        # The console program plays the save to the same point as the lines.
        zelmor = os.path.join(SOURCE_DIR, "zelmor.map")
        self.assertEqual(console_output(zelmor, "".join(f"{line}\n" for line in lines).encode()),
                         console_output(zelmor, save))
        path = write_file("carried.keys", save)
        first, DRIVER = DRIVER, start_browser(os.path.join(SCRATCH, "fresh-profile"))
        try:
            self.open_page(self.page_url)
            self.element("import-save").send_keys(path)
            self.wait_for(lambda: len(self.echoes()) == 3, "the import")
            self.assertEqual(log, DRIVER.execute_script("return document.getElementById('log').textContent"))
            self.assertIn("Restored carried.keys: 3 lines.", self.status())
            self.assertEqual("Import save", self.element("import-save").get_attribute("aria-label"))
        finally:
            DRIVER.quit()
            DRIVER = first

    def test_a_save_for_an_edited_map_stops_where_it_should(self):
        original = b"#helyiseg 1\nHall. [n] north\n#irany N 2 n\n#helyiseg 2\nYard. [w] well\n#irany N 3 w\n" \
                   b"#helyiseg 3\nWell. [u] up\n#irany N 1 u\n"
        self.open_map_file(write_file("yard.map", original))
        self.type_lines(["n", "w", "u"])
        _, save = self.export_save("yard-save.keys")
        edited = write_file("yard.map", original.replace(b"#irany N 3 w", b"#irany N 1 w"))
        self.open_map_file(edited)
        self.element("import-save").send_keys(write_file("yard-save.keys", save))
        self.wait_for(lambda: "Restored" in self.status(), "the import")
        self.assertEqual(["n\n"], self.echoes())
        self.assertEqual(console_output(edited, b"n\n").decode(), self.log_output() + "Nyomj <Enter>-t a kilepeshez!")
        self.assertEqual("This save was made for another map, or another version of this one. Restored the first 1 "
                         "of its 3 lines: line 2 (“w”) no longer leads where it led when the game was saved. "
                         "You are at: Yard. [w] well", self.status())

    def test_touch_plays_the_walkthrough_by_buttons_alone(self):
        DRIVER.execute_cdp_cmd("Emulation.setTouchEmulationEnabled", {"enabled": True, "maxTouchPoints": 5})
        self.addCleanup(DRIVER.execute_cdp_cmd, "Emulation.setTouchEmulationEnabled", {"enabled": False})
        self.emulate_screen(375, 400)
        self.open_page(self.page_url, fresh=True)
        self.assertTrue(self.element("key-buttons").is_selected(), "key buttons are on by a touch screen's default")
        with open(os.path.join(SOURCE_DIR, "zelmor.walkthrough"), "rb") as file:
            walkthrough = file.read()
        buttons = """
            const group = document.querySelector('[role=group][aria-label=Exits]');
            return [...group.querySelectorAll('button')].map((button) => {
              const box = button.getBoundingClientRect();
              return [button.textContent, Math.min(box.width, box.height), button.disabled];
            });"""
        room_text = """
            const turns = document.querySelectorAll('#log .turn');
            return [...turns[turns.length - 1].querySelectorAll('.row')].map((row) => row.textContent).join('');"""
        for line in walkthrough.decode().split("\n")[:-1]:
            shown = DRIVER.execute_script(buttons)
            self.assertEqual("Undo", shown[-1][0])
            for text, size, _ in shown:
                self.assertGreaterEqual(size, 44, text)
            text = DRIVER.execute_script(room_text)
            for label, _, _ in shown[:-1]:
                if label != "Enter":
                    # "n north to the market square": the key, then the words of the line that names it.
                    self.assertIn(f"[{label[0]}] {label[2:]}", text)
            wanted = "Enter" if line == "" else line + " "
            before = len(self.echoes())
            from selenium.webdriver.common.by import By
            [button for button in DRIVER.find_elements(By.CSS_SELECTOR, "#exits button")
             if button.text == wanted or (wanted != "Enter" and button.text.startswith(wanted))][0].click()
            self.wait_for(lambda: len(self.echoes()) > before, f"the button for {line!r}")
            self.assertNotEqual("line", self.focused_id(), "the command field took the focus")
            self.assertIn(self.first_new_room_line_in_view(), (True, "no room shown"), f"after {line!r}")
        self.assertEqual(console_output(os.path.join(SOURCE_DIR, "zelmor.map"), walkthrough).decode(), self.log_output())
        # The setting is remembered: off, it stays off on the next visit.
        self.click("key-buttons")
        self.open_page(self.page_url)
        self.assertFalse(self.element("key-buttons").is_selected())
        self.assertFalse(self.element("exits").is_displayed())

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

    def test_the_first_room_shows_before_the_engine_and_once(self):
        url = self.publish(os.path.join(SOURCE_DIR, "zelmor.map"))
        first_room = console_output(os.path.join(SOURCE_DIR, "zelmor.map"), b"").decode()
        first_room = first_room[:first_room.index("Nyomj")]
        # Without WebAssembly no engine ever comes, yet the first room is there.
        DRIVER.get(url)
        DRIVER.execute_script("localStorage.clear()")
        script = DRIVER.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": "delete window.WebAssembly;"})
        try:
            DRIVER.get(url)
            self.wait_for(lambda: self.status() != "", "the page's message")
            self.assertEqual(first_room, self.log_output())
        finally:
            DRIVER.execute_cdp_cmd("Page.removeScriptToEvaluateOnNewDocument", {"identifier": script["identifier"]})
        # With the engine, the rows shown first stay: the log gets one turn, once.
        counting = DRIVER.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": """
            window.turnsAdded = 0;
            new MutationObserver((records) => records.forEach((record) => record.addedNodes.forEach((node) => {
              if (node.nodeType === 1 && node.closest('#transcript')) window.turnsAdded += node.querySelectorAll('.turn').length +
                  (node.classList.contains('turn') ? 1 : 0);
            }))).observe(document, {childList: true, subtree: true});"""})
        try:
            self.open_page(url, fresh=True)
            self.assertEqual(first_room, self.log_output())
            self.assertEqual(1, DRIVER.execute_script("return window.turnsAdded"))
            self.assertTrue(self.type_line("n"))
        finally:
            DRIVER.execute_cdp_cmd("Page.removeScriptToEvaluateOnNewDocument", {"identifier": counting["identifier"]})

    def test_a_published_map_in_hungarian_speaks_hungarian_from_the_start(self):
        path = write_file("magyar.map", "#lang hu\n#helyiseg 1\nA kapu előtt állsz.\n#gameover\n".encode())
        url = self.publish(path)
        with open(url[len("file://"):], encoding="utf-8") as file:
            self.assertIn('<html lang="hu">', file.read())
        words = """return [document.documentElement.lang, document.getElementById('undo').textContent,
                           document.getElementById('transcript').getAttribute('lang'),
                           document.getElementById('status').textContent];"""
        # Before the engine is up (here it never is): the page's words.
        script = DRIVER.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": "delete window.WebAssembly;"})
        try:
            DRIVER.get(url)
            self.wait_for(lambda: DRIVER.execute_script(words)[3] != "", "the page's message")
            self.assertEqual(["hu", "Vissza", None, "Ez a böngésző nem tudja futtatni a játékmotort (WebAssembly kell hozzá)."],
                             DRIVER.execute_script(words))
        finally:
            DRIVER.execute_cdp_cmd("Page.removeScriptToEvaluateOnNewDocument", {"identifier": script["identifier"]})
        self.open_page(url, fresh=True)
        self.assertEqual(["hu", "Vissza", "hu"], DRIVER.execute_script(words)[:3])

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

    def test_a_published_page_keeps_the_content_policy(self):
        path = write_file("policy.map", "#title <b>Policy</b>\n#author \x1b[31mAnna\n#blurb A\tB\n"
                          "#helyiseg 1\nA [l]amp.\n#irany N 2 l\n#helyiseg 2\nLit.\n#gameover\n".encode())
        url = self.publish(path)
        with open(url[len("file://"):], encoding="utf-8") as published, open(OPTIONS.page, encoding="utf-8") as page:
            policy = re.compile(r'<meta http-equiv="Content-Security-Policy" content="[^"]*">')
            self.assertEqual(policy.search(page.read()).group(0), policy.search(published.read()).group(0))
        self.addCleanup(record_policy_refusals(DRIVER))
        self.open_page(url, fresh=True)
        self.assertEqual("\ufffd[31mAnna", self.element("kaland-author").text)
        self.type_lines(["l", ""])
        self.assertEqual(console_output(path, b"l\n\n").decode(), self.log_output())
        self.assertEqual([], policy_refusals(DRIVER))
        injections_refused(self, DRIVER)

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
    parser.add_argument("--axe", required=True)
    parser.add_argument("--screenshots")
    OPTIONS, rest = parser.parse_known_args()
    OPTIONS.page = os.path.abspath(OPTIONS.page)
    OPTIONS.native_build = os.path.abspath(OPTIONS.native_build)
    for tool in ("kaland", "kaland-check", "kaland-publish"):
        if not os.access(os.path.join(OPTIONS.native_build, tool), os.X_OK):
            skip_or_fail(f"no native {tool} in {OPTIONS.native_build} to compare with")
    if not os.path.exists(OPTIONS.axe):
        skip_or_fail(f"axe-core is not installed ({OPTIONS.axe})")
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
