#!/usr/bin/env python3
"""The service's OpenAPI description, checked both ways, with Python's standard library alone.

Usage: openapi_test.py --cli PELTO_CLI --game DEMO_GAME --description OPENAPI_JSON [unittest args]

The description's own shape is checked first (what 3.1 requires, every $ref, every parameter's
schema and meaning, an example request for every path); then every example is asked of a running
`pelto-cli serve` and its status, type and JSON body held to what the description says. That
every route the service answers is described is RenderServiceApiDescription's check (pelto_service_tests).
"""

import argparse
import html
import json
import os
import re
import select
import subprocess
import sys
import time
import unittest
import urllib.error
import urllib.parse
import urllib.request

ARGS = None
METHODS = {"get", "head", "options", "put", "post", "delete", "patch", "trace"}
# The part of JSON Schema the description uses; a keyword beyond it would go unchecked.
CHECKED = {"type", "properties", "required", "items", "enum", "minimum", "maximum", "minLength",
           "maxLength", "maxItems", "pattern", "$ref"}
ANNOTATIONS = {"description", "default", "example", "contentMediaType"}
MAGIC = {"image/png": b"\x89PNG\r\n\x1a\n", "image/gif": b"GIF8", "image/jpeg": b"\xff\xd8",
         "image/bmp": b"BM", "image/webp": b"RIFF"}


# The description's own $ref resolver, the one that writes /v1/docs from it.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
from api_docs import resolve  # noqa: E402


def schema_errors(doc, schema, value, where="$"):
    """What is wrong with value under schema, in the subset CHECKED; an empty list when nothing."""
    schema = resolve(doc, schema)
    kinds = {"object": dict, "array": list, "string": str, "boolean": bool}
    kind = schema.get("type")
    if kind == "integer":
        if isinstance(value, bool) or not isinstance(value, int):
            return [f"{where}: {value!r} is no integer"]
    elif kind == "number":
        if isinstance(value, bool) or not isinstance(value, (int, float)):
            return [f"{where}: {value!r} is no number"]
    elif kind is not None and not isinstance(value, kinds[kind]):
        return [f"{where}: {type(value).__name__} where {kind} is described"]
    errors = []
    if "enum" in schema and value not in schema["enum"]:
        errors.append(f"{where}: {value!r} is none of {schema['enum']}")
    if "minimum" in schema and value < schema["minimum"]:
        errors.append(f"{where}: {value} is below {schema['minimum']}")
    if "maximum" in schema and value > schema["maximum"]:
        errors.append(f"{where}: {value} is above {schema['maximum']}")
    if "minLength" in schema and len(value) < schema["minLength"]:
        errors.append(f"{where}: shorter than {schema['minLength']}")
    if "maxLength" in schema and len(value) > schema["maxLength"]:
        errors.append(f"{where}: longer than {schema['maxLength']}")
    if "pattern" in schema and not re.search(schema["pattern"], value):
        errors.append(f"{where}: {value!r} does not match {schema['pattern']}")
    if "maxItems" in schema and len(value) > schema["maxItems"]:
        errors.append(f"{where}: more than {schema['maxItems']} items")
    for name in schema.get("required", []):
        if name not in value:
            errors.append(f"{where}: {name} is missing")
    for name, sub in schema.get("properties", {}).items():
        if isinstance(value, dict) and name in value:
            errors += schema_errors(doc, sub, value[name], f"{where}.{name}")
    if "items" in schema and isinstance(value, list):
        for index, item in enumerate(value):
            errors += schema_errors(doc, schema["items"], item, f"{where}[{index}]")
    return errors


def operations(doc):
    for path, item in doc["paths"].items():
        for method, operation in item.items():
            if method in METHODS:
                yield path, method, operation


def template_regex(path):
    return re.compile("^" + re.sub(r"\\\{[^}]+\\\}", "[^?]+", re.escape(path)) + "$")


def media_type(content_type):
    return content_type.split(";")[0].strip().lower()


class SchemaChecker(unittest.TestCase):
    """The validator itself: a check that passes everything would prove nothing."""

    DOC = {"components": {"schemas": {"Cell": {"type": "object", "required": ["x"], "properties": {
        "x": {"type": "integer", "minimum": 0, "maximum": 3}}}}}}
    LIST = {"type": "array", "maxItems": 2, "items": {"$ref": "#/components/schemas/Cell"}}

    def test_refuses_what_its_keywords_rule_out(self):
        bad = [[{"x": 4}], [{}], [{"x": True}], [{"x": 1}] * 3, {"x": 1}, [{"x": "1"}]]
        for value in bad:
            self.assertTrue(schema_errors(self.DOC, self.LIST, value), value)
        self.assertTrue(schema_errors({}, {"type": "string", "pattern": "^[0-9]{2}$"}, "123"))
        self.assertTrue(schema_errors({}, {"enum": [0, 1]}, 2))

    def test_passes_what_they_allow(self):
        self.assertEqual(schema_errors(self.DOC, self.LIST, [{"x": 0}, {"x": 3, "y": 1}]), [])

    def test_a_ref_to_nowhere_is_an_error(self):
        with self.assertRaises(KeyError):
            resolve(self.DOC, {"$ref": "#/components/schemas/Nothing"})


class Description(unittest.TestCase):
    """The description's own shape, before anything is asked of the service."""

    @classmethod
    def setUpClass(cls):
        with open(ARGS.description, encoding="utf-8") as file:
            cls.doc = json.load(file)

    def test_has_what_openapi_3_1_requires(self):
        self.assertEqual(self.doc["openapi"], "3.1.0")
        self.assertTrue(self.doc["info"]["title"] and self.doc["info"]["version"])
        self.assertTrue(self.doc["paths"])
        ids = [operation["operationId"] for _, _, operation in operations(self.doc)]
        self.assertEqual(len(ids), len(set(ids)), "operationIds are unique")
        for path, method, operation in operations(self.doc):
            self.assertTrue(path.startswith("/v1/"), path)
            self.assertTrue(operation.get("summary") and operation.get("description"), path)
            self.assertTrue(any(code.startswith("2") for code in operation["responses"]), path)
            for code, response in operation["responses"].items():
                self.assertRegex(code, r"^[1-5][0-9][0-9]$", path)
                self.assertTrue(resolve(self.doc, response).get("description"), f"{path} {code}")

    def test_every_ref_resolves(self):
        def walk(node, where):
            if isinstance(node, dict):
                if "$ref" in node:
                    try:
                        resolve(self.doc, node)
                    except KeyError as error:
                        self.fail(f"{where}: {error}")
                for key, value in node.items():
                    walk(value, f"{where}/{key}")
            elif isinstance(node, list):
                for index, value in enumerate(node):
                    walk(value, f"{where}/{index}")
        walk(self.doc, "#")

    def test_every_parameter_has_a_schema_a_meaning_and_a_valid_example(self):
        for path, method, operation in operations(self.doc):
            names = set(re.findall(r"\{([^}]+)\}", path))
            in_path = set()
            for parameter in map(lambda p: resolve(self.doc, p), operation.get("parameters", [])):
                where = f"{path} {parameter.get('name')}"
                self.assertIn(parameter["in"], {"query", "path", "header"}, where)
                self.assertTrue(parameter.get("description"), where)
                self.assertIn("schema", parameter, where)
                self.assertIn("example", parameter, where)
                self.assertEqual(schema_errors(self.doc, parameter["schema"],
                                               parameter["example"]), [], where)
                if parameter["in"] == "path":
                    self.assertIs(parameter.get("required"), True, where)
                    in_path.add(parameter["name"])
            self.assertEqual(in_path, names, f"{path}: its template's parameters")

    def test_uses_only_the_schema_keywords_the_walk_checks(self):
        def walk(schema, where):
            schema = resolve(self.doc, schema)
            unknown = set(schema) - CHECKED - ANNOTATIONS
            self.assertFalse(unknown, f"{where}: {unknown}")
            for name, sub in schema.get("properties", {}).items():
                walk(sub, f"{where}.{name}")
            if "items" in schema:
                walk(schema["items"], f"{where}[]")
        for name, schema in self.doc["components"]["schemas"].items():
            walk(schema, name)
        for path, _, operation in operations(self.doc):
            for parameter in operation.get("parameters", []):
                walk(resolve(self.doc, parameter)["schema"], path)
            for code, response in operation["responses"].items():
                for media, body in resolve(self.doc, response).get("content", {}).items():
                    walk(body["schema"], f"{path} {code} {media}")

    def test_every_path_has_example_requests_of_its_documented_answers(self):
        for path, method, operation in operations(self.doc):
            examples = operation.get("x-examples")
            self.assertTrue(examples, path)
            self.assertTrue(any(e["status"] // 100 == 2 for e in examples), path)
            known = {resolve(self.doc, p)["name"] for p in operation.get("parameters", [])
                     if resolve(self.doc, p)["in"] == "query"}
            for example in examples:
                url = urllib.parse.urlsplit(example["url"])
                self.assertRegex(url.path, template_regex(path), example["url"])
                self.assertIn(str(example["status"]), operation["responses"], example["url"])
                if example["status"] // 100 == 2:
                    asked = {name for name, _ in urllib.parse.parse_qsl(url.query)}
                    self.assertLessEqual(asked, known, f"{example['url']}: undocumented")


def start_service(cli, game):
    """Starts the service on a free loopback port; returns the process and its base URL."""
    service = subprocess.Popen(
        [cli, "serve", "--game", game, "--listen", "127.0.0.1:0", "--threads", "2"],
        stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    deadline = time.monotonic() + 60
    while time.monotonic() < deadline:
        ready, _, _ = select.select([service.stdout], [], [], 0.5)
        if ready:
            match = re.match(r"listening on (http://[^\s]+)", service.stdout.readline())
            if match:
                return service, match.group(1)
        if service.poll() is not None:
            break
    service.kill()
    raise RuntimeError("the service did not start: " + service.stderr.read())


def fetch(url):
    try:
        with urllib.request.urlopen(url, timeout=60) as answer:
            return answer.status, answer.headers, answer.read()
    except urllib.error.HTTPError as error:
        return error.code, error.headers, error.read()


class Walk(unittest.TestCase):
    """Every example request asked of the service, its answer held to the description."""

    @classmethod
    def setUpClass(cls):
        with open(ARGS.description, encoding="utf-8") as file:
            cls.doc = json.load(file)
        cls.service, cls.base = start_service(ARGS.cli, ARGS.game)

    @classmethod
    def tearDownClass(cls):
        cls.service.terminate()
        cls.service.wait(timeout=30)
        cls.service.stdout.close()
        cls.service.stderr.close()

    def test_every_example_is_answered_as_described(self):
        for path, method, operation in operations(self.doc):
            for example in operation["x-examples"]:
                with self.subTest(url=example["url"]):
                    status, headers, body = fetch(self.base + example["url"])
                    self.assertEqual(status, example["status"], body[:200])
                    response = resolve(self.doc, operation["responses"][str(status)])
                    content = response.get("content", {})
                    media = media_type(headers.get("Content-Type", ""))
                    self.assertIn(media, content, f"{media} is not described")
                    self.assertEqual(headers.get("Access-Control-Allow-Origin"), "*")
                    if status == 200:
                        self.assertTrue(headers.get("ETag") or "ETag" not in
                                        response.get("headers", {}), "an ETag is described")
                    if media in MAGIC:
                        self.assertTrue(body.startswith(MAGIC[media]), f"not {media}")
                    elif media == "application/json":
                        errors = schema_errors(self.doc, content[media]["schema"],
                                               json.loads(body))
                        self.assertEqual(errors, [])
                    else:
                        self.assertEqual(schema_errors(self.doc, content[media]["schema"],
                                                       body.decode("utf-8")), [])

    def test_the_docs_page_is_served_under_the_page_policy_and_names_every_path(self):
        status, headers, body = fetch(self.base + "/v1/docs")
        self.assertEqual(status, 200)
        self.assertEqual(media_type(headers.get("Content-Type", "")), "text/html")
        policy = headers.get("Content-Security-Policy", "")
        self.assertTrue(policy.startswith("default-src 'self'"), policy)
        self.assertNotIn("unsafe-inline", policy)
        page = body.decode("utf-8")
        for path in self.doc["paths"]:
            self.assertIn(html.escape(path), page, "the page is of another description")
        status, headers, _ = fetch(self.base + "/docs.css")
        self.assertEqual((status, media_type(headers.get("Content-Type", ""))), (200, "text/css"))

    def test_the_description_served_is_the_one_beside_the_code(self):
        status, headers, body = fetch(self.base + "/v1/openapi.json")
        self.assertEqual(status, 200)
        self.assertTrue(json.loads(body) == self.doc, "the program holds another description")


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--game", required=True)
    parser.add_argument("--description", required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
