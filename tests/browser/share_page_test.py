#!/usr/bin/env python3
"""The share page of `pelto-cli serve` in headless Debian chromium, driven by Selenium.

Usage: share_page_test.py --cli PELTO_CLI --make-code MAKE_CODE --game DEMO_GAME [unittest args]

A browser that cannot start is a failure, never a skip: the page would go untested unnoticed.
PELTO_CHROMIUM and PELTO_CHROMEDRIVER name another browser and driver than those on the PATH.
"""

import argparse
import json
import os
import re
import select
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.error
import urllib.parse
import urllib.request

ARGS = None
SHOTS = "/tmp/share-shots"
INVALID = "AAAA"
# How long the page may take to get where a test waits for it. Generous: on a loaded machine the
# service renders and the browser paints slowly, and a wait ends as soon as its condition holds.
WAIT_SECONDS = 90


def start_service(cli, game):
    """Starts the service on a free loopback port; returns the process and its base URL."""
    service = subprocess.Popen(
        [cli, "serve", "--game", game, "--listen", "127.0.0.1:0"],
        stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    deadline = time.monotonic() + 60
    while time.monotonic() < deadline:
        ready, _, _ = select.select([service.stdout], [], [], 0.5)
        if ready:
            line = service.stdout.readline()
            match = re.match(r"listening on (http://[^\s]+)", line)
            if match:
                return service, match.group(1)
        if service.poll() is not None:
            break
    service.kill()
    raise RuntimeError("the service did not start: " + service.stderr.read())


def start_browser():
    try:
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
    except ImportError as error:
        raise RuntimeError(f"Selenium is missing for {sys.executable} ({error}); "
                           "scripts/install-deps installs python3-selenium") from error
    browser = os.environ.get("PELTO_CHROMIUM") or shutil.which("chromium") or "/usr/bin/chromium"
    driver_path = (os.environ.get("PELTO_CHROMEDRIVER") or shutil.which("chromedriver")
                   or "/usr/bin/chromedriver")
    options = webdriver.ChromeOptions()
    options.binary_location = browser
    profile = tempfile.mkdtemp(prefix="pelto-chromium-")
    for flag in ["--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                 "--no-first-run", "--disable-background-networking",
                 "--disable-component-update", "--disable-sync", "--disable-quic",
                 "--window-size=1280,900", f"--user-data-dir={profile}"]:
        options.add_argument(flag)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    try:
        driver = webdriver.Chrome(service=Service(executable_path=driver_path), options=options)
    except Exception as error:
        shutil.rmtree(profile, ignore_errors=True)
        reason = getattr(error, "msg", None) or str(error)
        raise RuntimeError(f"headless chromium ({browser}, driver {driver_path}) cannot start: "
                           f"{reason}; scripts/install-deps installs chromium and "
                           "chromium-driver") from None
    driver.set_page_load_timeout(WAIT_SECONDS)
    driver.set_script_timeout(WAIT_SECONDS)
    return driver, profile


def fetch(url):
    try:
        with urllib.request.urlopen(url, timeout=WAIT_SECONDS) as answer:
            return answer.status, answer.headers, answer.read()
    except urllib.error.HTTPError as error:
        return error.code, error.headers, error.read()


def query_of(url):
    return dict(urllib.parse.parse_qsl(urllib.parse.urlsplit(url).query))


class SharePageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.code = subprocess.check_output(
            [ARGS.make_code, ARGS.game, "3", "1"], text=True).strip()
        cls.service, cls.base = start_service(ARGS.cli, ARGS.game)
        try:
            cls.driver, cls.profile = start_browser()
        except Exception:
            cls.service.terminate()
            cls.service.wait()
            raise
        from selenium.common.exceptions import (NoSuchElementException,
                                                StaleElementReferenceException, TimeoutException)
        from selenium.webdriver.common.by import By
        from selenium.webdriver.common.keys import Keys
        from selenium.webdriver.support.ui import WebDriverWait
        cls.By, cls.Keys, cls.Wait = By, Keys, WebDriverWait
        cls.TimeoutException = TimeoutException
        # While the page is replaced or redrawn, an element may be gone for a moment.
        cls.Passing = (NoSuchElementException, StaleElementReferenceException)
        status, _, body = fetch(cls.base + "/code/" + urllib.parse.quote(cls.code, safe="") +
                                ".json")
        assert status == 200, body
        cls.summary = json.loads(body)

    @classmethod
    def tearDownClass(cls):
        cls.driver.quit()
        shutil.rmtree(cls.profile, ignore_errors=True)
        cls.service.terminate()
        cls.service.wait(timeout=10)

    def setUp(self):
        self.driver.get_log("browser")  # what earlier tests left
        self.driver.set_window_size(1280, 900)

    # Helpers

    def share_url(self, query=""):
        return self.base + "/c/" + urllib.parse.quote(self.code, safe="") + query

    def element(self, id_):
        return self.driver.find_element(self.By.ID, id_)

    def open_share(self, query=""):
        self.driver.get(self.share_url(query))
        # The script has taken over once it has said what plays.
        self.wait_for(lambda d: self.element("frame").text != "", "the script to start")

    def wait_for(self, condition, what, seconds=WAIT_SECONDS):
        return self.Wait(self.driver, seconds, poll_frequency=0.1,
                         ignored_exceptions=self.Passing).until(condition, f"waiting for {what}")

    def wait_equal(self, actual, expected, what):
        """Waits until actual() is expected; fails showing the last value if it never is."""
        last = []

        def holds(_):
            last[:] = [actual()]
            return last[0] == expected
        try:
            self.wait_for(holds, what)
        except self.TimeoutException:
            self.assertEqual(last[0] if last else None, expected, what)

    def picture_src(self):
        return self.element("picture").get_attribute("src")

    def wait_direction(self, direction):
        self.wait_equal(lambda: query_of(self.picture_src()).get("direction"), str(direction),
                        f"direction {direction} in the picture's URL")
        self.wait_equal(lambda: query_of(self.element("link").get_attribute("value")).get(
            "direction", "4"), str(direction), "the link")
        self.wait_equal(lambda: query_of(self.driver.current_url).get("direction", "4"),
                        str(direction), "the address")

    def assert_no_console_errors(self, allowed=()):
        errors = [entry for entry in self.driver.get_log("browser")
                  if entry["level"] == "SEVERE"
                  and not any(pattern in entry["message"] for pattern in allowed)]
        self.assertEqual(errors, [], "console errors")

    # Tests

    def test_the_page_opens_on_the_code_with_the_services_render(self):
        self.open_share()
        src = self.picture_src()
        self.assertTrue(src.startswith(self.base + "/render.apng?"), src)
        params = query_of(src)
        self.assertEqual(params["code"], self.summary["code"])
        self.assertEqual((params["direction"], params["scale"]), ("4", "3"))
        self.wait_for(lambda d: d.execute_script(
            "const p = document.getElementById('picture'); return p.complete && p.naturalWidth;"),
            "the picture to load")
        self.assertEqual(self.driver.execute_script(
            "return document.getElementById('picture').naturalWidth"), 384)
        # What the browser shows is what the service renders for that URL.
        status, headers, body = fetch(src)
        self.assertEqual((status, headers["Content-Type"]), (200, "image/png"))
        length, head = self.driver.execute_script(
            "return fetch(arguments[0]).then(r => r.arrayBuffer()).then(b => "
            "[b.byteLength, Array.from(new Uint8Array(b).slice(0, 4096))]);", src)
        self.assertEqual((length, bytes(head)), (len(body), body[:4096]))
        self.wait_equal(lambda: self.driver.title, self.summary["name"] + " · PELTO in Wonderland",
                        "the title")
        self.assert_no_console_errors()

    def test_direction_buttons_and_arrow_keys_turn_the_character(self):
        self.open_share()
        self.driver.find_element(self.By.CSS_SELECTOR, ".stage .turn[value='6']").click()
        self.wait_direction(6)
        self.wait_equal(lambda: self.driver.find_element(
            self.By.CSS_SELECTOR, ".stage .turn[value='6']").get_attribute("aria-pressed"), "true",
            "the pressed button")
        actions = self.driver.switch_to.active_element
        actions.send_keys(self.Keys.ARROW_LEFT)
        self.wait_direction(5)
        self.driver.switch_to.active_element.send_keys(self.Keys.ARROW_RIGHT)
        self.driver.switch_to.active_element.send_keys(self.Keys.ARROW_RIGHT)
        self.wait_direction(7)
        self.wait_for(lambda d: "facing back-right" in
                      self.element("picture").get_attribute("alt").lower(), "the picture's text")

        # The copied link opens the page as it was left.
        link = self.element("link").get_attribute("value")
        self.assertEqual(link, self.driver.current_url)
        self.driver.execute_cdp_cmd("Browser.grantPermissions", {
            "origin": self.base, "permissions": ["clipboardReadWrite", "clipboardSanitizedWrite"]})
        self.element("copy").click()
        self.wait_for(lambda d: self.element("copied").text == "Link copied.", "the copy")
        self.wait_equal(lambda: self.driver.execute_script("return navigator.clipboard.readText()"),
                        link, "the link on the clipboard")
        # Where the clipboard API is refused (no permission, an insecure origin), the page
        # copies the selected link instead.
        self.driver.execute_script(
            "return navigator.clipboard.writeText('').then(() => {"
            "navigator.clipboard.writeText = () => Promise.reject(new Error('denied'));"
            "document.getElementById('copied').textContent = ''; });")
        self.element("copy").click()
        self.wait_for(lambda d: self.element("copied").text == "Link copied.", "the copy")
        self.wait_equal(lambda: self.driver.execute_script("return navigator.clipboard.readText()"),
                        link, "the link on the clipboard")
        self.driver.get(link)
        self.wait_for(lambda d: self.element("frame").text != "", "the script to start")
        self.wait_equal(lambda: query_of(self.picture_src()).get("direction"), "7",
                        "the direction of the opened link")
        self.assert_no_console_errors()

    def test_motion_play_and_frame_steps_show_single_frames(self):
        self.open_share("?motion=1")
        self.wait_equal(lambda: self.element("motion").get_attribute("value"), "1", "the motion")
        self.element("play").click()
        self.wait_for(lambda d: "/render.png?" in self.picture_src(), "a still frame")
        self.assertEqual(query_of(self.picture_src())["frame"], "1")
        count = self.summary["frames"][1][4]
        self.assertGreater(count, 1, "motion 1 walks")
        self.element("next").click()
        self.wait_for(lambda d: query_of(self.picture_src()).get("frame") == "2", "frame 2")
        self.element("previous").click()
        self.element("previous").click()
        self.wait_for(lambda d: query_of(self.picture_src()).get("frame") == str(count),
                      "the last frame")
        self.wait_equal(lambda: self.element("frame").text, f"Frame {count} of {count}",
                        "the frame's text")
        self.wait_equal(lambda: query_of(self.element("download-png").get_attribute("href")).get(
            "frame"), str(count), "the frame of the download")
        self.element("transparent").click()
        self.wait_for(lambda d: "/render.tpng?" in self.picture_src(), "a transparent frame")
        self.wait_for(lambda d: "background=transparent" in
                      self.element("link").get_attribute("value"), "the transparent link")
        self.element("play").click()
        self.wait_for(lambda d: "/render.tapng?" in self.picture_src(), "the animation")
        self.assert_no_console_errors()

    def test_a_code_typed_into_the_empty_page_shows_the_character(self):
        self.driver.get(self.base + "/")
        self.assertFalse(self.element("viewer").is_displayed())
        box = self.element("code")
        box.send_keys(self.code + self.Keys.ENTER)
        self.wait_for(lambda d: self.element("viewer").is_displayed(), "the character")
        self.wait_equal(lambda: query_of(self.picture_src()).get("code"), self.summary["code"],
                        "the code in the picture's URL")
        self.wait_equal(lambda: urllib.parse.urlsplit(self.driver.current_url).path,
                        "/c/" + urllib.parse.quote(self.summary["code"], safe=""), "the address")
        self.wait_equal(lambda: len(self.driver.find_elements(self.By.CSS_SELECTOR,
                                                              "#itemlist > li")),
                        len(self.summary["items"]), "the item list")
        self.wait_for(lambda d: "/render.gif?" in (
            self.element("download-gif").get_attribute("href") or ""), "the GIF download")
        self.assert_no_console_errors()

    def test_an_invalid_code_shows_the_message_and_the_page_keeps_working(self):
        self.open_share()
        before = self.picture_src()
        box = self.element("code")
        box.clear()
        box.send_keys(INVALID + self.Keys.ENTER)
        self.wait_for(lambda d: self.element("message").is_displayed(), "the message")
        self.wait_equal(lambda: self.element("message").text, "Invalid code error.", "the message")
        self.assertEqual(self.picture_src(), before, "the character shown stays")
        self.driver.find_element(self.By.CSS_SELECTOR, ".stage .turn[value='2']").click()
        self.wait_direction(2)
        box = self.element("code")
        box.clear()
        box.send_keys(self.code)
        self.element("show").click()
        self.wait_for(lambda d: not self.element("message").is_displayed(), "the message to go")
        # The browser reports the refused code's 400 itself; nothing else may be wrong.
        self.assert_no_console_errors(allowed=["/code/" + INVALID + ".json"])

    def test_the_item_list_is_what_the_code_holds(self):
        self.open_share()

        def shown():
            return [{
                "id": int(row.get_attribute("data-id")),
                "name": row.find_element(self.By.CLASS_NAME, "name").text,
                "icon": next((urllib.parse.urlsplit(img.get_attribute("src")).path
                              for img in row.find_elements(self.By.TAG_NAME, "img")), None),
                "bonuses": [b.get_attribute("textContent")
                            for b in row.find_elements(self.By.CSS_SELECTOR, ".bonuses li")],
            } for row in self.driver.find_elements(self.By.CSS_SELECTOR, "#itemlist > li")]
        expected = [{key: item.get(key) for key in ("id", "name", "icon", "bonuses")}
                    for item in self.summary["items"]]
        self.assertTrue(expected, "the code wears something")
        self.wait_equal(shown, expected, "the item list")
        self.wait_for(lambda d: d.execute_script(
            "return Array.from(document.querySelectorAll('#itemlist img'))"
            ".every(i => i.complete && i.naturalWidth > 0)"), "every icon to load")
        self.assert_no_console_errors()

    def test_without_a_script_the_page_shows_the_character_and_its_form_works(self):
        self.driver.execute_cdp_cmd("Emulation.setScriptExecutionDisabled", {"value": True})
        try:
            self.driver.get(self.share_url("?motion=1"))
            self.wait_for(lambda d: self.picture_src().startswith(self.base + "/render.apng?"),
                          "the picture")
            self.assertFalse(self.element("copy").is_displayed(), "copying needs the script")
            names = [e.text for e in self.driver.find_elements(self.By.CSS_SELECTOR,
                                                               "#itemlist .name")]
            self.assertEqual(names, [item["name"] for item in self.summary["items"]])
            self.driver.find_element(self.By.CSS_SELECTOR, ".stage .turn[value='6']").click()
            self.wait_for(lambda d: query_of(self.picture_src()).get("direction") == "6",
                          "the next page")
            self.wait_equal(lambda: query_of(self.picture_src()).get("motion"), "1",
                            "the motion the form kept")
        finally:
            self.driver.execute_cdp_cmd("Emulation.setScriptExecutionDisabled", {"value": False})
        self.assert_no_console_errors()

    def test_screenshots_at_desktop_and_phone_width(self):
        os.makedirs(SHOTS, exist_ok=True)
        self.open_share()
        self.wait_for(lambda d: d.execute_script(
            "return Array.from(document.images).every(i => i.complete)"), "the pictures")
        self.driver.save_screenshot(os.path.join(SHOTS, "desktop-1280.png"))
        self.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": 390, "height": 844, "deviceScaleFactor": 1, "mobile": True})
        try:
            self.driver.get(self.share_url())
            self.wait_for(lambda d: self.element("frame").text != "", "the script to start")
            self.wait_for(lambda d: d.execute_script(
                "return Array.from(document.images).every(i => i.complete)"), "the pictures")
            self.assertLessEqual(self.driver.execute_script(
                "return document.documentElement.scrollWidth"), 390, "no sideways scrolling")
            self.driver.save_screenshot(os.path.join(SHOTS, "phone-390.png"))
            height = self.driver.execute_script("return document.documentElement.scrollHeight")
            self.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
                "width": 390, "height": height, "deviceScaleFactor": 1, "mobile": True})
            self.driver.save_screenshot(os.path.join(SHOTS, "phone-390-full.png"))
        finally:
            self.driver.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})
        self.driver.get(self.base + "/")
        self.driver.save_screenshot(os.path.join(SHOTS, "empty-1280.png"))
        self.assert_no_console_errors()


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--make-code", required=True)
    parser.add_argument("--game", required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
