#!/usr/bin/env python3
"""kaland-studio.html in headless Chromium, used as an author would: every
checker case's Problems against kaland-check, the walkthrough against the
console, edits replayed, a broken typed line reported, the picture, its zoom
and its clicks, routes against --routes, blessed transcripts against --bless
and --expect, random games against --random, Publish against kaland-publish,
the author's maps kept whole through New map, Open, reload, Rename, Delete
and Undo delete and storage that refuses them, the template game, the
studio's Hungarian, the content policy (injected script and eval refused),
and axe-core in both colour schemes at desktop and phone widths.

  studio_test.py --studio kaland-studio.html --page kaland.html --native-build BUILD --axe axe.min.js

BUILD is a native build folder with kaland, kaland-check and kaland-publish.
Without Chromium, chromedriver or selenium the tests are skipped (status
77), unless KALAND_REQUIRE_WEB_TESTS=1."""
import argparse
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

from browser_test import (LOG_OUTPUT, SOURCE_DIR, download_finished, injections_refused, policy_refusals,
                          record_policy_refusals, skip_or_fail, start_browser)

OPTIONS = None
DRIVER = None
SCRATCH = None
CASES = os.path.join(SOURCE_DIR, "tests", "check", "cases")

TEXTS = "return [...document.querySelectorAll(arguments[0])].map((element) => element.textContent)"

# Forgets everything the studio keeps in the browser.
FORGET = """
const done = arguments[arguments.length - 1];
localStorage.clear();
const request = indexedDB.deleteDatabase('kaland-studio');
request.onsuccess = request.onerror = () => done();
"""

# What the studio keeps of each map: [{name, bytes, lines, scripts, blessed}].
KEPT_MAPS = """
const done = arguments[arguments.length - 1];
const request = indexedDB.open('kaland-studio');
request.onerror = () => done([]);
request.onsuccess = async () => {
  const database = request.result;
  const all = (store) => new Promise((resolve) => {
    const read = database.transaction(store).objectStore(store).getAll();
    read.onsuccess = () => resolve(read.result);
  });
  const [maps, works] = database.objectStoreNames.length ? await Promise.all([all('maps'), all('work')]) : [[], []];
  const kept = [];
  for (const map of maps) {
    const work = works.find((candidate) => candidate.id === map.id);
    const pieces = await Promise.all(work.pieces.map((number) => new Promise((resolve) => {
      const read = database.transaction('pieces').objectStore('pieces').get([map.id, number]);
      read.onsuccess = () => resolve(read.result);
    })));
    kept.push({name: map.name, bytes: pieces.flatMap((piece) => Array.from(piece)), lines: work.lines,
               scripts: work.scripts.map((script) => script.name),
               blessed: work.scripts.filter((script) => script.expected).map((script) => script.name)});
  }
  database.close();
  done(kept);
};
"""


def start_studio_browser(profile):
    driver = start_browser(profile, "1280,900")
    driver.set_script_timeout(60)
    return driver


def run(program, *arguments, stdin=b"", cwd=SOURCE_DIR):
    return subprocess.run([os.path.join(OPTIONS.native_build, program), *arguments], input=stdin,
                          capture_output=True, cwd=cwd, timeout=20)


def as_shown(data):
    """Bytes as the studio shows them: UTF-8 when valid, else windows-1250
    (whose five unassigned bytes keep their own code point)."""
    try:
        return data.decode("utf-8")
    except UnicodeDecodeError:
        return "".join(bytes([byte]).decode("cp1250", errors="ignore") or chr(byte) for byte in data)


class StudioTest(unittest.TestCase):
    def setUp(self):
        DRIVER.set_window_size(1280, 900)
        # From another page, which keeps no maps open.
        DRIVER.get(OPTIONS.blank_url)
        DRIVER.execute_async_script(FORGET)
        self.reload()

    def reload(self):
        DRIVER.get(OPTIONS.url)
        self.wait_for(lambda: DRIVER.execute_script("return document.body.dataset.ready === 'true'"), "the studio")

    def kept_maps(self):
        return DRIVER.execute_async_script(KEPT_MAPS)

    def wait_for(self, condition, what, timeout=20):
        from selenium.webdriver.support.ui import WebDriverWait
        WebDriverWait(DRIVER, timeout).until(lambda _: condition(), f"timed out waiting for {what}")

    def find(self, selector):
        from selenium.webdriver.common.by import By
        return DRIVER.find_element(By.CSS_SELECTOR, selector)

    def texts(self, selector):
        return DRIVER.execute_script(TEXTS, selector)

    def status(self):
        return self.find("#status").text

    def open_map(self, path):
        DRIVER.execute_script("document.getElementById('status').textContent = ''")
        self.find("#open-map").send_keys(path)
        self.wait_for(lambda: self.status().startswith("Opened"), f"{path} to open")

    def type_lines(self, lines):
        from selenium.webdriver.common.keys import Keys
        for line in lines:
            before = len(self.texts("#log .input"))
            self.find("#line").send_keys(line + Keys.ENTER)
            self.wait_for(lambda: len(self.texts("#log .input")) > before, f"the line {line!r}")

    def edit_line(self, number, keys):
        """Puts the cursor at the end of line `number` and types `keys`."""
        from selenium.webdriver.common.keys import Keys
        self.find(".cm-content").click()
        self.find(".cm-content").send_keys(Keys.CONTROL, Keys.HOME)
        self.find(".cm-content").send_keys(*([Keys.DOWN] * (number - 1)), Keys.END, *keys)

    def cursor_line(self):
        return int(self.find(".cm-activeLineGutter").text)

    def wait_for_picture(self):
        self.wait_for(lambda: DRIVER.execute_script("return !!document.querySelector('#picture svg')"), "the picture")

    # ---- checking ----

    def test_problems_equal_kaland_check_for_every_case(self):
        cases = sorted(name for name in os.listdir(CASES) if os.path.isfile(os.path.join(CASES, name, "map")))
        for case in cases:
            with self.subTest(case=case):
                folder = os.path.join(CASES, case)
                lines = as_shown(run("kaland-check", "map", cwd=folder).stderr).splitlines()
                self.open_map(os.path.join(folder, "map"))
                self.assertEqual(lines[:-1], self.texts("#problems li"))
                self.assertEqual(f"({lines[-1]})", self.find("#problem-summary").text)

    def test_lines_are_coloured_as_the_loader_reads_them(self):
        spans = DRIVER.execute_script(
            "return [...document.querySelectorAll('.cm-line')[13].querySelectorAll('span')]"
            ".map((span) => [span.className, span.textContent])")
        self.assertEqual([["tok-keyword", "#irany"], ["tok-kind-letter", "N"], ["tok-room-number", "2"],
                          ["tok-key", "n"]], spans)

    def test_a_windows_1250_map_with_cr_lf_is_saved_in_its_own_bytes_and_kept(self):
        data = "#helyiseg 1\r\nKastély ő\r\n#gameover\r\n".encode("cp1250")
        path = os.path.join(SCRATCH, "kastely.map")
        with open(path, "wb") as file:
            file.write(data)
        self.open_map(path)
        self.assertEqual("Kastély ő", self.texts(".cm-line")[1])
        self.find("#save-map").click()
        self.assertEqual(data, self.downloaded("kastely.map"))
        self.wait_for(lambda: any(bytes(kept["bytes"]) == data for kept in self.kept_maps()), "the work to be kept")
        DRIVER.refresh()
        self.wait_for(lambda: self.texts(".cm-line")[1:2] == ["Kastély ő"], "the work to come back")

    # ---- the author's maps ----

    def map_names(self):
        return self.texts("#map-list li")

    def switch_to(self, name):
        from selenium.webdriver.common.by import By
        DRIVER.find_element(By.XPATH, f"//ul[@aria-label='Your maps']//button[text()='{name}']").click()
        self.wait_for(lambda: self.find("#map-name").text == f"— {name}", f"{name} on the page")

    def test_every_map_is_kept_whole_through_new_open_reload_rename_and_delete(self):
        from selenium.webdriver.common.keys import Keys
        self.type_lines(["n"])
        self.find("#bless-typed").click()
        self.find("#new-map").click()
        self.wait_for(lambda: self.map_names() == ["zelmor.map", "untitled.map"], "the new map")
        self.edit_line(6, " NEW")
        castle = os.path.join(SCRATCH, "castle.map")
        shutil.copy(os.path.join(SOURCE_DIR, "docs", "examples", "castle.map"), castle)
        self.open_map(castle)
        self.edit_line(2, " EDITED")
        DRIVER.refresh()  # at once: the page is left within the pause before the work is written
        self.wait_for(lambda: DRIVER.execute_script("return document.body.dataset.ready === 'true'"), "the studio")
        self.assertEqual(["zelmor.map", "untitled.map", "castle.map"], self.map_names())
        self.assertTrue(self.texts(".cm-line")[1].endswith(" EDITED"))
        self.switch_to("zelmor.map")
        self.assertEqual(["n\n"], self.texts("#log .input"))
        self.assertEqual(["Plays as expected."], self.texts("#scripts .same"))
        self.switch_to("untitled.map")
        self.assertTrue(self.texts(".cm-line")[5].endswith(" NEW"))
        self.find("#rename-map").click()
        DRIVER.switch_to.active_element.send_keys("harbour" + Keys.ENTER)
        self.wait_for(lambda: "harbour.map" in self.map_names(), "the new name")
        self.find("#delete-map").click()
        self.wait_for(lambda: self.map_names() == ["zelmor.map", "castle.map"], "the delete")
        self.find("#undo-delete").click()
        self.wait_for(lambda: "harbour.map" in self.map_names(), "the map back")
        self.assertTrue(self.texts(".cm-line")[5].endswith(" NEW"))
        self.reload()
        self.assertEqual(["zelmor.map", "castle.map", "harbour.map"], sorted(self.map_names(), key=len))
        kept = {map["name"]: map for map in self.kept_maps()}
        self.assertEqual([list(b"n")], kept["zelmor.map"]["lines"])
        self.assertEqual(["zelmor.keys"], kept["zelmor.map"]["blessed"])
        self.assertIn(b" EDITED\n", bytes(kept["castle.map"]["bytes"]))
        self.assertIn(b" NEW\n", bytes(kept["harbour.map"]["bytes"]))

    def test_reopening_a_file_brings_back_its_scripts(self):
        mine = os.path.join(SOURCE_DIR, "docs", "examples", "mine.map")
        self.open_map(mine)
        self.type_lines(["d"])
        self.find("#bless-typed").click()
        self.switch_to("zelmor.map")
        self.open_map(mine)
        self.assertEqual(["zelmor.map", "mine.map"], self.map_names())
        self.assertEqual(["d\n"], self.texts("#log .input"))
        self.assertEqual(["Plays as expected."], self.texts("#scripts .same"))

    def test_a_picture_or_a_program_is_not_opened(self):
        for name, data in (("lamp.png", b"\x89PNG\r\n\x1a\n" + bytes(64)), ("kaland.map", bytes(range(256)) * 4)):
            path = os.path.join(SCRATCH, name)
            with open(path, "wb") as file:
                file.write(data)
            self.find("#open-map").send_keys(path)
            self.wait_for(lambda: "is not a map" in self.status(), f"{name} refused")
        self.assertEqual(["zelmor.map"], self.map_names())

    def test_refused_storage_is_said_and_the_work_stays_on_the_page(self):
        refusal = DRIVER.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": """
            for (const method of ['add', 'put']) {
              IDBObjectStore.prototype[method] = () => { throw new DOMException('full', 'QuotaExceededError'); };
            }"""})
        try:
            self.reload()
            self.type_lines(["n"])
            self.wait_for(lambda: "no room left" in self.find("#storage-note").text, "the storage to be said full")
            self.find("#new-map").click()
            self.wait_for(lambda: len(self.map_names()) == 2, "the new map")
            self.switch_to("zelmor.map")
            self.assertEqual(["n\n"], self.texts("#log .input"))
        finally:
            DRIVER.execute_cdp_cmd("Page.removeScriptToEvaluateOnNewDocument", {"identifier": refusal["identifier"]})

    def test_writing_before_the_maps_are_read_is_kept_as_a_map(self):
        from selenium.webdriver.common.keys import Keys
        self.open_map(os.path.join(SOURCE_DIR, "docs", "examples", "mine.map"))
        slow = DRIVER.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": """
            const open = IDBFactory.prototype.open;
            IDBFactory.prototype.open = function (...names) {
              const late = {};
              setTimeout(() => {
                const request = open.apply(this, names);
                for (const event of ['upgradeneeded', 'success', 'error', 'blocked']) {
                  request['on' + event] = (happened) => {
                    if (event === 'error') late.error = request.error; else late.result = request.result;
                    late['on' + event]?.(happened);
                  };
                }
              }, 2000);
              return late;
            };"""})
        try:
            DRIVER.get(OPTIONS.url)
            self.wait_for(lambda: self.texts(".cm-line")[:1] == ["# The Last Lamp of Zelmor: the adventure that comes "
                                                                "with kaland."], "the bundled adventure meanwhile")
            self.find(".cm-content").send_keys(Keys.CONTROL, Keys.END)
            self.find(".cm-content").send_keys("WRITTEN")
            self.wait_for(lambda: DRIVER.execute_script("return document.body.dataset.ready === 'true'"), "the studio")
        finally:
            DRIVER.execute_cdp_cmd("Page.removeScriptToEvaluateOnNewDocument", {"identifier": slow["identifier"]})
        self.assertEqual(["zelmor.map", "mine.map", "zelmor.map"], self.map_names())
        self.wait_for(lambda: any(bytes(kept["bytes"]).endswith(b"#gameover\nWRITTEN") for kept in self.kept_maps()),
                      "what was written to be kept")

    def test_work_kept_by_an_earlier_studio_joins_the_maps_once(self):
        DRIVER.get(OPTIONS.blank_url)  # as a browser that had only the studio before this one
        DRIVER.execute_async_script(FORGET)
        DRIVER.execute_script("localStorage.setItem('kaland-studio:work', JSON.stringify({name: 'old.map', "
                              "encoding: 'utf-8', text: '#helyiseg 1\\nOld.\\n#gameover\\n', lines: ['x'], "
                              "scripts: [{name: 'old.keys', bytes: 'x\\n', expected: null}]}))")
        self.reload()
        self.reload()
        self.assertEqual(["old.map"], self.map_names())
        self.assertEqual("— old.map", self.find("#map-name").text)
        self.assertEqual(["old.keys (not blessed)"], self.texts("#scripts .script-name"))

    # ---- play ----

    def test_walkthrough_gives_the_console_output(self):
        with open(os.path.join(SOURCE_DIR, "zelmor.walkthrough"), "rb") as file:
            walkthrough = file.read()
        self.type_lines(walkthrough.decode().split("\n")[:-1])
        self.assertEqual(run("kaland", "zelmor.map", stdin=walkthrough).stdout.decode(),
                         DRIVER.execute_script(LOG_OUTPUT))

    def test_an_edited_room_text_is_played_again_without_being_read_out(self):
        self.type_lines(["n"])
        DRIVER.execute_script("const log = document.getElementById('log'); window.liveWhenChanged = [];"
                              "new MutationObserver(() => liveWhenChanged.push(log.getAttribute('aria-live')))"
                              ".observe(log, {childList: true, subtree: true, characterData: true});")
        self.edit_line(19, " AT DUSK")
        self.wait_for(lambda: "THE MARKET SQUARE AT DUSK" in DRIVER.execute_script(LOG_OUTPUT), "the replay")
        self.assertEqual(["n\n"], self.texts("#log .input"))
        self.assertEqual({"off"}, set(DRIVER.execute_script("return liveWhenChanged")))
        self.type_lines(["s"])
        self.assertEqual("polite", DRIVER.execute_script("return liveWhenChanged.at(-1)"))

    def test_a_key_nothing_answers_is_said_as_on_the_player_page(self):
        self.type_lines(["x"])
        self.assertEqual(["Nothing here answers to “x”. Keys are single characters, named in the room’s text.\n"],
                         self.texts("#log .notice"))

    def test_an_edit_that_breaks_a_typed_line_is_reported(self):
        from selenium.webdriver.common.keys import Keys
        self.type_lines(["n", "e"])
        self.edit_line(14, [Keys.BACKSPACE, "x"])  # #irany N 2 n becomes #irany N 2 x
        self.wait_for(lambda: self.texts("#log .notice"), "the notice")
        self.assertEqual(["Line 1, “n”, no longer leads anywhere in room 1 (it led to room 2). "
                          "The game plays on from there.\n"], self.texts("#log .notice"))
        self.assertTrue(self.status().startswith("Line 1, “n”,"))
        self.find(".cm-content").send_keys(Keys.CONTROL, "z")  # mended
        self.wait_for(lambda: not self.texts("#log .notice"), "the notice to go")
        self.assertEqual("", self.status())

    def test_play_goes_on_with_the_map_as_it_last_loaded_while_the_text_has_an_error(self):
        from selenium.webdriver.common.keys import Keys
        self.type_lines(["n"])
        self.edit_line(14, [Keys.BACKSPACE, Keys.BACKSPACE])  # #irany N 2 n, half typed: #irany N 2
        self.wait_for(lambda: self.find("#play-kept").is_displayed(), "the game kept")
        self.assertEqual(["n\n"], self.texts("#log .input"))
        self.assertIn("THE MARKET SQUARE", DRIVER.execute_script(LOG_OUTPUT))
        self.find("#play-kept-line").click()
        self.assertEqual(14, self.cursor_line())
        self.find(".cm-content").send_keys(Keys.END, " n")
        self.wait_for(lambda: not self.find("#play-kept").is_displayed(), "the game caught up")
        self.type_lines(["d"])

    def test_a_new_problem_is_announced_after_a_pause(self):
        from selenium.webdriver.common.keys import Keys
        self.wait_for_picture()  # the problems of the map as opened are known
        self.edit_line(14, [Keys.BACKSPACE, Keys.BACKSPACE, Keys.BACKSPACE, "99 n"])  # #irany N 99 n
        news = lambda: self.find("#problem-news").get_attribute("textContent")  # noqa: E731
        self.wait_for(lambda: "room 99" in news(), "the announcement")
        self.assertRegex(news(), r"^\d+ new problems?: zelmor\.map:14: warning: exit to room 99, ")

    def test_undo_restart_and_play_from_here(self):
        self.type_lines(["n", "d"])
        self.find("#undo").click()
        self.assertEqual(["n\n"], self.texts("#log .input"))
        self.find("#restart").click()
        self.assertEqual([], self.texts("#log .input"))
        self.edit_line(97, [])  # in room 12's text
        self.find("#play-from-here").click()
        self.assertEqual(["n\n", "d\n", "e\n"], self.texts("#log .input"))
        # Undo brings back the lines each of them put aside.
        self.find("#undo").click()
        self.assertEqual([], self.texts("#log .input"))
        self.find("#undo").click()
        self.assertEqual(["n\n"], self.texts("#log .input"))

    def test_long_lines_wrap_on_a_narrow_screen(self):
        self.assertFalse(self.find("#wrap-lines").is_selected())
        DRIVER.set_window_size(375, 900)
        self.wait_for(lambda: self.find("#wrap-lines").is_selected(), "the lines to wrap")
        self.assertTrue(DRIVER.execute_script("return document.querySelector('.cm-content').classList"
                                              ".contains('cm-lineWrapping')"))

    def test_play_from_here_in_a_rooms_second_heading(self):
        # Room 2's first #helyiseg has no text; its second, below room 3, has.
        path = os.path.join(SCRATCH, "second.map")
        with open(path, "wb") as file:
            file.write(b"#helyiseg 1\nStart. [n]\n#irany N 3 n\n#helyiseg 2\n#helyiseg 3\nMiddle. [n]\n"
                       b"#irany N 2 n\n#helyiseg 2\nThe end.\n#gameover\n")
        self.open_map(path)
        self.edit_line(9, [])
        self.find("#play-from-here").click()
        self.assertEqual(["n\n", "n\n"], self.texts("#log .input"))

    # ---- the picture ----

    def test_the_picture_has_a_node_per_described_room(self):
        self.wait_for_picture()
        with open(os.path.join(SOURCE_DIR, "zelmor.map"), encoding="utf-8") as file:
            described = {f"r{number}" for number in re.findall(r"^#helyiseg (\d+)", file.read(), re.M)}
        titles = self.texts("[aria-label='Map picture'] svg g.node title")
        self.assertEqual(sorted(described), sorted(title for title in titles if title != "start"))

    def test_a_click_on_a_node_moves_the_cursor(self):
        self.wait_for_picture()
        self.find("#picture g.node[data-room='12']").click()
        self.assertEqual(95, self.cursor_line())

    def test_the_picture_zooms_and_shows_names_at_the_text_size_at_100_percent(self):
        from selenium.webdriver.common.keys import Keys
        self.wait_for_picture()
        label_pixels = ("const svg = document.querySelector('#picture svg');"
                        "return svg.getBoundingClientRect().width / svg.viewBox.baseVal.width *"
                        " parseFloat(svg.querySelector('g.node[data-room] text').getAttribute('font-size'))")
        text_pixels = DRIVER.execute_script("return parseFloat(getComputedStyle(document.querySelector('.cm-content'))"
                                            ".fontSize)")
        self.assertAlmostEqual(text_pixels, DRIVER.execute_script(label_pixels), delta=0.5)
        self.find("#zoom-in").click()
        self.assertGreater(DRIVER.execute_script(label_pixels), text_pixels * 1.2)
        self.find("#zoom-fit").click()
        self.assertTrue(DRIVER.execute_script(
            "const pane = document.getElementById('picture'); const box = pane.querySelector('svg')"
            ".getBoundingClientRect(); return box.width <= pane.clientWidth && box.height <= pane.clientHeight"))
        fitted = DRIVER.execute_script(label_pixels)
        DRIVER.execute_script("document.getElementById('picture').dispatchEvent(new WheelEvent('wheel', "
                              "{deltaY: -200, clientX: 900, clientY: 600, bubbles: true, cancelable: true}))")
        self.assertGreater(DRIVER.execute_script(label_pixels), fitted)
        self.find("#picture").send_keys("1")
        self.assertAlmostEqual(text_pixels, DRIVER.execute_script(label_pixels), delta=0.5)

    # ---- testing and publishing ----

    def test_routes_equal_kaland_check_routes(self):
        self.wait_for(lambda: self.texts("#routes li"), "the routes")
        routes = run("kaland-check", "--quiet", "--routes", os.path.join(SCRATCH, "routes"), "zelmor.map")
        self.assertEqual(routes.stdout.decode().splitlines(), self.texts("#routes li"))

    def test_coverage_notes_go_to_their_line(self):
        self.wait_for(lambda: self.texts("#coverage button"), "the coverage notes")
        note = self.find("#coverage button")
        line = int(re.match(r"zelmor\.map:(\d+): note: ", note.text).group(1))
        note.click()
        self.assertEqual(line, self.cursor_line())

    def test_each_quick_fix_case_gives_its_fixed_map(self):
        from selenium.webdriver.common.by import By
        from selenium.webdriver.support import expected_conditions
        from selenium.webdriver.support.ui import WebDriverWait
        for case in sorted(glob.glob(os.path.join(CASES, "fixes_*"))):
            with self.subTest(case=os.path.basename(case)):
                self.open_map(os.path.join(case, "map"))
                for _ in range(5):
                    fixes = [button for button in DRIVER.find_elements(By.CSS_SELECTOR, "#fixes button")
                             if button.get_attribute("textContent").startswith("Fix:")]
                    if not fixes:
                        break
                    fixes[0].click()
                    WebDriverWait(DRIVER, 20).until(expected_conditions.staleness_of(fixes[0]), "the check after the fix")
                with open(os.path.join(case, "fixed"), encoding="utf-8") as file:
                    self.assertEqual(file.read(), "\n".join(self.texts(".cm-line")))

    def test_publish_refuses_on_warnings_when_asked_and_offers_the_fresh_ifid(self):
        self.open_map(os.path.join(CASES, "warning_exit_to_undescribed_room", "map"))
        self.wait_for(lambda: (self.texts("#publish-warnings li.warning") or [""])[0].startswith("map:"), "the warnings")
        self.assertEqual("map:4: warning: room 19 has no description: a player who takes this exit sees two empty "
                         "lines and can only type exit", self.texts("#publish-warnings li")[0])
        self.find("#refuse-on-warnings").click()
        self.find("#publish").click()
        self.assertTrue(self.status().startswith("Nothing published: map has 1 warning"))
        self.assertFalse(os.path.exists(os.path.join(OPTIONS.profile, "downloads", "map.html")))
        ifid = self.find("#fresh-ifid").text
        self.find("#insert-ifid").click()
        self.assertEqual(f"#ifid {ifid}", self.texts(".cm-line")[0])
        self.find("#refuse-on-warnings").click()
        self.find("#publish").click()
        self.assertIn(ifid.encode(), self.downloaded("map.html"))

    def downloaded(self, name):
        path = os.path.join(OPTIONS.profile, "downloads", name)
        self.wait_for(lambda: download_finished(path), f"the download {name}")
        with open(path, "rb") as file:
            return file.read()

    def test_bless_and_expect_equal_kaland_check(self):
        work = os.path.join(SCRATCH, "transcripts")
        os.makedirs(work, exist_ok=True)
        shutil.copy(os.path.join(SOURCE_DIR, "zelmor.walkthrough"), os.path.join(work, "zelmor.keys"))
        with open(os.path.join(SOURCE_DIR, "zelmor.map"), "rb") as file:
            lines = file.read().split(b"\n")
        with open(os.path.join(work, "zelmor.map"), "wb") as file:
            file.write(b"\n".join(lines))
        run("kaland-check", "--bless", "zelmor.map", "zelmor.keys", cwd=work)
        with open(os.path.join(work, "zelmor.keys"), "rb") as file:
            self.type_lines(file.read().decode().split("\n")[:-1])
        self.find("#bless-typed").click()
        self.assertEqual(["Plays as expected."], self.texts("#scripts .same"))
        self.find("#scripts button[data-action='expected']").click()
        with open(os.path.join(work, "zelmor.keys.expected"), "rb") as file:
            self.assertEqual(file.read(), self.downloaded("zelmor.keys.expected"))
        # A room's text edited: the report of kaland-check --expect, and its map line goes there.
        self.edit_line(19, " AT DUSK")
        lines[18] += b" AT DUSK"
        with open(os.path.join(work, "zelmor.map"), "wb") as file:
            file.write(b"\n".join(lines))
        self.wait_for(lambda: self.texts("#scripts .expect-report"), "the difference")
        report = run("kaland-check", "--quiet", "--expect", "zelmor.map", "zelmor.keys", cwd=work).stdout.decode()
        self.assertEqual(report, self.texts("#scripts .expect-report")[0] + self.find("#expect-summary").text + "\n")
        self.find("#scripts .map-line").click()
        self.assertEqual(19, self.cursor_line())

    def test_an_expected_file_opens_with_its_script_and_is_kept(self):
        work = os.path.join(SCRATCH, "opened")
        os.makedirs(work, exist_ok=True)
        shutil.copy(os.path.join(SOURCE_DIR, "zelmor.map"), work)
        shutil.copy(os.path.join(SOURCE_DIR, "zelmor.walkthrough"), os.path.join(work, "walk.keys"))
        run("kaland-check", "--bless", "zelmor.map", "walk.keys", cwd=work)
        self.find("#open-scripts").send_keys(os.path.join(work, "walk.keys.expected") + "\n" +
                                             os.path.join(work, "walk.keys"))
        self.wait_for(lambda: self.texts("#scripts .same"), "the transcript to be compared")
        self.wait_for(lambda: any(kept["blessed"] == ["walk.keys"] for kept in self.kept_maps()), "the scripts to be kept")
        DRIVER.refresh()
        self.wait_for(lambda: self.texts("#scripts .same"), "the transcript to come back")
        self.assertEqual("zelmor.map: 1 of 1 script played as expected", self.find("#expect-summary").text)

    def test_bless_all_blesses_every_key_script(self):
        work = os.path.join(SCRATCH, "bless-all")
        os.makedirs(work, exist_ok=True)
        shutil.copy(os.path.join(SOURCE_DIR, "zelmor.walkthrough"), os.path.join(work, "walk.keys"))
        with open(os.path.join(work, "short.keys"), "w", encoding="utf-8") as file:
            file.write("n\n")
        self.find("#open-scripts").send_keys(os.path.join(work, "walk.keys") + "\n" + os.path.join(work, "short.keys"))
        self.wait_for(lambda: len(self.texts("#scripts .script-name")) == 2, "the scripts")
        self.find("#bless-all").click()
        self.assertEqual(["Plays as expected."] * 2, self.texts("#scripts .same"))

    def test_random_games_equal_kaland_check_random(self):
        work = os.path.join(SCRATCH, "random")
        os.makedirs(work, exist_ok=True)
        shutil.copy(os.path.join(SOURCE_DIR, "docs", "examples", "mine.map"), work)
        self.open_map(os.path.join(work, "mine.map"))
        for field, value in (("#random-games", "0"), ("#random-seed", "7"), ("#random-steps", "40")):
            self.find(field).clear()
            self.find(field).send_keys(value)
        self.find("#random-play").click()
        usage = run("kaland-check", "--random", "0", "mine.map", cwd=work).stderr.decode().splitlines()[0]
        self.wait_for(lambda: self.find("#random-error").text, "the usage error")
        self.assertEqual(usage, "kaland-check: " + self.find("#random-error").text)
        self.find("#random-games").clear()
        self.find("#random-games").send_keys("500")
        self.find("#random-play").click()
        checker = run("kaland-check", "--quiet", "--random", "500", "--seed", "7", "--steps", "40", "mine.map",
                      cwd=work)
        self.wait_for(lambda: self.texts("#random-report li"), "the random games")
        self.assertEqual(checker.stdout.decode().splitlines() + checker.stderr.decode().splitlines()[-1:],
                         self.texts("#random-report li"))
        self.find("#random-save-keys").click()
        with open(os.path.join(work, "mine.random-7.keys"), "rb") as file:
            keys = file.read()
        self.assertEqual(keys, self.downloaded("mine.random-7.keys"))
        self.find("#random-play-defect").click()
        self.assertEqual([line + "\n" for line in keys.decode().split("\n")[:-1]], self.texts("#log .input"))

    def test_a_random_game_types_the_bytes_of_its_keys(self):
        # The key of the exit to room 9 is the first byte of an accented
        # letter in UTF-8: kaland replays the checker's keys to the defect.
        work = os.path.join(SCRATCH, "accented")
        os.makedirs(work, exist_ok=True)
        with open(os.path.join(work, "u.map"), "wb") as file:
            file.write(b"#helyiseg 1\nA room. [o]\n#irany N 9 \xc3\xb6\n#irany N 2 e\n#helyiseg 2\nEnd.\n#gameover\n")
        run("kaland-check", "--random", "20", "u.map", cwd=work)
        with open(os.path.join(work, "u.random-1.keys"), "rb") as file:
            keys = file.read()
        self.open_map(os.path.join(work, "u.map"))
        self.find("#random-games").clear()
        self.find("#random-games").send_keys("20")
        self.find("#random-play").click()
        self.wait_for(lambda: self.find("#random-play-defect").is_displayed(), "the defect's game")
        self.find("#random-play-defect").click()
        self.assertEqual(as_shown(run("kaland", "u.map", stdin=keys, cwd=work).stdout),
                         DRIVER.execute_script(LOG_OUTPUT))

    def test_publish_gives_the_bytes_of_kaland_publish_page_and_zip(self):
        tools = os.path.join(SCRATCH, "publish-tools")
        os.makedirs(tools, exist_ok=True)
        shutil.copy(os.path.join(OPTIONS.native_build, "kaland-publish"), tools)
        shutil.copy(OPTIONS.page, os.path.join(tools, "kaland.html"))
        work = os.path.join(SCRATCH, "release")
        os.makedirs(work, exist_ok=True)
        with open(os.path.join(SOURCE_DIR, "zelmor.map"), "rb") as source, \
                open(os.path.join(work, "lamp.map"), "wb") as copy:
            copy.write(b"#ifid 3F2504E0-4F89-41D3-9A0C-0305E82C3301\n" + source.read())
        subprocess.run([os.path.join(tools, "kaland-publish"), "lamp.map", "--zip", "lamp.zip", "-o", "lamp.html"],
                       cwd=work, check=True, capture_output=True, timeout=20)
        self.open_map(os.path.join(work, "lamp.map"))
        for button, name in (("#publish", "lamp.html"), ("#publish-zip", "lamp.zip")):
            self.find(button).click()
            with open(os.path.join(work, name), "rb") as want:
                self.assertEqual(want.read(), self.downloaded(name), name)

    # ---- where to start ----

    def test_the_template_game_opens_clean_with_a_fresh_ifid(self):
        with open(os.path.join(SOURCE_DIR, "web", "studio", "template.map"), encoding="utf-8") as file:
            template_ifid = re.search(r"^#ifid (.*)$", file.read(), re.M).group(1)
        self.assertTrue(self.find("#start-help").is_displayed())
        self.find("#open-template").click()
        self.wait_for(lambda: "the-lighthouse-key.map" in self.map_names(), "the template game")
        self.wait_for(lambda: self.find("#problem-summary").text == "(the-lighthouse-key.map: 0 errors, 0 warnings)",
                      "the template checked")
        ifid_lines = [line for line in self.texts(".cm-line") if line.startswith("#ifid ")]
        self.assertEqual(1, len(ifid_lines))
        self.assertNotIn(template_ifid, ifid_lines[0])
        # Named after its title: Save and Publish use the name.
        self.find("#save-map").click()
        self.assertIn(ifid_lines[0].encode() + b"\n", self.downloaded("the-lighthouse-key.map"))
        self.find("#publish").click()
        self.assertIn(b"<title>The Lighthouse Key</title>", self.downloaded("the-lighthouse-key.html"))
        self.find("#hide-help").click()
        self.reload()
        self.assertFalse(self.find("#start-help").is_displayed())

    def test_the_studio_speaks_the_language_of_the_map(self):
        self.open_map(os.path.join(CASES, "clean_facts", "map"))  # #Lang hu-HU
        self.assertEqual("Új térkép", self.find("#new-map").text)
        self.assertEqual("hu", DRIVER.execute_script("return document.documentElement.lang"))
        self.open_map(os.path.join(SOURCE_DIR, "docs", "examples", "mine.map"))
        self.assertEqual("New map", self.find("#new-map").text)

    def test_the_directives_are_the_manuals(self):
        self.find("#reference summary").click()
        terms = self.texts("#reference dt")
        self.assertEqual(["#helyiseg room", "#irany N target key", "#irany A target", "#irany E target", "#gameover",
                          "#title text", "#author text", "#lang tag", "#ifid uuid", "#blurb text"], terms)

    # ---- the page ----

    def test_the_content_policy_refuses_injected_script_and_eval(self):
        self.addCleanup(record_policy_refusals(DRIVER))
        self.setUp()
        # Graphviz and random games run in workers, under the page's policy.
        self.wait_for_picture()
        self.find("#random-play").click()
        self.wait_for(lambda: self.texts("#random-report li"), "the random games")
        self.type_lines(["n"])
        self.assertEqual([], policy_refusals(DRIVER), "the studio itself breaks its policy")
        injections_refused(self, DRIVER)
        self.type_lines(["e"])
        expected = run("kaland", "zelmor.map", stdin=b"n\ne\n").stdout.decode()
        self.assertEqual(expected, DRIVER.execute_script(LOG_OUTPUT) + "Nyomj <Enter>-t a kilepeshez!")

    def test_loads_offline_without_errors(self):
        self.assertLessEqual(os.path.getsize(OPTIONS.studio), 3 * 1024 * 1024)
        self.assertEqual([], [entry for entry in DRIVER.get_log("browser") if entry["level"] == "SEVERE"])
        self.assertEqual(0, DRIVER.execute_script("return performance.getEntriesByType('resource').length"))
        self.assertEqual(1, DRIVER.execute_script(
            "return document.querySelectorAll('[contenteditable=true], textarea').length"))

    def test_no_axe_violations_light_and_dark_wide_and_narrow(self):
        # Every part on show: the first visit's help, a blessed script that now differs, random games that met
        # a defect, the directives, the form that renames a map.
        self.open_map(os.path.join(SOURCE_DIR, "docs", "examples", "mine.map"))
        self.type_lines(["d"])
        self.find("#bless-typed").click()
        self.edit_line(7, " DEEP")
        self.find("#random-play").click()
        self.wait_for(lambda: self.texts("#random-report li") and self.texts("#scripts .expect-report"), "the tests")
        self.find("#reference summary").click()
        self.find("#rename-map").click()
        with open(OPTIONS.axe, encoding="utf-8") as file:
            DRIVER.execute_script(file.read())
        self.wait_for_picture()
        for scheme in ("light", "dark"):
            DRIVER.execute_cdp_cmd("Emulation.setEmulatedMedia",
                                   {"features": [{"name": "prefers-color-scheme", "value": scheme}]})
            for width in (1280, 375):
                with self.subTest(scheme=scheme, width=width):
                    DRIVER.set_window_size(width, 900)
                    violations = DRIVER.execute_async_script(
                        "axe.run(document).then((result) => arguments[0](result.violations.map("
                        "(v) => `${v.id}: ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`)))")
                    self.assertEqual([], violations)
                    if OPTIONS.screenshots:
                        DRIVER.save_screenshot(os.path.join(OPTIONS.screenshots, f"studio-{scheme}-{width}.png"))
        DRIVER.execute_cdp_cmd("Emulation.setEmulatedMedia", {"features": []})


def main():
    global OPTIONS, DRIVER, SCRATCH
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    for option in ("--studio", "--page", "--native-build", "--axe"):
        parser.add_argument(option, required=True)
    parser.add_argument("--screenshots")
    OPTIONS, rest = parser.parse_known_args()
    for name in ("studio", "page", "native_build", "axe"):
        setattr(OPTIONS, name, os.path.abspath(getattr(OPTIONS, name)))
    for tool in ("kaland", "kaland-check", "kaland-publish"):
        if not os.access(os.path.join(OPTIONS.native_build, tool), os.X_OK):
            skip_or_fail(f"no native {tool} in {OPTIONS.native_build} to compare with")
    if OPTIONS.screenshots:
        os.makedirs(OPTIONS.screenshots, exist_ok=True)
    SCRATCH = tempfile.mkdtemp(prefix="kaland-studio-")
    OPTIONS.profile = os.path.join(SCRATCH, "profile")
    success = False
    try:
        DRIVER = start_studio_browser(OPTIONS.profile)
        # A copy, so that the work it keeps in the browser is this run's alone.
        shutil.copy(OPTIONS.studio, os.path.join(SCRATCH, "kaland-studio.html"))
        OPTIONS.url = "file://" + os.path.join(SCRATCH, "kaland-studio.html")
        with open(os.path.join(SCRATCH, "blank.html"), "w", encoding="utf-8") as blank:
            blank.write("<!DOCTYPE html><title>blank</title>")
        OPTIONS.blank_url = "file://" + os.path.join(SCRATCH, "blank.html")
        program = unittest.main(argv=[sys.argv[0], *rest], exit=False, verbosity=2)
        success = program.result.wasSuccessful()
    finally:
        if DRIVER is not None:
            DRIVER.quit()
        shutil.rmtree(SCRATCH, ignore_errors=True)
    sys.exit(0 if success else 1)


if __name__ == "__main__":
    main()
