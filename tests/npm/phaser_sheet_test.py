#!/usr/bin/env python3
"""A sheet loaded by a real engine: Phaser (npm, served from a folder of this test, nothing
from elsewhere) in headless Debian chromium loads it (its directions in the engines' order, its
cells padded and their edges extruded) with load.aseprite, makes its animations
with anims.createFromAseprite, plays m1-d4, and tells the frames it shows.

Usage: phaser_sheet_test.py --cli PELTO_CLI --game DEMO_GAME --make-code MAKE_CODE"""
import argparse
import functools
import http.server
import json
import os
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "browser"))
from share_page_test import start_browser  # noqa: E402  the same headless chromium

PAGE = """<!doctype html><meta charset="utf-8"><link rel="icon" href="data:,"><body><script src="phaser.min.js"></script><script>
window.shown = [];
new Phaser.Game({type: Phaser.CANVAS, width: 300, height: 300, banner: false, audio: {noAudio: true},
  scene: {
    preload() { this.load.aseprite('chara', 'sheet.png', 'sheet.json'); },
    create() {
      const anims = this.anims.createFromAseprite('chara');
      window.tags = anims.map(a => a.key);
      const sprite = this.add.sprite(150, 150, 'chara');
      sprite.on('animationupdate', (anim, frame) => window.shown.push({
        anim: anim.key, name: frame.textureFrame, x: frame.frame.cutX, y: frame.frame.cutY,
        w: frame.frame.cutWidth, h: frame.frame.cutHeight, duration: frame.duration,
        originX: sprite.originX, originY: sprite.originY}));
      sprite.play({key: 'm1-d4', repeat: -1});
      window.started = {name: sprite.frame.name};
    }}});
</script>"""


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--game", required=True)
    parser.add_argument("--make-code", required=True)
    args = parser.parse_args()
    phaser = os.path.join(HERE, "node_modules", "phaser", "dist", "phaser.min.js")
    if not os.path.exists(phaser):
        print(f"FAIL no {phaser}: scripts/install-deps runs npm ci in tests/npm")
        return 1
    folder = tempfile.mkdtemp(prefix="pelto-phaser-")
    code = subprocess.check_output([args.make_code, args.game, "1", "1"], text=True).strip()
    subprocess.check_call([args.cli, "render", "--game", args.game, "--code", code, "--motion", "1",
                           "--directions", "engine", "--padding", "2", "--extrude", "1", "--shadow",
                           "--delay", "100", "--frame-names", "index", "--format", "tsheet", "--out", os.path.join(folder, "sheet.png")])
    os.symlink(phaser, os.path.join(folder, "phaser.min.js"))
    with open(os.path.join(folder, "index.html"), "w") as page:
        page.write(PAGE)
    with open(os.path.join(folder, "sheet.json")) as sheet:
        sheet = json.load(sheet)
    tag = next(t for t in sheet["meta"]["frameTags"] if t["name"] == "m1-d4")
    want = [str(i) for i in range(tag["from"], tag["to"] + 1)]

    class Quiet(http.server.SimpleHTTPRequestHandler):
        def log_message(self, *_):
            pass

    handler = functools.partial(Quiet, directory=folder)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    driver, _ = start_browser()
    failures = []
    try:
        driver.get(f"http://127.0.0.1:{server.server_port}/index.html")
        deadline = time.monotonic() + 60
        shown = []
        while time.monotonic() < deadline:
            shown = driver.execute_script("return window.shown") or []
            if len(shown) >= 2 * len(want):
                break
            time.sleep(0.2)
        tags = driver.execute_script("return window.tags") or []
        if tags != [t["name"] for t in sheet["meta"]["frameTags"]]:
            failures.append(f"animations {tags}")
        names = [s["name"] for s in shown]
        # From the first frame on, the tag's frames in order, over and over.
        start = driver.execute_script("return window.started")
        sequence = [start["name"]] + names
        if sequence[:2 * len(want)] != (want * 2)[:2 * len(want)]:
            failures.append(f"frames shown {sequence[:2 * len(want)]}, not {want} twice")
        for s in shown:
            cell = sheet["frames"][s["name"]]
            if (s["x"], s["y"], s["w"], s["h"]) != tuple(cell["frame"][k] for k in "xywh"):
                failures.append(f"frame {s['name']} shows {s}, not its cell {cell['frame']}")
            if s["duration"] != 100:
                failures.append(f"frame {s['name']} lasts {s['duration']}")
            if (s["originX"], s["originY"]) != (cell["pivot"]["x"], cell["pivot"]["y"]):
                failures.append(f"the sprite's origin {s['originX']}, {s['originY']} is not the pivot")
        errors = [e for e in driver.get_log("browser") if e["level"] == "SEVERE"]
        if errors:
            failures.append(f"console errors {errors}")
        driver.save_screenshot("/tmp/phaser-sheet.png")
    finally:
        driver.quit()
        server.shutdown()
    for failure in failures[:10]:
        print("FAIL " + failure)
    print(f"{len(failures)} failures" if failures else f"ok: {len(shown)} frames shown of {want}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
