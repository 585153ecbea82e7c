#!/usr/bin/env bash
# A bundle and a layered .aseprite file of one dressed character, read back by readers of
# their own: Python's zipfile, and the npm package ase-parser against the bundle's frames.
# Usage: readers_test.sh PELTO_CLI MAKE_CODE DEMO_GAME PYTHON
set -euo pipefail
cli=$1 make_code=$2 game=$3 python=$4
here=$(cd "$(dirname "$0")" && pwd)
[[ -d $here/node_modules/ase-parser ]] ||
  { echo "FAIL no ase-parser: scripts/install-deps runs npm ci in tests/npm"; exit 1; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
code=$("$make_code" "$game" 1 1)
# Motions and directions in an order of their own: the engines' rows, the later motion first.
pose=(--game "$game" --code "$code" --shadow --motions 3,1 --directions engine --scale 2 --flip
      --crop body --delay 120)
tags=$(for m in 3 1; do for d in 4 3 2 1 0 7 6 5; do printf 'm%s-d%s,' $m $d; done; done)
"$cli" render "${pose[@]}" --format aseprite --out "$scratch/layers.aseprite"
"$cli" render "${pose[@]}" --format tbundle --layers --out "$scratch/bundle.zip"
"$cli" render --game "$game" --code "$code" --motion 1 --scope directions --format bundle \
  --out "$scratch/plain.zip"
status=0
"$python" "$here/bundle_zipfile_test.py" "$scratch/bundle.zip" || status=1
"$python" "$here/bundle_zipfile_test.py" "$scratch/plain.zip" || status=1
"$python" -m zipfile -e "$scratch/bundle.zip" "$scratch/bundle"
PELTO_TAGS=${tags%,} node "$here/aseprite_test.js" "$scratch/layers.aseprite" "$scratch/bundle/frames" 120 \
  --layers-png /tmp/aseprite-layers || status=1
exit $status
