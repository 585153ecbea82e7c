#!/usr/bin/env python3
"""The studio in the browser measured in headless chromium on a full-size demo (scripts/bench-web
runs it): the app's compressed size, the folder chosen to the first picture, a click to the new
picture over 100 changes, the core's memory after them, and one picture drawn afresh in the page,
its sprites in memory.

Usage: bench_web.py --cli PELTO_CLI --app APP_FOLDER --game FULL_DEMO --codes FILE
FILE holds codes of distinct dressed characters, one a line (pelto_make_codes).
"""

import argparse
import gzip
import json
import os
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "browser"))
import local_studio_test as local  # noqa: E402

RUNS = 5
CHANGES = 100

CHANGE_SCRIPT = """
const done = arguments[arguments.length - 1];
const picture = document.getElementById('picture');
const level = document.querySelector("[data-color='2:1']");
const times = [];
(async () => {
  for (let i = 0; i < arguments[0]; ++i) {
    const old = picture.src, start = performance.now();
    level.value = String((Number(level.value) + 1) % 10);
    level.dispatchEvent(new Event('change'));
    await new Promise((ready) => (function wait() {
      if (picture.src !== old && picture.complete) ready(); else setTimeout(wait, 1);
    })());
    times.push(performance.now() - start);
  }
  done(times);
})();
"""

# The same character drawn afresh on another background each time: its sprites are in memory
# after the first, as the native benchmark's are, and no answer is cached.
FRESH_SCRIPT = """
const done = arguments[arguments.length - 1];
(async () => {
  const service = await import(new URL('local.js', document.baseURI));
  const draw = (background) => service.picture(service.renderUrl('png', {
    code: arguments[0], motion: 0, direction: 4, scale: 1, shadow: false, background }));
  await draw('000000');
  const times = [];
  for (let i = 1; i <= 50; ++i) {
    const start = performance.now();
    await draw((i * 4099).toString(16).padStart(6, '0').toUpperCase());
    times.push(performance.now() - start);
  }
  done({ times, memory: await service.memory() });
})();
"""


# Fetched only when a name tag is first drawn, so no part of opening the app.
LATER = {"ipag.ttf"}


def app_size(app, names=None):
    raw = packed = 0
    for name in os.listdir(app):
        if (name in LATER) != (names is not None) or (names and name not in names):
            continue
        with open(os.path.join(app, name), "rb") as file:
            data = file.read()
        raw += len(data)
        packed += len(gzip.compress(data, 9))
    return raw, packed


def run_once(base, game, code, fresh):
    downloads = tempfile.mkdtemp(prefix="pelto-bench-web-")
    driver, _ = local.start_browser("en", downloads)
    try:
        driver.get(base + local.fragment(code))
        wait = local.studio_test.Studio(None, driver, base).until
        wait(lambda: driver.find_element("id", "start").is_displayed(), "the first screen")
        chosen = time.monotonic()
        driver.find_element("id", "folder").send_keys(game)
        wait(lambda: driver.execute_script(
            "const p = document.getElementById('picture');"
            "return p.src.startsWith('blob:') && p.complete && p.naturalWidth > 0;"),
            "the first picture")
        first = time.monotonic() - chosen
        changes = sorted(driver.execute_async_script(CHANGE_SCRIPT, CHANGES))
        drawn = driver.execute_async_script(FRESH_SCRIPT, fresh)
        return first, changes, drawn
    finally:
        driver.quit()


def main():
    parser = argparse.ArgumentParser()
    for name in ["--cli", "--app", "--game", "--codes"]:
        parser.add_argument(name, required=True)
    args = parser.parse_args()
    with open(args.codes) as file:
        codes = file.read().split()
    app = os.path.abspath(args.app)
    server = local.AppServer(os.path.dirname(app))
    base = f"http://127.0.0.1:{server.port}/{os.path.basename(app)}/"
    raw, packed = app_size(app)
    firsts, p50s, p95s, fresh, memory = [], [], [], [], 0
    try:
        for _ in range(RUNS):
            first, changes, drawn = run_once(base, os.path.abspath(args.game), codes[0], codes[1])
            firsts.append(first * 1000)
            p50s.append(statistics.median(changes))
            p95s.append(changes[int(len(changes) * 0.95) - 1])
            fresh.append(statistics.mean(drawn["times"]))
            memory = max(memory, drawn["memory"])
    finally:
        server.stop()
    print(json.dumps({
        "app_bytes": raw, "app_gzip_bytes": packed,
        "tag_font_gzip_bytes": app_size(app, LATER)[1],
        "folder_to_first_picture_ms": round(statistics.median(firsts)),
        "click_to_picture_p50_ms": round(statistics.median(p50s), 1),
        "click_to_picture_p95_ms": round(statistics.median(p95s), 1),
        "core_memory_mib": round(memory / 2**20, 1),
        "fresh_picture_ms": round(statistics.median(fresh), 2),
        "runs": RUNS}))


if __name__ == "__main__":
    main()
