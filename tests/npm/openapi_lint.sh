#!/usr/bin/env bash
# The API's description validated by swagger-parser (tests/npm/openapi_lint.js), and a copy of it
# with a dangling $ref refused, so that a validator that passes everything cannot pass here.
# Usage: openapi_lint.sh OPENAPI_JSON PYTHON
set -euo pipefail
description=$1 python=$2
here=$(cd "$(dirname "$0")" && pwd)
[[ -d $here/node_modules/@apidevtools/swagger-parser ]] ||
  { echo "FAIL no swagger-parser: scripts/install-deps runs npm ci in tests/npm"; exit 1; }
node "$here/openapi_lint.js" "$description"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$python" -c '
import json, sys
doc = json.load(open(sys.argv[1], encoding="utf-8"))
operation = next(iter(next(iter(doc["paths"].values())).values()))
operation["parameters"].append({"$ref": "#/components/parameters/Nothing"})
json.dump(doc, open(sys.argv[2], "w", encoding="utf-8"))
' "$description" "$scratch/broken.json"
if node "$here/openapi_lint.js" "$scratch/broken.json" >"$scratch/out" 2>&1; then
  echo "FAIL a description with a dangling \$ref passed: $(cat "$scratch/out")"
  exit 1
fi
echo "a dangling \$ref is refused: $(head -1 "$scratch/out")"
