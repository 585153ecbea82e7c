#!/usr/bin/env python3
"""The generator of /v1/docs (tools/api_docs.py) on descriptions made to trip it, and on ours.

Usage: api_docs_test.py --generator API_DOCS_PY --description OPENAPI_JSON [unittest args]
"""

import argparse
import html.parser
import importlib
import os
import json
import sys
import unittest

ARGS = None
HOSTILE = "<script>alert(1)</script>"


def load_generator(path):
    sys.path.insert(0, os.path.dirname(os.path.abspath(path)))
    return importlib.import_module(os.path.splitext(os.path.basename(path))[0])


class Markup(html.parser.HTMLParser):
    """What a browser would see of a page: its elements, attributes and text."""

    def __init__(self, page):
        super().__init__(convert_charrefs=True)
        self.tags, self.links, self.ids, self.text = [], [], [], []
        self.feed(page)

    def handle_starttag(self, tag, attrs):
        self.tags.append((tag, dict(attrs)))
        attrs = dict(attrs)
        if tag == "a" and "href" in attrs:
            self.links.append(attrs["href"])
        if "id" in attrs:
            self.ids.append(attrs["id"])

    def handle_data(self, data):
        self.text.append(data)


def hostile_description():
    """A description whose every string a page takes is markup or a way out of an attribute."""
    return {
        "openapi": "3.1.0",
        "info": {"title": HOSTILE, "version": '1"><b>', "description": "see `<img src=x>`"},
        "paths": {
            "/v1/x<y>": {"get": {
                "operationId": 'op"><script>',
                "summary": HOSTILE,
                "description": HOSTILE,
                "parameters": [{"name": "p<q>", "in": "query", "description": HOSTILE,
                                "schema": {"type": "string", "enum": [HOSTILE],
                                           "default": HOSTILE, "pattern": "<b>"},
                                "example": HOSTILE}],
                "x-examples": [{"url": '/v1/x?a="><script>', "status": 200},
                               {"url": "javascript:alert(1)", "status": 200},
                               {"url": "//elsewhere.example/x", "status": 200}],
                "responses": {"200": {"description": HOSTILE, "headers": {HOSTILE: {}},
                                      "content": {HOSTILE: {"schema": {
                                          "$ref": "#/components/schemas/E<v>"}}}}},
            }},
        },
        "components": {"schemas": {"E<v>": {"type": "object", "description": HOSTILE,
                                            "properties": {HOSTILE: {"type": "string"}}}}},
    }


class Escaping(unittest.TestCase):
    """Nothing in a description becomes markup, a script, a style or a link elsewhere."""

    @classmethod
    def setUpClass(cls):
        cls.page = load_generator(ARGS.generator).page(hostile_description())
        cls.markup = Markup(cls.page)

    def test_no_string_of_the_description_becomes_an_element(self):
        tags = {tag for tag, _ in self.markup.tags}
        self.assertNotIn("script", tags)
        self.assertNotIn("img", tags)
        self.assertNotIn("b", tags)
        self.assertNotIn("<script", self.page.lower())

    def test_the_strings_still_read_as_written(self):
        text = "".join(self.markup.text)
        self.assertIn(HOSTILE, text)
        self.assertIn("/v1/x<y>", text)
        self.assertIn("p<q>", text)
        self.assertIn("<img src=x>", text, "a code span keeps its text")

    def test_attributes_hold_what_they_were_given_and_no_more(self):
        for _, attrs in self.markup.tags:
            self.assertFalse({"onerror", "onclick", "style"} & set(attrs), attrs)
        self.assertIn('/v1/x?a="><script>', self.markup.links)
        for ident in self.markup.ids:
            self.assertRegex(ident, r"^[A-Za-z0-9_-]+$")

    def test_only_requests_of_this_service_become_links(self):
        for link in self.markup.links:
            self.assertTrue(link.startswith(("/", "#")) and not link.startswith("//"), link)
        text = "".join(self.markup.text)
        self.assertIn("javascript:alert(1)", text, "shown, not linked")
        self.assertIn("//elsewhere.example/x", text)

    def test_links_within_the_page_reach_an_element_of_it(self):
        for link in self.markup.links:
            if link.startswith("#"):
                self.assertIn(link[1:], self.markup.ids, link)


class OurDescription(unittest.TestCase):
    """The page of the description the service is built with lists all it says."""

    @classmethod
    def setUpClass(cls):
        with open(ARGS.description, encoding="utf-8") as file:
            cls.doc = json.load(file)
        generator = load_generator(ARGS.generator)
        cls.page = generator.page(cls.doc)
        cls.markup = Markup(cls.page)
        cls.text = "".join(cls.markup.text)
        cls.resolve = staticmethod(lambda node: generator.resolve(cls.doc, node))

    def test_every_path_method_and_parameter_is_listed(self):
        for path, item in self.doc["paths"].items():
            for method, operation in item.items():
                self.assertIn(f"{method.upper()} {path}", self.text)
                self.assertIn(operation["summary"], self.text)
                for parameter in map(self.resolve, operation.get("parameters", [])):
                    self.assertIn(parameter["name"], self.text, path)
                    self.assertIn(parameter["description"], self.text, path)

    def test_ranges_and_defaults_are_shown(self):
        # Motion 0..18 default 0, scale 1..8: the numbers a caller most needs.
        scale = self.doc["components"]["parameters"]["Scale"]["schema"]
        self.assertIn(f"{scale['minimum']}..{scale['maximum']}", self.text)
        cells = [data.strip() for data in self.markup.text]
        self.assertIn('"FFFFFF"', cells, "the background's default")

    def test_every_example_request_is_a_link(self):
        for item in self.doc["paths"].values():
            for operation in item.values():
                for example in operation.get("x-examples", []):
                    self.assertIn(example["url"], self.markup.links)

    def test_every_response_and_error_body_is_listed(self):
        for path, item in self.doc["paths"].items():
            for operation in item.values():
                for status, response in operation["responses"].items():
                    self.assertIn(self.resolve(response)["description"], self.text,
                                  f"{path} {status}")
        self.assertIn("schema-Error", self.markup.ids)
        self.assertIn("#schema-Error", self.markup.links)

    def test_needs_nothing_the_page_policy_refuses(self):
        tags = {tag for tag, _ in self.markup.tags}
        self.assertFalse({"script", "style", "iframe", "object"} & tags)
        for _, attrs in self.markup.tags:
            self.assertNotIn("style", attrs)
            self.assertFalse(any(name.startswith("on") for name in attrs), attrs)
        sheets = [attrs["href"] for tag, attrs in self.markup.tags
                  if tag == "link" and attrs.get("rel") == "stylesheet"]
        self.assertEqual(sheets, ["/docs.css"])


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--generator", required=True)
    parser.add_argument("--description", required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
