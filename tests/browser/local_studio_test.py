#!/usr/bin/env python3
"""The studio in the browser alone (the WebAssembly build's app folder) in headless Debian
chromium, driven by Selenium.

Usage: local_studio_test.py --cli PELTO_CLI --app APP_FOLDER [unittest args]

A plain static server serves the app folder's parent, so the app runs from a path below the
root as on any static host, and logs every path asked. The full demo installation (written by
PELTO_CLI) is opened through the folder button from the folder above it; a character is dressed
through the controls, each step checked against `pelto-cli code` and the picture shown against
what `pelto-cli serve` draws, every download against `pelto-cli render` with the same options.
Then the page is reloaded with the server gone, and finds itself and the character again.
PELTO_LOCAL_SHOTS names a folder for screenshots (default /tmp/local-studio-shots);
(scripts/bench-web measures it.)
"""

import argparse
import base64
import functools
import http.server
import json
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import urllib.parse

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import studio_test  # noqa: E402
from share_page_test import fetch, start_service  # noqa: E402

ARGS = None
REPOSITORY = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
WAIT_SECONDS = 60
SEED = studio_test.SEED
STILL = studio_test.STILL
APP_FILES = {"", "index.html", "page.css", "page.js", "service.js", "local.js", "worker.js",
             "sw.js", "pelto-web.js", "pelto-web.wasm", "page.ja.json", "manifest.webmanifest",
             "icon-192.png", "icon-512.png", "ipag.ttf"}
# What every download of a character is, as `pelto-cli render` takes it beside the pose.
DOWNLOADS = [("png", ["--format", "png", "--frame", "1"], ["pelto-1.png"]),
             ("tpng", ["--format", "tpng", "--frame", "1"], ["pelto-1-transparent.png"]),
             ("gif", ["--format", "gif"], ["pelto-1.gif"]),
             ("apng", ["--format", "apng"], ["pelto-1-animated.png"]),
             ("webp", ["--format", "webp"], ["pelto-1.webp"]),
             ("sheet", ["--format", "sheet"], ["pelto-1-sheet.png", "pelto-1-sheet.json"]),
             ("bundle", ["--format", "bundle"], ["pelto-1.zip"]),
             ("aseprite", ["--format", "aseprite"], ["pelto-1.aseprite"])]


class AppServer:
    """A plain static server on loopback that keeps every path it is asked for."""

    def __init__(self, root, port=0):
        self.root, self.asked = root, []
        keep = self.asked

        class Handler(http.server.SimpleHTTPRequestHandler):
            def log_message(self, *args):
                keep.append(urllib.parse.urlsplit(self.path).path)

        self.server = http.server.ThreadingHTTPServer(
            ("127.0.0.1", port), functools.partial(Handler, directory=root))
        self.port = self.server.server_address[1]
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def stop(self):
        self.server.shutdown()
        self.server.server_close()


def start_browser(language, downloads):
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    options = webdriver.ChromeOptions()
    options.binary_location = (os.environ.get("PELTO_CHROMIUM") or shutil.which("chromium")
                               or "/usr/bin/chromium")
    profile = tempfile.mkdtemp(prefix="pelto-local-")
    for flag in ["--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                 "--no-first-run", "--disable-background-networking", "--disable-sync",
                 "--window-size=1280,900", f"--lang={language}", f"--user-data-dir={profile}"]:
        options.add_argument(flag)
    options.add_experimental_option("prefs", {
        "intl.accept_languages": language, "download.default_directory": downloads,
        "download.prompt_for_download": False,
        # The sheet is two files from one click.
        "profile.default_content_setting_values.automatic_downloads": 1})
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    driver_path = (os.environ.get("PELTO_CHROMEDRIVER") or shutil.which("chromedriver")
                   or "/usr/bin/chromedriver")
    driver = webdriver.Chrome(service=Service(executable_path=driver_path), options=options)
    driver.set_script_timeout(WAIT_SECONDS)
    driver.execute_cdp_cmd("Browser.setDownloadBehavior",
                           {"behavior": "allow", "downloadPath": downloads})
    return driver, profile


def fragment(code, motion=0, direction=4):
    return f"#c={urllib.parse.quote(code, safe='')}&m={motion}&d={direction}"


class Local(studio_test.Studio):
    """The studio's steps of the hosted test, checked against the local page."""

    def __init__(self, test, driver, app, service, downloads):
        super().__init__(test, driver, app)
        self.service, self.downloads = service, downloads
        self.api = service

    def open(self, path=""):
        self.driver.get(self.base + path)
        self.until(lambda: self.css("#start").is_displayed(), "the first screen")

    def open_folder(self, folder):
        self.css("#folder").send_keys(folder)

    def opened(self):
        self.until(lambda: self.css("#studio").is_displayed(), "the studio")

    def refused(self):
        self.until(lambda: self.css("#start-error").is_displayed(), "the refusal")
        return self.css("#start-error").text

    def atlas(self, group, slot):
        return json.loads(fetch(f"{self.service}/atlas/{group}/{slot}.json")[2])

    def shown(self, id_):
        """The bytes the image Id shows, read back from its object URL."""
        data = self.driver.execute_async_script(
            "const done = arguments[arguments.length - 1];"
            "const image = document.getElementById(arguments[0]);"
            "if (!image.complete || !image.naturalWidth) { done(null); return; }"
            "fetch(image.src).then(r => r.blob()).then(b => { const f = new FileReader();"
            "f.onload = () => done(f.result.split(',')[1]); f.readAsDataURL(b); })"
            ".catch(() => done(null));", id_)
        return base64.b64decode(data) if data else None

    def expect(self, code, what):
        """The code box and the address hold Code; the picture is `pelto-cli serve`'s."""
        self.until(lambda: self.value("code") == code, f"the code of {what}")
        self.until(lambda: self.js("return location.hash") == fragment(code),
                   f"the address of {what}")
        self.expect_picture(code, what)
        self.code = code

    def expect_picture(self, code, what):
        url = self.service + "/render.png?code=" + urllib.parse.quote(code, safe="") + STILL
        status, _, body = fetch(url)
        self.test.assertEqual(status, 200)
        self.until(lambda: self.shown("picture") == body, f"the picture of {what}")

    def download(self, button):
        """Clicks Button; gives {name: bytes} of the files it downloaded."""
        for name in os.listdir(self.downloads):
            os.remove(os.path.join(self.downloads, name))
        self.css(button).click()
        self.until(lambda: self.css(button).is_enabled() and os.listdir(self.downloads) and not any(
            name.endswith(".crdownload") for name in os.listdir(self.downloads)), button)
        time.sleep(0.3)  # a second file of the same click
        files = {}
        for name in os.listdir(self.downloads):
            with open(os.path.join(self.downloads, name), "rb") as file:
                files[name] = file.read()
        return files


class LocalStudioTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="pelto-local-studio-")
        # The game one level below the folder chosen, beside folders that are not the game's.
        cls.chosen = os.path.join(cls.work, "Games")
        cls.game = os.path.join(cls.chosen, "Wonderland")
        subprocess.run([ARGS.cli, "demo", "--out", cls.game, "--scale", "full"], check=True,
                       stdout=subprocess.DEVNULL)
        os.makedirs(os.path.join(cls.chosen, "Notes", "deep", "data"))
        with open(os.path.join(cls.chosen, "Notes", "deep", "data", "Item.Dat"), "w") as file:
            file.write("not the game's")
        cls.not_game = os.path.join(cls.work, "NotAGame")
        for part in ["jma/a.jma", "pic/b.BMg"]:
            os.makedirs(os.path.dirname(os.path.join(cls.not_game, part)), exist_ok=True)
            open(os.path.join(cls.not_game, part), "w").close()
        studio_test.ARGS = argparse.Namespace(cli=ARGS.cli, game=cls.game)
        cls.native, cls.service = start_service(ARGS.cli, cls.game)
        app = os.path.abspath(ARGS.app)
        cls.server = AppServer(os.path.dirname(app))
        cls.base = f"http://127.0.0.1:{cls.server.port}/{os.path.basename(app)}/"
        cls.shots = os.environ.get("PELTO_LOCAL_SHOTS", "/tmp/local-studio-shots")
        os.makedirs(cls.shots, exist_ok=True)

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()
        cls.native.terminate()
        cls.native.wait(timeout=10)
        shutil.rmtree(cls.work, ignore_errors=True)

    def browser(self, language="en"):
        downloads = tempfile.mkdtemp(prefix="pelto-downloads-", dir=self.work)
        driver, profile = start_browser(language, downloads)
        self.addCleanup(shutil.rmtree, profile, ignore_errors=True)
        self.addCleanup(driver.quit)
        return driver, downloads

    def studio(self, language="en"):
        driver, downloads = self.browser(language)
        return Local(self, driver, self.base, self.service, downloads)

    def shot(self, studio, name, width):
        """A screenshot of the whole page at Width."""
        studio.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": width, "height": 900, "deviceScaleFactor": 1, "mobile": width < 600})
        height = studio.js("return document.documentElement.scrollHeight")
        studio.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": width, "height": height, "deviceScaleFactor": 1, "mobile": width < 600})
        studio.driver.save_screenshot(os.path.join(self.shots, name + ".png"))
        studio.driver.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})

    def assert_no_console_errors(self, driver):
        errors = [e for e in driver.get_log("browser") if e["level"] == "SEVERE"]
        self.assertEqual(errors, [], "console errors")

    def render(self, name, code, *options):
        """What `pelto-cli render --out NAME` writes for Code and Options: {name: bytes}."""
        out = tempfile.mkdtemp(dir=self.work)
        subprocess.run([ARGS.cli, "render", "--game", self.game, *options,
                        "--out", os.path.join(out, name)] + (["--code", code] if code else []),
                       check=True)
        files = {}
        for made in os.listdir(out):
            with open(os.path.join(out, made), "rb") as file:
                files[made] = file.read()
        return files

    def test_dressed_downloaded_and_found_again_offline(self):
        studio = self.studio()
        t, driver = self, studio.driver
        studio.open()
        self.assertIn("never leave this computer", studio.css("#start-intro").text)
        self.assertEqual(studio.css("label[for=folder]").text, "Open game folder")
        self.assertFalse(studio.css("#share").is_displayed(), "no studio before the game")
        self.shot(studio, "local-1280-en-first", 1280)
        self.shot(studio, "local-390-en-first", 390)

        studio.open_folder(self.not_game)
        self.assertEqual(studio.refused(), "This folder has no data/Item.Dat.")
        self.assertFalse(studio.css("#share").is_displayed())
        studio.open_folder(self.chosen)
        studio.opened()
        self.assertEqual(studio.css("#start-status").text, "Game folder: Games/Wonderland")
        self.assertFalse(studio.css("#start-error").is_displayed())

        # Dressed through the controls, each step as the command line makes it.
        studio.choose_character(1)
        for slot in range(1, 7):
            (studio.wear_by_search if slot % 2 else studio.wear_by_keys)(1, slot)
        studio.set_level(1, 2, 2)
        coloured = studio.code
        one_back = subprocess.check_output([ARGS.cli, "code", "--game", self.game, coloured,
                                            "--color", "1:4,4,5"], text=True).strip()
        studio.tap(studio.css("#undo"))
        studio.expect(one_back, "undo")
        studio.keys(studio.Keys.CONTROL, studio.Keys.SHIFT, "z")
        studio.expect(coloured, "redo by key")
        driver.back()
        studio.expect(one_back, "back")
        driver.forward()
        studio.expect(coloured, "forward")
        for lock in ["[data-lock='1']", "[data-lock='color0']"]:
            studio.tap(studio.css(lock))
        studio.js("Math.random = () => 0.25;")
        studio.tap(studio.css("#random-outfit"))
        studio.edit("a random outfit", "--random", str(SEED), "--vary", "items",
                    "--lock", "1,color0")
        code = studio.code
        self.assertEqual(studio.value("link"), self.base + fragment(code))
        self.shot(studio, "local-1280-en-dressed", 1280)
        self.shot(studio, "local-390-en-dressed", 390)

        # Favourites: saved, written as a settings file, deleted and read back.
        studio.css("#favorite-name").send_keys("Walker")
        studio.tap(studio.css("#save-favorite"))
        ini = studio.download("#export-favorites")["pelto.ini"].decode()
        t.assertIn("name=Walker", ini)
        studio.tap(studio.css("#favorite-list button[data-action='delete']"))
        studio.until(lambda: studio.css("#favorite-list").text == "No favorites yet.",
                     "the favourite deleted")
        path = os.path.join(self.work, "pelto.ini")
        with open(path, "w") as file:
            file.write(ini + "\n[Save4]\nname=Broken\nchara=99\n")
        studio.css("#import-favorites").send_keys(path)
        studio.until(lambda: "Left out as damaged: 4." in studio.css("#favorites-said").text,
                     "the import")
        t.assertEqual(studio.css("#favorite-list li").text.splitlines()[0], "1. Walker")

        # Every download of the character is what `pelto-cli render` writes.
        studio.tap(studio.css(".stage .turn[value='6']"))
        studio.tap(studio.css("#shadow"))
        from selenium.webdriver.support.ui import Select
        Select(studio.css("#scale")).select_by_value("2")
        studio.until(lambda: studio.js("return location.hash") ==
                     fragment(code, 0, 6) + "&scale=2&shadow=1", "the pose in the address")
        pose = ["--motion", "0", "--direction", "6", "--scale", "2", "--shadow"]
        for kind, options, names in DOWNLOADS:
            coloured = [] if options[1] in ("tpng", "aseprite") else ["--background", "FFFFFF"]
            expected = self.render(names[0], code, *options, *pose, *coloured)
            t.assertEqual(sorted(expected), sorted(names), kind)
            got = studio.download(f"#download-{kind}")
            t.assertEqual(sorted(got), sorted(names), kind)
            t.assertTrue(got == expected, kind + ": other bytes than the command line's")
        # The choices of a sheet, a bundle and a layered file, in the command line's words.
        for motion in ["0", "2"]:
            studio.css(f"#sheet-motions input[value='{motion}']").click()
        Select(studio.css("#sheet-directions")).select_by_value("engine")
        for name, pixels in [("padding", "2"), ("extrude", "1")]:
            studio.css(f"#sheet-{name}").clear()
            studio.css(f"#sheet-{name}").send_keys(pixels)
        chosen = ["--motions", "0,2", "--directions", "engine"]
        for kind, options, names in DOWNLOADS[5:]:
            padded = ["--padding", "2", "--extrude", "1"] if kind != "aseprite" else []
            coloured = [] if kind == "aseprite" else ["--background", "FFFFFF"]
            expected = self.render(names[0], code, *options, *pose, *coloured, *chosen, *padded)
            t.assertTrue(studio.download(f"#download-{kind}") == expected, kind + " as chosen")
        # A group's downloads are what `pelto-cli render` writes with several codes.
        studio.tap(studio.css("#add-to-group"))
        second = studio.show_character(3)
        studio.tap(studio.css("#add-to-group"))
        for kind in ["png", "gif"]:
            expected = self.render(f"pelto-group.{kind}", None, "--code", f"{code}~0~6",
                                   "--code", f"{second}~0~6", "--gap", "8", "--scale", "2",
                                   "--shadow", "--background", "FFFFFF", "--format", kind)
            t.assertTrue(studio.download(f"#group-download-{kind}") == expected, "group " + kind)
        # A tag, whose font comes when first drawn, on a picture of the player's own.
        tag = studio.css("#members > li:nth-child(1) .membertag")
        tag.send_keys("Nina")
        backdrop = os.path.join(REPOSITORY, "tests", "golden", "rocco_front.png")
        studio.js("document.getElementById('backdrop-picture').hidden = false;")
        studio.css("#backdrop-picture").send_keys(backdrop)
        studio.until(lambda: studio.css("#backdrop").get_attribute("value") == "picture",
                     "the picture to stand on")
        expected = self.render("pelto-group.png", None, "--code", f"{code}~0~6", "--code",
                               f"{second}~0~6", "--scale", "2", "--shadow", "--tag", "Nina",
                               "--backdrop", backdrop, "--format", "png")
        t.assertTrue(studio.download("#group-download-png") == expected, "tagged group png")
        tag.send_keys(studio.Keys.CONTROL, "a", studio.Keys.BACKSPACE)
        studio.tap(studio.css("#favorite-list button[data-action='show']"))
        studio.until(lambda: studio.value("code") == code, "the favourite shown")

        # Offline: the page and, once the folder is open again, the character come back.
        kept = studio.value("code")
        hash_ = studio.js("return location.hash")
        self.server.stop()
        try:
            driver.refresh()
            studio.until(lambda: studio.css("#start").is_displayed(), "the page offline")
            t.assertEqual(studio.css("#start-status").text,
                          "Open your game folder to see the character of this link.")
            studio.open_folder(self.chosen)
            studio.until(lambda: studio.value("code") == kept, "the character again")
            studio.until(lambda: studio.shown("picture") is not None, "the first picture")
            t.assertEqual(studio.js("return location.hash"), hash_)
            t.assertEqual([b.get_attribute("aria-pressed") for b in studio.driver.find_elements(
                studio.By.CSS_SELECTOR, "[data-lock='1'], [data-lock='color0']")],
                ["true", "true"], "the locks kept")
            t.assertEqual(studio.css("#favorite-list li").text.splitlines()[0], "1. Walker")
        finally:
            type(self).server = AppServer(self.server.root, self.server.port)
        folder = os.path.basename(os.path.abspath(ARGS.app))
        asked = {path[len(folder) + 2:] for path in self.server.asked}
        t.assertLessEqual(asked, APP_FILES, "the server was asked only for the app's files")
        self.assert_no_console_errors(driver)

    def test_in_japanese_at_390_px_by_touch(self):
        studio = self.studio("ja")
        studio.open()
        self.assertEqual(studio.js("return document.documentElement.lang"), "ja")
        self.assertEqual(studio.css("label[for=folder]").text, "ゲームフォルダーを開く")
        self.shot(studio, "local-1280-ja-first", 1280)
        self.shot(studio, "local-390-ja-first", 390)
        studio_test.StudioTest.phone(self, studio.driver)
        studio.open_folder(self.not_game)
        self.assertEqual(studio.refused(), "このフォルダーには data/Item.Dat がありません。",
                         "the program's own message, in Japanese")
        studio.open_folder(self.chosen)
        studio.opened()
        self.assertEqual(studio.css("#start-status").text,
                         "ゲームフォルダー: Games/Wonderland")
        studio.choose_character(7)
        studio.wear_by_keys(3, 2)
        studio.tap(studio.css("[data-lock='color1']"))
        studio.js("Math.random = () => 0.25;")
        studio.tap(studio.css("#random-colors"))
        studio.edit("random colours", "--random", str(SEED), "--vary", "colors", "--lock",
                    "color1")
        self.assertEqual(studio.css("#download-sheet").text, "シートと JSON")
        self.assertEqual(studio.css("#favorites-title").text, "お気に入り")
        studio_test.StudioTest.assert_phone_layout(self, studio)
        self.shot(studio, "local-390-ja-dressed", 390)
        self.shot(studio, "local-1280-ja-dressed", 1280)
        self.assert_no_console_errors(studio.driver)

    def test_trying_on_and_swatches(self):
        for language, width in [("en", 1280), ("ja", 390)]:
            with self.subTest(language=language, width=width):
                studio = self.studio(language)
                studio.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
                    "width": width, "height": 900, "deviceScaleFactor": 1, "mobile": width < 600})
                studio.open()
                studio.open_folder(self.chosen)
                studio.opened()
                studio.try_on_and_swatches(os.path.join(self.shots, f"local-tryon-{width}-{language}"))
                self.assert_no_console_errors(studio.driver)

    def test_a_dropped_folder_of_100000_files_opens_without_the_page_stalling(self):
        big = os.path.join(self.work, "Big")
        shutil.copytree(self.game, os.path.join(big, "Wonderland"), copy_function=os.link)
        for album in range(100):
            folder = os.path.join(big, "Photos", f"album{album:03}")
            os.makedirs(folder)
            for photo in range(1000):
                open(os.path.join(folder, f"{photo:04}.jpg"), "w").close()
        studio = self.studio()
        studio.open()
        studio.js("window.gaps = []; let last = performance.now();"
                  "(function frame(now) { gaps.push(now - last); last = now;"
                  "  requestAnimationFrame(frame); })(last);")
        data = {"items": [], "files": [big], "dragOperationsMask": 1}
        for kind in ["dragEnter", "dragOver", "drop"]:
            studio.driver.execute_cdp_cmd("Input.dispatchDragEvent",
                                          {"type": kind, "x": 400, "y": 300, "data": data})
        studio.opened()
        self.assertEqual(studio.css("#start-status").text, "Game folder: Big/Wonderland")
        self.assertLess(max(studio.js("return gaps")), 250, "the longest frame, in ms")
        self.assert_no_console_errors(studio.driver)

    def test_an_archive_past_2_gib_is_read_only_as_far_as_drawing_asks(self):
        # The biggest item archive grown past 2^31 bytes (sparse, beyond its own data): sizes
        # past 32 bits in the page's file system, and no archive read whole.
        big = os.path.join(self.work, "Huge", "Wonderland")
        shutil.copytree(self.game, big, copy_function=os.link)
        archives = [os.path.join(big, "jma", name) for name in os.listdir(os.path.join(big, "jma"))
                    if name.endswith(".jma")]
        largest = max(archives, key=os.path.getsize)
        os.remove(largest)
        shutil.copyfile(os.path.join(self.game, "jma", os.path.basename(largest)), largest)
        os.truncate(largest, (2 << 30) + (1 << 20))
        studio = self.studio()
        studio.open()
        started = time.monotonic()
        studio.open_folder(os.path.dirname(big))
        studio.opened()
        self.assertLess(time.monotonic() - started, 20, "seconds to open: nothing read whole")
        studio.choose_character(5)
        studio.js("Math.random = () => 0.25;")
        studio.tap(studio.css("#random-outfit"))
        studio.edit("a random outfit", "--random", str(SEED), "--vary", "items")
        self.assert_no_console_errors(studio.driver)

    def test_a_new_version_takes_over_at_the_next_start_and_says_so(self):
        root = tempfile.mkdtemp(dir=self.work)
        app = shutil.copytree(ARGS.app, os.path.join(root, "app"))
        server = AppServer(root)
        self.addCleanup(server.stop)
        driver, _ = self.browser()
        base = f"http://127.0.0.1:{server.port}/app/"
        caches = ("const done = arguments[arguments.length - 1];"
                  "navigator.serviceWorker.ready.then(() => caches.keys()).then(done);")
        driver.get(base)
        first = driver.execute_async_script(caches)
        self.assertEqual(len(first), 1)
        # A new build: its service worker names another version.
        worker = os.path.join(app, "sw.js")
        with open(worker) as file:
            text = file.read()
        with open(worker, "w") as file:
            file.write(text.replace(first[0][len("pelto-"):], "next"))
        driver.refresh()
        wait = studio_test.Studio(self, driver, base).until
        wait(lambda: driver.find_element("id", "update").is_displayed(), "the word of it")
        self.assertEqual(driver.find_element("id", "update").text, "A new version of the studio "
                         "is ready: it takes over the next time the studio is opened.")
        self.assertTrue(driver.execute_async_script(
            "const done = arguments[arguments.length - 1];"
            "navigator.serviceWorker.getRegistration().then(r => done(!!r.waiting));"),
            "the new version waits while the old one serves")
        # The next start: the tab closed, the studio opened in another.
        old = driver.current_window_handle
        driver.switch_to.new_window("tab")
        new = driver.current_window_handle
        driver.switch_to.window(old)
        driver.close()
        driver.switch_to.window(new)
        # Once the old tab is gone the new version takes over, seen from a page it does not serve.
        driver.get(f"http://127.0.0.1:{server.port}/")
        wait(lambda: driver.execute_async_script(
            "const done = arguments[arguments.length - 1];"
            "navigator.serviceWorker.getRegistration('app/').then(r => done(!r.waiting));"),
            "the old version to let go")
        driver.get(base)
        wait(lambda: driver.execute_async_script(caches) == ["pelto-next"], "the new version")
        self.assertFalse(driver.find_element("id", "update").is_displayed())


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--app", required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
