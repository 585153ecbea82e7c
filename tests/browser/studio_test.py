#!/usr/bin/env python3
"""The dress-up studio of the share page in headless Debian chromium, driven by Selenium.

Usage: studio_test.py --cli PELTO_CLI --game DEMO_GAME [unittest args]

Each scenario dresses a character from nothing, and after every step checks the code box
against `pelto-cli code` with the same edits and the picture against the service's render of
that code: at 1280 px, at 390 px with touch emulation, and in Japanese. PELTO_STUDIO_TIMINGS=1
adds the timings (grid open cold and warm, click to new picture) on the game given.
"""

import argparse
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.error
import urllib.parse
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from share_page_test import fetch, start_service  # noqa: E402

ARGS = None
SHOTS = "/tmp/studio-shots"
WAIT_SECONDS = 20
SEED = 1073741824  # what the page draws from Math.random() = 0.25
STILL = "&motion=0&direction=4&scale=3&shadow=0&background=FFFFFF&frame=1"


def query_params(query):
    """The query's parameters other than the members."""
    return {k: v for k, v in urllib.parse.parse_qsl(query) if k != "c"}


def start_browser(language="en"):
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    options = webdriver.ChromeOptions()
    options.binary_location = (os.environ.get("PELTO_CHROMIUM") or shutil.which("chromium")
                               or "/usr/bin/chromium")
    profile = tempfile.mkdtemp(prefix="pelto-studio-")
    for flag in ["--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                 "--no-first-run", "--disable-background-networking", "--disable-sync",
                 "--window-size=1280,900", f"--lang={language}", f"--user-data-dir={profile}"]:
        options.add_argument(flag)
    options.add_experimental_option("prefs", {"intl.accept_languages": language})
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    driver_path = (os.environ.get("PELTO_CHROMEDRIVER") or shutil.which("chromedriver")
                   or "/usr/bin/chromedriver")
    driver = webdriver.Chrome(service=Service(executable_path=driver_path), options=options)
    driver.set_script_timeout(WAIT_SECONDS)
    return driver, profile


class Studio:
    """One browser on the page, with the checks every step makes."""

    def __init__(self, test, driver, base, touch=False):
        from selenium.webdriver.common.by import By
        from selenium.webdriver.common.keys import Keys
        from selenium.webdriver.support.ui import WebDriverWait
        from selenium.common.exceptions import (NoSuchElementException,
                                                StaleElementReferenceException)
        self.test, self.driver, self.base, self.touch = test, driver, base, touch
        self.By, self.Keys = By, Keys
        self.wait = WebDriverWait(driver, WAIT_SECONDS, poll_frequency=0.05, ignored_exceptions=(
            NoSuchElementException, StaleElementReferenceException))
        self.code = ""
        self.api = base  # where the service's own answers are asked

    def until(self, condition, what):
        return self.wait.until(lambda d: condition(), f"waiting for {what}")

    def css(self, selector):
        return self.driver.find_element(self.By.CSS_SELECTOR, selector)

    def value(self, id_):
        return self.driver.find_element(self.By.ID, id_).get_attribute("value")

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def open(self, path="/"):
        self.driver.get(self.base + path)
        self.until(lambda: not self.css("#studio").get_attribute("hidden"), "the studio")

    def cli_code(self, *edits):
        command = [ARGS.cli, "code", "--game", ARGS.game] + ([self.code] if self.code else [])
        return subprocess.check_output(command + list(edits), text=True).strip()

    def expect(self, code, what):
        """The code box holds Code, and the picture is the service's still of it."""
        self.until(lambda: self.value("code") == code, f"the code of {what}")
        self.expect_picture(code, what)
        self.code = code

    def expect_picture(self, code, what):
        """The picture is the service's still of Code, byte for byte."""
        url = self.base + "/render.png?code=" + urllib.parse.quote(code, safe="") + STILL
        self.until(lambda: self.css("#picture").get_attribute("src") == url, f"the picture of {what}")
        self.until(lambda: self.js("const p = document.getElementById('picture');"
                                   "return p.complete && p.naturalWidth > 0;"), "the picture to load")
        status, _, body = fetch(url)
        self.test.assertEqual((status, self.picture_bytes("picture")), (200, body),
                              f"the picture of {what}")

    def shown(self, id_):
        """The bytes the image Id shows, once it has them."""
        if not self.js("const p = document.getElementById(arguments[0]);"
                       "return p.complete && p.naturalWidth > 0;", id_):
            return None
        return self.picture_bytes(id_)

    def picture_bytes(self, id_):
        return bytes(self.driver.execute_async_script(
            "const done = arguments[arguments.length - 1];"
            "fetch(document.getElementById(arguments[0]).src).then(r => r.arrayBuffer())"
            ".then(b => done(Array.from(new Uint8Array(b))));", id_))

    def edit(self, what, *edits):
        self.expect(self.cli_code(*edits), what)

    def tap(self, element):
        element.click()

    def choose_character(self, chara):
        from selenium.webdriver.support.ui import Select
        Select(self.css("#chara")).select_by_value(str(chara))
        code = self.cli_code("--chara", str(chara))
        self.until(lambda: self.value("code") == code, "the character")
        # Pictures are compared as stills: pause once the character is there.
        self.tap(self.css("#play"))
        self.expect(code, f"character {chara}")

    def open_slot(self, slot):
        self.tap(self.css(f"#slots .slot[data-slot='{slot}']"))
        self.until(lambda: self.css("#grid").get_attribute("data-ready") == "1", "the grid")

    def atlas(self, group, slot):
        return json.loads(fetch(f"{self.base}/atlas/{group}/{slot}.json")[2])

    def wear_by_search(self, group, slot):
        item = self.atlas(group, slot)["items"][-1]
        self.open_slot(slot)
        self.css("#find").send_keys(f"#{item['id']}")
        self.until(lambda: [c.get_attribute("data-item-id") for c in
                            self.driver.find_elements(self.By.CSS_SELECTOR, "#grid .cell")]
                   == [str(item["id"])], "the search")
        self.css("#find").send_keys(self.Keys.ENTER)
        self.edit(f"slot {slot} by search", "--wear", f"{slot}:{item['id']}")
        self.test.assertIsNotNone(self.driver.switch_to.active_element.get_attribute("data-slot"),
                                  "the focus goes back to the slot")

    def wear_by_keys(self, group, slot):
        item = self.atlas(group, slot)["items"][1]
        self.open_slot(slot)
        grid = self.css("#grid")
        grid.send_keys(self.Keys.END, self.Keys.HOME, self.Keys.ARROW_RIGHT, self.Keys.ARROW_RIGHT)
        active = self.js("return document.getElementById(document.getElementById('grid')"
                         ".getAttribute('aria-activedescendant')).dataset.itemId")
        self.test.assertEqual(active, str(item["id"]), "the keys move the cursor")
        self.until(lambda: not self.css("#tip").get_attribute("hidden"), "the item's tip")
        self.test.assertIn(item["name"], self.css("#tip").text)
        self.expect_picture(self.cli_code("--wear", f"{slot}:{item['id']}"), "the cursor's item")
        grid.send_keys(self.Keys.ENTER)
        self.edit(f"slot {slot} by keys", "--wear", f"{slot}:{item['id']}")

    def hover(self, element, x=None):
        """The mouse over Element, X pixels right of its middle when given."""
        from selenium.webdriver.common.action_chains import ActionChains
        chain = ActionChains(self.driver)
        (chain.move_to_element(element) if x is None
         else chain.move_to_element_with_offset(element, x, 0)).perform()

    def try_on_and_swatches(self, shots):
        """Hover previews items and levels without a step; a click wears; a swatch sets levels."""
        t = self.test
        self.choose_character(1)
        steps = self.js("return history.length")
        item = self.atlas(1, 2)["items"][2]
        self.open_slot(2)
        cell = self.css(f"#grid .cell[data-item-id='{item['id']}']")
        self.hover(cell)
        self.expect_picture(self.cli_code("--wear", f"2:{item['id']}"), "the item tried on")
        t.assertEqual(self.value("code"), self.code, "the code box keeps the look worn")
        t.assertIn(item["name"], self.css("#slots .slotrow[data-slot='2'] .worn")
                   .get_attribute("textContent"))
        self.until(lambda: self.css("#tryon-picture").get_attribute("src")
                   == self.css("#picture").get_attribute("src"), "the try-on beside the grid")
        self.driver.save_screenshot(shots + "-preview.png")
        self.hover(self.css("#picker-title"))
        self.expect_picture(self.code, "the look back")
        t.assertEqual(self.css("#slots .slotrow[data-slot='2'] .worn").get_attribute("textContent"),
                      "---")
        self.hover(cell)
        self.expect_picture(self.cli_code("--wear", f"2:{item['id']}"), "the item tried again")
        cell.click()
        self.edit("the item worn", "--wear", f"2:{item['id']}")
        t.assertEqual(self.js("return history.length"), steps + 1, "one step for the click")

        # A slider's far end tries level 9; leaving puts the level worn back.
        level = self.css("[data-color='1:2']")
        worn = self.levels()[3:6]
        self.hover(level, level.rect["width"] / 2 - 8)
        self.expect_picture(self.cli_code("--color", f"1:{worn[0]},{worn[1]},9"), "level 9 tried")
        self.driver.save_screenshot(shots + "-level.png")
        t.assertEqual(self.value("code"), self.code)
        self.hover(self.css("#name"))
        self.expect_picture(self.code, "the levels back")
        t.assertEqual(self.js("return history.length"), steps + 1, "no step for a preview")

        # Swatches of red across and green down: the cell clicked gives its two levels.
        from selenium.webdriver.support.ui import Select
        self.css("#swatches summary").click()
        Select(self.css("#swatch-position")).select_by_value("1")
        Select(self.css("#swatch-across")).select_by_value("0")
        Select(self.css("#swatch-down")).select_by_value("1")
        query = urllib.parse.urlencode({
            "code": self.code, "position": 1, "across": 0, "down": 1, "motion": 0, "direction": 4,
            "shadow": 0, "crop": "body", "frame": 1, "background": "FFFFFF"})
        status, _, swatches = fetch(self.api + "/v1/swatches.png?" + query)
        t.assertEqual(status, 200)
        self.until(lambda: self.shown("swatch-picture") == swatches, "the swatches")
        self.until(lambda: self.js("return document.getElementById('swatch-picture')"
                                   ".style.width !== ''"), "the swatches fitted to the column")
        grid = self.css("#swatch-picture")
        grid.location_once_scrolled_into_view
        box = grid.rect
        from selenium.webdriver.common.action_chains import ActionChains
        ActionChains(self.driver).move_to_element_with_offset(
            grid, box["width"] * (0.35 - 0.5), box["height"] * (0.75 - 0.5)).click().perform()
        self.driver.save_screenshot(shots + "-swatches.png")
        self.edit("a swatch", "--color", f"1:3,7,{self.levels()[5]}")
        t.assertEqual(self.js("return history.length"), steps + 2, "one step for the swatch")

    def levels(self):
        return [int(r.get_attribute("value")) for r in
                self.driver.find_elements(self.By.CSS_SELECTOR, "[data-color]")]

    def set_level(self, position, channel, steps):
        """Steps the level up by keys, each step a look of its own."""
        level = self.css(f"[data-color='{position}:{channel}']")
        for _ in range(steps):
            levels = self.levels()[position * 3:position * 3 + 3]
            levels[channel] += 1
            level.send_keys(self.Keys.ARROW_RIGHT)
            self.edit(f"colour {position}:{channel}", "--color",
                      f"{position}:{','.join(map(str, levels))}")

    def keys(self, *keys):
        from selenium.webdriver.common.action_chains import ActionChains
        chain = ActionChains(self.driver)
        for key in keys[:-1]:
            chain.key_down(key)
        chain.send_keys(keys[-1])
        for key in reversed(keys[:-1]):
            chain.key_up(key)
        chain.perform()

    def show_character(self, chara):
        """Picks a character without touching the playback, as a second pick must."""
        from selenium.webdriver.support.ui import Select
        Select(self.css("#chara")).select_by_value(str(chara))
        code = self.cli_code("--chara", str(chara))
        self.until(lambda: self.value("code") == code, f"character {chara}")
        self.code = code
        return code

    def add_to_group(self):
        """Adds the character shown; returns the member as the scene route spells it."""
        count = self.group_size()
        motion, direction = self.value("motion"), self.js("return document.querySelector("
                                                          "'input[name=direction]').value")
        self.tap(self.css("#add-to-group"))
        self.until(lambda: self.group_size() == count + 1, "the new member")
        return f"{self.code}~{motion}~{direction}"

    def group_size(self):
        return len(self.driver.find_elements(self.By.CSS_SELECTOR, "#members > li"))

    def group_link(self):
        """The link's path and its members in order."""
        parts = urllib.parse.urlsplit(self.value("group-link"))
        self.test.assertEqual(f"{parts.scheme}://{parts.netloc}", self.base, "an absolute link")
        members = [v for k, v in urllib.parse.parse_qsl(parts.query) if k == "c"]
        return parts.path, members

    def member_button(self, index, action):
        return self.css(f"#members button[data-index='{index}'][data-action='{action}']")

    def dress_from_nothing(self, shots=None):
        """The whole scenario; returns the codes it went through."""
        t = self.test
        self.open()
        self.choose_character(1)
        group = 1
        for slot in range(1, 7):
            if slot == 1 and shots:
                self.open_slot(1)
                self.driver.save_screenshot(shots)
                self.css("#find").send_keys(self.Keys.ESCAPE)
                self.until(lambda: self.css("#picker").get_attribute("hidden"), "the grid to close")
            (self.wear_by_search if slot % 2 else self.wear_by_keys)(group, slot)
        self.set_level(1, 2, 3)
        self.set_level(0, 0, 2)
        coloured = self.code
        before_colour = self.js("return history.length")
        one_back = subprocess.check_output(
            [ARGS.cli, "code", "--game", ARGS.game, coloured, "--color", "0:5,4,4"],
            text=True).strip()

        # Undo and Redo, by button and by key; Back and Forward walk the same steps.
        self.tap(self.css("#undo"))
        self.expect(one_back, "undo")
        self.keys(self.Keys.CONTROL, self.Keys.SHIFT, "z")
        self.expect(coloured, "redo by key")
        self.driver.back()
        self.expect(one_back, "back")
        self.driver.forward()
        self.expect(coloured, "forward")
        self.keys(self.Keys.CONTROL, "z")
        self.expect(one_back, "undo by key")
        self.keys(self.Keys.CONTROL, "y")
        self.expect(coloured, "redo by Ctrl+Y")
        self.tap(self.css("#undo"))
        self.expect(one_back, "undo")
        self.tap(self.css("#redo"))
        self.expect(coloured, "redo")
        t.assertEqual(self.js("return history.length"), before_colour, "undo adds no step")

        # Random with Head, Special and colour 1 locked: they stay.
        for lock in ["[data-lock='1']", "[data-lock='6']", "[data-lock='color0']"]:
            self.tap(self.css(lock))
            t.assertEqual(self.css(lock).get_attribute("aria-pressed"), "true")
        kept = {slot: self.css(f"#slots .slot[data-slot='{slot}']").get_attribute("data-item-id")
                for slot in (1, 6)}
        kept_levels = self.levels()[0:3]
        self.js("Math.random = () => 0.25;")
        self.tap(self.css("#random-outfit"))
        self.edit("a random outfit", "--random", str(SEED), "--vary", "items",
                  "--lock", "1,6,color0")
        self.tap(self.css("#random-colors"))
        self.edit("random colours", "--random", str(SEED), "--vary", "colors",
                  "--lock", "1,6,color0")
        t.assertEqual({slot: self.css(f"#slots .slot[data-slot='{slot}']")
                       .get_attribute("data-item-id") for slot in (1, 6)}, kept)
        t.assertEqual(self.levels()[0:3], kept_levels)

        # The shared link opens the same state.
        self.tap(self.css(".stage .turn[value='6']"))
        link = self.value("link")
        status = self.css("#status").text
        self.driver.get(link)
        self.until(lambda: self.value("code") == self.code, "the reloaded code")
        self.until(lambda: self.css("#status").text == status, "the reloaded bonuses")
        t.assertEqual(self.driver.current_url, link)
        t.assertIn("direction=6", self.css("#picture").get_attribute("src"))
        t.assertEqual(self.css("#chara").get_attribute("value"), "1")


class StudioTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.service, cls.base = start_service(ARGS.cli, ARGS.game)
        os.makedirs(SHOTS, exist_ok=True)

    @classmethod
    def tearDownClass(cls):
        cls.service.terminate()
        cls.service.wait(timeout=10)

    def browser(self, language="en"):
        driver, profile = start_browser(language)
        self.addCleanup(shutil.rmtree, profile, ignore_errors=True)
        self.addCleanup(driver.quit)
        return driver

    def assert_no_console_errors(self, driver):
        errors = [e for e in driver.get_log("browser") if e["level"] == "SEVERE"]
        self.assertEqual(errors, [], "console errors")

    def phone(self, driver):
        driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": 390, "height": 844, "deviceScaleFactor": 1, "mobile": True})
        driver.execute_cdp_cmd("Emulation.setTouchEmulationEnabled",
                               {"enabled": True, "maxTouchPoints": 5})

    def assert_phone_layout(self, studio):
        self.assertLessEqual(studio.js("return document.documentElement.scrollWidth"), 390,
                             "nothing scrolls sideways")
        small = studio.js(
            "return Array.from(document.querySelectorAll('button, select, input, a[href]'))"
            ".filter(e => e.offsetParent && e.type !== 'hidden' && e.type !== 'checkbox')"
            ".map(e => [e.id || e.className || e.textContent, e.getBoundingClientRect()])"
            ".filter(([, r]) => r.width < 44 || r.height < 44).map(([n]) => n)")
        self.assertEqual(small, [], "touch targets of 44 px at least")

    def test_dressing_from_nothing_at_1280_px(self):
        driver = self.browser()
        studio = Studio(self, driver, self.base)
        studio.dress_from_nothing(os.path.join(SHOTS, "studio-1280-en.png"))
        driver.save_screenshot(os.path.join(SHOTS, "studio-1280-en-page.png"))
        # The grid is a listbox of options, filtered by a bonus with what it finds.
        studio.open_slot(3)
        self.assertEqual(studio.css("#grid").get_attribute("role"), "listbox")
        from selenium.webdriver.support.ui import Select
        Select(studio.css("#bonus-filter")).select_by_value("ATK")
        atlas = {item["id"]: item for item in studio.atlas(1, 3)["items"]}
        shown = [int(c.get_attribute("data-item-id"))
                 for c in driver.find_elements(studio.By.CSS_SELECTOR, "#grid [role=option]")]
        self.assertTrue(shown)
        self.assertTrue(all(atlas[i]["bonus"].get("ATK") for i in shown), shown)
        self.assert_no_console_errors(driver)

    def test_dressing_from_nothing_at_390_px_by_touch(self):
        driver = self.browser()
        self.phone(driver)
        studio = Studio(self, driver, self.base, touch=True)
        studio.dress_from_nothing(os.path.join(SHOTS, "studio-390-en.png"))
        self.assert_phone_layout(studio)
        height = studio.js("return document.documentElement.scrollHeight")
        driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": 390, "height": height, "deviceScaleFactor": 1, "mobile": True})
        driver.save_screenshot(os.path.join(SHOTS, "studio-390-en-page.png"))
        self.phone(driver)
        studio.open_slot(2)
        sheet = studio.css("#picker .sheet").rect
        self.assertEqual((sheet["x"], sheet["width"]), (0, 390), "a full-screen sheet")
        self.assert_no_console_errors(driver)

    def test_dressing_from_nothing_in_japanese(self):
        driver = self.browser("ja")
        studio = Studio(self, driver, self.base)
        studio.open()
        self.assertEqual(studio.js("return document.documentElement.lang"), "ja")
        self.assertEqual(studio.css("label[for=code]").text, "キャラクターコード",
                         "the server speaks Accept-Language")
        studio.dress_from_nothing(os.path.join(SHOTS, "studio-1280-ja.png"))
        self.assertEqual(studio.css("#slots .slot[data-slot='1'] .slotname").text, "頭")
        self.assertEqual(studio.css("[data-lock='color0']").get_attribute("aria-label"),
                         "カラー1を固定")
        self.phone(driver)
        studio.open_slot(1)
        self.assertIn("アイテム検索", studio.css("#picker .tools").text)
        driver.save_screenshot(os.path.join(SHOTS, "studio-390-ja.png"))
        self.assert_no_console_errors(driver)

    def test_trying_on_and_swatches(self):
        for language, width in [("en", 1280), ("ja", 1280), ("en", 390), ("ja", 390)]:
            with self.subTest(language=language, width=width):
                driver = self.browser(language)
                driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
                    "width": width, "height": 900, "deviceScaleFactor": 1, "mobile": width < 600})
                studio = Studio(self, driver, self.base)
                studio.open()
                studio.try_on_and_swatches(os.path.join(SHOTS, f"tryon-{width}-{language}"))
                self.assert_no_console_errors(driver)

    # The group

    def test_a_group_keeps_its_members_in_order_and_its_link_follows(self):
        driver = self.browser()
        studio = Studio(self, driver, self.base)
        studio.open()
        self.assertTrue(studio.css("#group").get_attribute("hidden") is not None,
                        "no group before the first member")
        self.assertFalse(studio.css("#add-to-group").is_enabled(), "nothing to add yet")
        studio.choose_character(1)
        first = studio.add_to_group()
        studio.tap(studio.css(".stage .turn[value='6']"))
        studio.show_character(2)
        second = studio.add_to_group()
        self.assertTrue(first.endswith("~0~4") and second.endswith("~0~6"), (first, second))
        self.assertEqual(studio.group_link(), ("/v1/scene.png", [first, second]))
        self.assertEqual(studio.css("#group-count").text, "2 of 8")
        link = urllib.parse.urlsplit(studio.value("group-link"))
        self.assertEqual(query_params(link.query),
                         {"gap": "8", "scale": "3", "shadow": "0", "background": "FFFFFF"},
                         "the studio's look, shared")
        for kind in ["png", "tpng", "gif", "apng", "webp"]:
            href = urllib.parse.urlsplit(studio.css(f"#group-download-{kind}")
                                         .get_attribute("href"))
            self.assertEqual(href.path, "/v1/scene." + kind, kind)
            self.assertEqual([v for k, v in urllib.parse.parse_qsl(href.query) if k == "c"],
                             [first, second], kind)
        thumbnail = studio.css("#members > li:nth-child(2) img").get_attribute("src")
        self.assertEqual(query_params(urllib.parse.urlsplit(thumbnail).query)["direction"], "6",
                         "each member in its own direction")

        # The studio's controls and the gap change the group's look, not its members.
        studio.tap(studio.css("#shadow"))
        gap = studio.css("#gap")
        gap.send_keys(studio.Keys.CONTROL, "a")
        gap.send_keys("20")
        studio.until(lambda: query_params(urllib.parse.urlsplit(studio.value("group-link"))
                                          .query).get("gap") == "20", "the new gap")
        self.assertEqual(query_params(urllib.parse.urlsplit(studio.value("group-link")).query)
                         ["shadow"], "1")
        gap.send_keys(studio.Keys.CONTROL, "a")
        gap.send_keys("65", studio.Keys.TAB)
        studio.until(lambda: gap.get_attribute("value") == "64", "a gap past 64 held at 64")
        studio.until(lambda: query_params(urllib.parse.urlsplit(studio.value("group-link"))
                                          .query).get("gap") == "64", "the gap held at 64")
        gap.send_keys(studio.Keys.CONTROL, "a")
        gap.send_keys("20", studio.Keys.TAB)
        studio.tap(studio.css("#transparent"))
        studio.until(lambda: studio.group_link()[0] == "/v1/scene.tpng", "a transparent group")
        studio.tap(studio.css("#transparent"))

        # Moving by keyboard keeps the focus on the member moved.
        studio.member_button(0, "1").send_keys(studio.Keys.ENTER)
        studio.until(lambda: studio.group_link()[1] == [second, first], "the swapped order")
        self.assertEqual(driver.switch_to.active_element.get_attribute("data-index"), "1")
        self.assertFalse(studio.member_button(0, "-1").is_enabled(), "the first moves no further")
        self.assertFalse(studio.member_button(1, "1").is_enabled(), "the last moves no further")

        # A reload keeps the group and its gap.
        driver.refresh()
        studio.until(lambda: studio.group_size() == 2, "the group after the reload")
        self.assertEqual(studio.group_link(), ("/v1/scene.png", [second, first]))
        self.assertEqual(studio.css("#gap").get_attribute("value"), "20")

        studio.tap(studio.member_button(0, "remove"))
        studio.until(lambda: studio.group_link()[1] == [first], "the link without the removed")
        self.assertEqual(studio.css("#group-count").text, "1 of 8")
        self.assertEqual(driver.switch_to.active_element.get_attribute("data-action"), "remove",
                         "the focus stays in the list")
        studio.tap(studio.member_button(0, "remove"))
        studio.until(lambda: studio.css("#group").get_attribute("hidden") is not None,
                     "an empty group hidden")
        self.assertEqual(driver.switch_to.active_element.get_attribute("id"), "add-to-group")
        self.assert_no_console_errors(driver)

    def test_a_group_holds_eight_and_says_why_it_takes_no_ninth(self):
        driver = self.browser()
        studio = Studio(self, driver, self.base)
        studio.open()
        studio.choose_character(3)
        members = []
        for direction in range(8):
            studio.tap(studio.css(f".stage .turn[value='{direction}']"))
            members.append(studio.add_to_group())
        add = studio.css("#add-to-group")
        self.assertFalse(add.is_enabled())
        self.assertEqual(add.get_attribute("title"), "A group holds at most 8 characters.")
        studio.js("document.getElementById('add-to-group').click();")
        self.assertEqual(studio.group_size(), 8)
        self.assertEqual(studio.group_link()[1], members)
        self.assertEqual(studio.css("#live").text,
                         studio.css("#name").text + " added; the group is full.")
        studio.tap(studio.member_button(7, "remove"))
        studio.until(lambda: add.is_enabled(), "room for one more")
        self.assertEqual(studio.group_link()[1], members[:7])
        self.assert_no_console_errors(driver)

    def test_the_group_picture_loads(self):
        driver = self.browser()
        studio = Studio(self, driver, self.base)
        studio.open()
        studio.choose_character(1)
        studio.add_to_group()
        studio.show_character(2)
        studio.add_to_group()
        studio.until(lambda: studio.js("const p = document.getElementById('group-picture');"
                                       "return p.complete && p.naturalWidth > 0;"),
                     "the group picture to load")
        status, headers, _ = fetch(studio.css("#group-picture").get_attribute("src"))
        self.assertEqual((status, headers["Content-Type"]), (200, "image/png"))
        self.assertTrue(studio.css("#group-failed").get_attribute("hidden") is not None)

        # A tag typed, a mirror ticked and a gradient chosen: the download is pelto-cli's.
        studio.css("#members > li:nth-child(1) .membertag").send_keys("Nina")
        studio.tap(studio.css("#members > li:nth-child(2) .membermirror input"))
        studio.js("const b = document.getElementById('backdrop'); b.value = 'gradient';"
                  "b.dispatchEvent(new Event('change'));")
        studio.until(lambda: {"tag", "mirror", "backdrop"} <= set(query_params(
            urllib.parse.urlsplit(studio.value("group-link")).query)), "the group's new look")
        _, members = studio.group_link()
        with tempfile.TemporaryDirectory() as scratch:
            out = os.path.join(scratch, "group.png")
            subprocess.check_call(
                [ARGS.cli, "render", "--game", ARGS.game, "--format", "png", "--out", out,
                 "--scale", "3", "--tag", "Nina", "--tag", "", "--mirror", "2",
                 "--backdrop", "336699-99CCFF"] + [w for m in members for w in ("--code", m)])
            with open(out, "rb") as drawn:
                expected = drawn.read()
        status, _, body = fetch(studio.css("#group-download-png").get_attribute("href"))
        self.assertEqual((status, body), (200, expected))
        self.assert_no_console_errors(driver)

    def test_the_group_speaks_japanese(self):
        driver = self.browser("ja")
        studio = Studio(self, driver, self.base)
        studio.open()
        self.assertEqual(studio.css("#add-to-group").text, "グループに追加")
        self.assertEqual(studio.css("#add-to-group").get_attribute("title"),
                         "先にキャラクターを表示してください。")
        studio.choose_character(1)
        studio.add_to_group()
        self.assertEqual(studio.css("#group-title").text, "グループ")
        self.assertEqual(studio.member_button(0, "remove").get_attribute("aria-label"),
                         studio.css("#name").text + "(1番目)を外す")
        self.assertIn("グループに追加しました", studio.css("#live").text)
        self.assert_no_console_errors(driver)

    @unittest.skipUnless(os.environ.get("PELTO_STUDIO_TIMINGS"), "timings only when asked")
    def test_timings(self):
        driver = self.browser()
        studio = Studio(self, driver, self.base)
        studio.open()
        studio.choose_character(7)
        studio.tap(studio.css("#play"))  # the picture as people see it: animated

        def grid_open(slot):
            return driver.execute_async_script(
                "const done = arguments[arguments.length - 1];"
                "const grid = document.getElementById('grid');"
                "const start = performance.now();"
                "document.querySelector(`#slots .slot[data-slot='${arguments[0]}']`).click();"
                "(function wait() { if (grid.dataset.ready === '1') "
                "requestAnimationFrame(() => done(performance.now() - start));"
                "else setTimeout(wait, 1); })();", slot)
        cold = grid_open(1)
        count = len(driver.find_elements(studio.By.CSS_SELECTOR, "#grid .cell"))
        total = studio.css("#grid-count").text
        studio.css("#find").send_keys(studio.Keys.ESCAPE)
        warm = grid_open(1)
        studio.css("#find").send_keys(studio.Keys.ESCAPE)
        changes = driver.execute_async_script(
            "const done = arguments[arguments.length - 1];"
            "const picture = document.getElementById('picture');"
            "const level = document.querySelector(\"[data-color='2:1']\");"
            "const times = [];"
            "(async () => { for (let i = 0; i < 100; ++i) {"
            "  const old = picture.src; const start = performance.now();"
            "  level.value = String((Number(level.value) + 1) % 10);"
            "  level.dispatchEvent(new Event('change'));"
            "  await new Promise(r => { (function wait() {"
            "    if (picture.src !== old && picture.complete) r(); else setTimeout(wait, 1); })(); });"
            "  times.push(performance.now() - start); } done(times); })();")
        changes.sort()
        weight = sum(len(fetch(self.base + path)[2])
                     for path in ["/", "/page.css", "/page.js", "/service.js"])
        print(f"\ngrid open ({total}, {count} cells made): cold {cold:.0f} ms, warm {warm:.0f} ms;"
              f" click to new picture over 100 changes: p50 {statistics.median(changes):.0f} ms,"
              f" p95 {changes[94]:.0f} ms; page weight {weight} bytes", file=sys.stderr)


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--game", required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
