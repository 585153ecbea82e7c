#!/usr/bin/env python3
"""A bot of the render service, with Python's standard library alone: dresses a character in
the items it is given, saves its picture and prints the link to share.

    examples/bot.py https://pelto.example 1001 2003 --chara 3 --out dressed.png

Each item's slot is looked up in /v1/items (a search "#ID" finds item ID); /v1/design.json puts
the items on the character and answers its code; /v1/render.png draws that code. The link
printed is the share page /c/CODE, whose preview is the same picture. With --key, every request
carries the deployment's API key (X-Api-Key), which a key file of its nginx may rate higher.
"""

import argparse
import json
import sys
import urllib.error
import urllib.parse
import urllib.request

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


class ServiceError(Exception):
    pass


class Service:
    def __init__(self, base, key=None, timeout=60):
        self.base = base.rstrip("/")
        self.key = key
        self.timeout = timeout

    def get(self, path, params=()):
        """The body of GET path?params; a refusal raises ServiceError with the service's message."""
        url = self.base + path
        if params:
            url += "?" + urllib.parse.urlencode(list(params))
        request = urllib.request.Request(url, headers={"User-Agent": "pelto-example-bot/1"})
        if self.key:
            request.add_header("X-Api-Key", self.key)
        try:
            with urllib.request.urlopen(request, timeout=self.timeout) as answer:
                return answer.read()
        except urllib.error.HTTPError as error:
            body = error.read()
            try:
                message = json.loads(body)["error"]
            except (ValueError, KeyError, TypeError):
                message = body[:200].decode("utf-8", "replace")
            raise ServiceError(f"{path}: {error.code} {message}") from None

    def slot_of(self, item):
        """The equipment slot (1..6) of item number ITEM."""
        found = json.loads(self.get("/v1/items", [("search", f"#{item}")]))
        for record in found:
            if record["id"] == item:
                if not 1 <= record["slot"] <= 6:
                    raise ServiceError(f"item {item} ({record['name']}) is not worn")
                return record["slot"]
        raise ServiceError(f"no item {item}")

    def dress(self, items, chara):
        """The design (/v1/design.json) of character CHARA wearing ITEMS."""
        params = [("chara", str(chara))]
        params += [("wear", f"{self.slot_of(item)}:{item}") for item in items]
        return json.loads(self.get("/v1/design.json", params))

    def picture(self, code, scale):
        return self.get("/v1/render.png", [("code", code), ("scale", str(scale))])

    def share_link(self, code):
        return f"{self.base}/c/{urllib.parse.quote(code, safe='')}"


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("base", help="the service's address, such as http://127.0.0.1:8080")
    parser.add_argument("items", nargs="+", type=int, help="item numbers to wear (up to six)")
    parser.add_argument("--chara", type=int, default=0, help="character 0..14 (default 0)")
    parser.add_argument("--scale", type=int, default=2, help="picture scale 1..8 (default 2)")
    parser.add_argument("--out", default="character.png", help="where the PNG goes")
    parser.add_argument("--key", help="an API key of the deployment, sent as X-Api-Key")
    args = parser.parse_args(argv)
    if len(args.items) > 6:
        parser.error("a character wears six items at most")

    service = Service(args.base, args.key)
    try:
        design = service.dress(args.items, args.chara)
        png = service.picture(design["code"], args.scale)
    except (ServiceError, urllib.error.URLError, OSError) as error:
        print(f"bot: {error}", file=sys.stderr)
        return 1
    if not png.startswith(PNG_SIGNATURE):
        print("bot: the service answered something other than a PNG", file=sys.stderr)
        return 1
    with open(args.out, "wb") as file:
        file.write(png)
    worn = ", ".join(item["name"] for item in design["items"])
    print(f"{design['name']} wearing {worn or 'nothing'}: saved {args.out}")
    print(service.share_link(design["code"]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
