#!/usr/bin/env python3
"""examples/bot.py against a running `pelto-cli serve` on the demo game.

Usage: bot_test.py --cli PELTO_CLI --game DEMO_GAME --bot BOT_PY [unittest args]
"""

import argparse
import os
import subprocess
import sys
import tempfile
import unittest
import urllib.parse

from openapi_test import fetch, start_service

ARGS = None
PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


class Bot(unittest.TestCase):
    """What a bot's author copies: the code it makes must be the picture and the link it shares."""

    @classmethod
    def setUpClass(cls):
        cls.service, cls.base = start_service(ARGS.cli, ARGS.game)
        cls.scratch = tempfile.TemporaryDirectory()

    @classmethod
    def tearDownClass(cls):
        cls.service.terminate()
        cls.service.wait(timeout=30)
        cls.service.stdout.close()
        cls.service.stderr.close()
        cls.scratch.cleanup()

    def run_bot(self, *args):
        return subprocess.run([sys.executable, ARGS.bot, self.base, *args], capture_output=True,
                              text=True, timeout=60)

    def test_dresses_saves_the_picture_and_prints_a_link_that_resolves(self):
        out = os.path.join(self.scratch.name, "dressed.png")
        # A cap, a top and a weapon: three slots looked up, worn by one character.
        run = self.run_bot("1001", "2003", "3001", "--chara", "0", "--out", out, "--key", "k")
        self.assertEqual(run.returncode, 0, run.stderr)
        with open(out, "rb") as file:
            png = file.read()
        self.assertTrue(png.startswith(PNG_SIGNATURE))
        link = run.stdout.strip().splitlines()[-1]
        self.assertTrue(link.startswith(self.base + "/c/"), link)
        status, headers, page = fetch(link)
        self.assertEqual(status, 200, page[:200])
        self.assertIn("text/html", headers.get("Content-Type", ""))
        # The link's code is the picture's: the service draws the same bytes for it.
        code = urllib.parse.unquote(link[len(self.base + "/c/"):])
        status, _, drawn = fetch(self.base + "/v1/render.png?"
                                 + urllib.parse.urlencode({"code": code, "scale": 2}))
        self.assertEqual((status, drawn), (200, png))
        _, _, undressed = fetch(self.base + "/v1/render.png?"
                                + urllib.parse.urlencode({"code": "AQAB6QMcB_R6Z9g", "scale": 2}))
        self.assertNotEqual(png, undressed)

    def test_a_refusal_is_told_and_nothing_saved(self):
        out = os.path.join(self.scratch.name, "none.png")
        for items in (["99999"], ["1001", "--chara", "99"]):
            run = self.run_bot(*items, "--out", out)
            self.assertEqual(run.returncode, 1, items)
            self.assertIn("bot:", run.stderr)
            self.assertFalse(os.path.exists(out), items)


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--game", required=True)
    parser.add_argument("--bot", required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
