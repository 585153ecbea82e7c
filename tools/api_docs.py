#!/usr/bin/env python3
"""Writes the API's documentation page, served at /v1/docs, from its OpenAPI description.

Usage: api_docs.py OPENAPI_JSON OUTPUT_HTML

The page is static HTML under the service's page policy: no script and no inline style, its
look in docs.css. Every text taken from the description is escaped, so the description may say
anything without it becoming markup. The output depends on the description alone, so a build
that has not changed it writes the same bytes.
"""

import html
import json
import re
import sys

METHODS = ("get", "head", "options", "put", "post", "delete", "patch", "trace")
STYLE_SHEET = "/docs.css"
NONE_HTML = '<span class="none">&mdash;</span>'


def text(value):
    """Value as escaped HTML text, quotes included, so it is safe in an attribute too."""
    return html.escape(str(value), quote=True)


def prose(value):
    """A description: escaped, then `code` spans set as code (backticks survive escaping)."""
    return re.sub(r"`([^`]+)`", r"<code>\1</code>", text(value))


def anchor(kind, name):
    """An id for an element: the name's letters and digits, the rest as "-"."""
    return kind + "-" + re.sub(r"[^A-Za-z0-9_]+", "-", str(name)).strip("-")


def resolve(doc, node):
    """Node with its local $ref followed, as often as it takes; an unknown one raises KeyError."""
    seen = set()
    while isinstance(node, dict) and "$ref" in node:
        ref = node["$ref"]
        if ref in seen or not ref.startswith("#/"):
            raise KeyError(f"unresolvable $ref {ref}")
        seen.add(ref)
        target = doc
        for part in ref[2:].split("/"):
            target = target[part.replace("~1", "/").replace("~0", "~")]
        node = target
    return node


def schema_name(node):
    """The name of the component schema node refers to, or None."""
    ref = node.get("$ref", "") if isinstance(node, dict) else ""
    prefix = "#/components/schemas/"
    return ref[len(prefix):] if ref.startswith(prefix) else None


def type_html(doc, schema):
    """What a schema holds, in a few words: a named schema as a link to its section."""
    name = schema_name(schema)
    if name:
        return f'<a href="#{anchor("schema", name)}">{text(name)}</a>'
    schema = resolve(doc, schema)
    kind = schema.get("type")
    if isinstance(kind, list):
        kind = " or ".join(map(str, kind))
    if kind == "array" and "items" in schema:
        return "array of " + type_html(doc, schema["items"])
    if not kind and "enum" in schema:
        kind = "one of"
    words = text(kind or "any")
    if "contentMediaType" in schema:
        words += f" ({text(schema['contentMediaType'])})"
    return words


def json_text(value):
    return text(json.dumps(value, ensure_ascii=False))


def range_html(schema):
    """The values a schema allows beyond its type: bounds, lengths, counts, a pattern, a list."""
    parts = []
    low, high = schema.get("minimum"), schema.get("maximum")
    if low is not None and high is not None:
        parts.append(f"{text(low)}..{text(high)}")
    elif low is not None:
        parts.append(f"&ge; {text(low)}")
    elif high is not None:
        parts.append(f"&le; {text(high)}")
    if "minLength" in schema or "maxLength" in schema:
        parts.append(f"length {text(schema.get('minLength', 0))}..{text(schema.get('maxLength', ''))}")
    if "maxItems" in schema:
        parts.append(f"at most {text(schema['maxItems'])}")
    if "enum" in schema:
        parts.append(", ".join(f"<code>{json_text(v)}</code>" for v in schema["enum"]))
    if "pattern" in schema:
        parts.append(f"<code>{text(schema['pattern'])}</code>")
    return "; ".join(parts) or NONE_HTML


def parameters_html(doc, parameters):
    if not parameters:
        return '<p class="none">No parameters.</p>'
    rows = []
    for parameter in map(lambda p: resolve(doc, p), parameters):
        schema = resolve(doc, parameter.get("schema", {}))
        shown = schema.get("items", schema) if schema.get("type") == "array" else schema
        shown = resolve(doc, shown)
        required = ' <span class="required">required</span>' if parameter.get("required") else ""
        default = (f"<code>{json_text(schema['default'])}</code>" if "default" in schema
                   else NONE_HTML)
        example = (f"<code>{json_text(parameter['example'])}</code>" if "example" in parameter
                   else "")
        rows.append(
            "<tr>"
            f'<td class="name"><code>{text(parameter.get("name", ""))}</code>{required}</td>'
            f'<td>{text(parameter.get("in", ""))}</td>'
            f"<td>{type_html(doc, parameter.get('schema', {}))}</td>"
            f"<td>{range_html(shown)}</td>"
            f"<td>{default}</td>"
            f"<td>{prose(parameter.get('description', ''))}"
            + (f"<br>Example: {example}" if example else "") + "</td></tr>")
    return ("<table><thead><tr><th>Name</th><th>In</th><th>Type</th><th>Values</th>"
            "<th>Default</th><th>Description</th></tr></thead><tbody>\n"
            + "\n".join(rows) + "\n</tbody></table>")


def responses_html(doc, responses):
    rows = []
    for status, response in responses.items():
        response = resolve(doc, response)
        bodies = [f"<code>{text(media)}</code>: {type_html(doc, body.get('schema', {}))}"
                  for media, body in response.get("content", {}).items()]
        headers = [f"<code>{text(name)}</code>" for name in response.get("headers", {})]
        body = "<br>".join(bodies) or NONE_HTML.replace("&mdash;", "no body")
        rows.append(
            f'<tr><td class="name">{text(status)}</td>'
            f"<td>{prose(response.get('description', ''))}</td>"
            f"<td>{body}</td><td>{', '.join(headers) or NONE_HTML}</td></tr>")
    return ("<table><thead><tr><th>Status</th><th>Meaning</th><th>Body</th><th>Headers</th>"
            "</tr></thead><tbody>\n" + "\n".join(rows) + "\n</tbody></table>")


def example_link(url):
    """A link for a request of this service only: a path of its own, no other site or scheme."""
    url = str(url)
    if url.startswith("/") and not url.startswith("//") and "\\" not in url:
        return f'<a href="{text(url)}">{text(url)}</a>'
    return f"<code>{text(url)}</code>"


def examples_html(examples):
    if not examples:
        return ""
    items = [f'<li>{example_link(e.get("url", ""))} <span class="status">&rarr; '
             f'{text(e.get("status", ""))}</span></li>' for e in examples]
    return ('<h3>Example requests</h3>\n<ul class="examples">\n' + "\n".join(items) + "\n</ul>")


def operations(doc):
    for path, item in doc.get("paths", {}).items():
        for method in METHODS:
            if method in item:
                yield path, method, item, item[method]


def operation_html(doc, path, method, item, operation):
    parameters = list(item.get("parameters", [])) + list(operation.get("parameters", []))
    ident = anchor("op", operation.get("operationId") or f"{method} {path}")
    return "\n".join([
        f'<section class="operation" id="{ident}">',
        f'<h2><span class="method">{text(method.upper())}</span> '
        f'<span class="path">{text(path)}</span></h2>',
        f'<p class="summary">{prose(operation.get("summary", ""))}</p>',
        f"<p>{prose(operation.get('description', ''))}</p>",
        "<h3>Parameters</h3>", parameters_html(doc, parameters),
        "<h3>Responses</h3>", responses_html(doc, operation.get("responses", {})),
        examples_html(operation.get("x-examples", [])),
        "</section>"])


def schema_html(doc, name, schema):
    schema = resolve(doc, schema)
    summary = type_html(doc, {"type": schema["type"]} if "type" in schema else schema)
    if "description" in schema:
        summary += ": " + prose(schema["description"])
    lines = [f'<section class="schema" id="{anchor("schema", name)}">',
             f'<h2><span class="path">{text(name)}</span></h2>', f"<p>{summary}</p>"]
    properties = schema.get("properties", {})
    if properties:
        required = set(schema.get("required", []))
        rows = []
        for prop, sub in properties.items():
            shown = resolve(doc, sub)
            mark = ' <span class="required">required</span>' if prop in required else ""
            rows.append(f'<tr><td class="name"><code>{text(prop)}</code>{mark}</td>'
                        f"<td>{type_html(doc, sub)}</td><td>{range_html(shown)}</td>"
                        f"<td>{prose(shown.get('description', ''))}</td></tr>")
        lines.append("<table><thead><tr><th>Member</th><th>Type</th><th>Values</th>"
                     "<th>Description</th></tr></thead><tbody>\n" + "\n".join(rows)
                     + "\n</tbody></table>")
    elif schema.get("type") == "array" and "items" in schema:
        lines.append(f"<p>Each: {type_html(doc, schema['items'])}</p>")
    lines.append("</section>")
    return "\n".join(lines)


def page(doc):
    """The whole page for a parsed description."""
    info = doc.get("info", {})
    title = info.get("title", "API")
    contents = [f'<li><a href="#{anchor("op", op.get("operationId") or f"{m} {p}")}">'
                f'{text(m.upper())} <span class="path">{text(p)}</span></a> '
                f'&mdash; {prose(op.get("summary", ""))}</li>'
                for p, m, _, op in operations(doc)]
    schemas = doc.get("components", {}).get("schemas", {})
    if schemas:
        contents.append('<li><a href="#schemas">The bodies of answers</a></li>')
    parts = [
        "<!DOCTYPE html>",
        '<html lang="en">',
        "<head>",
        '<meta charset="utf-8">',
        '<meta name="viewport" content="width=device-width, initial-scale=1">',
        f"<title>{text(title)}: API</title>",
        '<link rel="icon" href="data:,">',
        f'<link rel="stylesheet" href="{STYLE_SHEET}">',
        "</head>",
        "<body>",
        "<header>",
        f"<h1>{text(title)}</h1>",
        f"<p>API version {text(info.get('version', ''))}, OpenAPI {text(doc.get('openapi', ''))}"
        ' (<a href="/v1/openapi.json">the description as JSON</a>)</p>',
        f"<p>{prose(info.get('description', ''))}</p>",
        "<nav><ul>", *contents, "</ul></nav>",
        "</header>",
        "<main>",
        *(operation_html(doc, *entry) for entry in operations(doc)),
    ]
    if schemas:
        parts.append('<h2 id="schemas">The bodies of answers</h2>')
        parts += [schema_html(doc, name, schema) for name, schema in schemas.items()]
    parts += ["</main>", "</body>", "</html>", ""]
    return "\n".join(parts)


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    with open(argv[1], encoding="utf-8") as file:
        doc = json.load(file)
    with open(argv[2], "w", encoding="utf-8", newline="\n") as file:
        file.write(page(doc))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
