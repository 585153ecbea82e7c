#!/usr/bin/env bash
# The keypad's digits turn the character in a real X11 session, as an X server sends them with
# NumLock on: Qt's offscreen platform matches keys another way than X11's key mapping does.
# usage: keypad_x11_test.sh VIEWER PELTO_CLI
set -euo pipefail
viewer=$1
cli=$2
work=$(mktemp -d)
server=""
cleanup() {
  [[ -n ${viewer_pid:-} ]] && kill "$viewer_pid" 2>/dev/null || true
  [[ -n $server ]] && kill "$server" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

"$cli" demo --out "$work/game" >/dev/null
code=$("$cli" code --game "$work/game" --chara 3 | tail -1)

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
server=$!
for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
export DISPLAY=":$(head -1 "$work/display")"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY

# KEY, then the direction the character faces once the viewer has ended.
facing_after() {
  printf '[pelto]\nwlopath=%s/game/\nlastcode=%s\nlastmotion=0\nlastdirection=4\n' \
    "$work" "$code" >"$work/pelto.ini"
  "$viewer" --settings "$work/pelto.ini" >"$work/viewer.log" 2>&1 &
  viewer_pid=$!
  window=$(xdotool search --sync --onlyvisible --name "PELTO in Wonderland" | head -1)
  xdotool windowfocus --sync "$window"
  sleep 0.5 # the window takes the focus it is given
  xdotool key "$1"
  sleep 0.3
  xdotool key ctrl+q
  wait "$viewer_pid"
  viewer_pid=""
  sed -n 's/^lastdirection=//p' "$work/pelto.ini"
}

xdotool key Num_Lock # the server starts with NumLock off
failed=0
# The keypad's place of each digit: 4 at the left, 8 at the top, 3 at the bottom right.
for case in "KP_4 2" "KP_8 0" "KP_3 5" "Left 3"; do
  read -r key want <<<"$case"
  got=$(facing_after "$key")
  if [[ $got == "$want" ]]; then
    echo "ok: $key faces $got"
  else
    echo "FAILED: $key faces '$got', not $want"
    failed=1
  fi
done
exit $failed
