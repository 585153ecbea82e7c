#!/usr/bin/env bash
# nginx from Debian with deploy/nginx.conf in front of two render service instances on loopback
# ports: a repeated request is a cache HIT, and with one instance killed every request still
# succeeds. Arguments: nginx, pelto-cli, pelto_make_codes, the game folder, deploy/nginx.conf.
#
# The instances are processes of that pelto-cli unless PELTO_INSTANCES names a file that defines
# them otherwise (tests/deploy/container_instances.sh runs them in containers); it is sourced
# once the functions below are defined and may replace them:
#   start_instance N PORT   starts instance N (1 or 2) on 127.0.0.1:PORT, 0 for any free port
#   instance_output N       what instance N has written on standard output so far
#   kill_instance N         kills instance N at once (SIGKILL) and waits for its end
#   stop_instances          ends every instance still running, for the clean-up
set -euo pipefail
nginx=$1 cli=$2 make_codes=$3 game=$4 config=$5

work=$(mktemp -d)
chmod 755 "$work"
declare -A pids=()
start_instance() {
  "$cli" serve --game "$game" --listen "127.0.0.1:$2" --threads 1 >"$work/instance$1.out" &
  pids[$1]=$!
}
instance_output() { cat "$work/instance$1.out" 2>/dev/null; }
kill_instance() {
  kill -KILL "${pids[$1]}"
  wait "${pids[$1]}" 2>/dev/null || true
}
stop_instances() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
if [[ -n ${PELTO_INSTANCES:-} ]]; then
  # shellcheck source=/dev/null
  source "$PELTO_INSTANCES"
fi

cleanup() {
  [[ -f $work/nginx.pid ]] && kill "$(cat "$work/nginx.pid")" 2>/dev/null
  stop_instances
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

start_instance 1 0
start_instance 2 0
port_of() {
  for _ in $(seq 300); do
    instance_output "$1" | grep -q '^listening on ' && break
    sleep 0.1
  done
  instance_output "$1" | sed -n 's/^listening on http:\/\/127.0.0.1://p'
}
port1=$(port_of 1)
port2=$(port_of 2)
[[ -n $port1 && -n $port2 ]] || fail "the instances did not start"

# A free port for nginx, which cannot pick one itself: the kernel's pick, released again.
listen=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
sed -e "s|@PREFIX@|$work|g" -e "s|@PORT1@|$port1|g" -e "s|@PORT2@|$port2|g" \
  -e "s|@LISTEN@|$listen|g" -e "s|@RATE@|${PELTO_NGINX_RATE:-100000r/s}|g" \
  -e "s|@BURST@|${PELTO_NGINX_BURST:-100000}|g" "$config" >"$work/nginx.conf"
"$nginx" -p "$work" -c "$work/nginx.conf" -e "$work/error.log" -g 'daemon on;'
front=http://127.0.0.1:$listen
for _ in $(seq 100); do
  curl -sf "$front/healthz" >/dev/null && break
  sleep 0.1
done

mapfile -t codes < <("$make_codes" "$game" 40 7 | sed 's/+/%2B/g; s|/|%2F|g')

# The same request twice: the second answer comes from nginx's cache, byte for byte the same.
target="/render.png?code=${codes[0]}&scale=2"
curl -sf -D "$work/first.h" "$front$target" -o "$work/first.png" || fail "first request"
curl -sf -D "$work/second.h" "$front$target" -o "$work/second.png" || fail "second request"
grep -qi '^X-Cache-Status: MISS' "$work/first.h" || fail "first answer not a MISS: $(cat "$work/first.h")"
grep -qi '^X-Cache-Status: HIT' "$work/second.h" || fail "second answer not a HIT: $(cat "$work/second.h")"
cmp -s "$work/first.png" "$work/second.png" || fail "the cached answer differs"
curl -sf "http://127.0.0.1:$port2$target" | cmp -s - "$work/first.png" || fail "nginx changed the picture"
echo "repeated request: MISS then HIT, same bytes"

# Other sites' scripts through nginx: a cached answer keeps its CORS headers, a preflight gets
# through to the service, another method does not.
grep -qi '^Access-Control-Allow-Origin: \*' "$work/second.h" || fail "a HIT lost its CORS headers"
preflight=$(curl -s -D - -o /dev/null -X OPTIONS -H 'Origin: https://guild.example' \
  -H 'Access-Control-Request-Method: GET' "$front/v1$target")
grep -q '^HTTP/1.1 204' <<<"$preflight" || fail "preflight not 204: $preflight"
grep -qi '^Access-Control-Allow-Methods: GET, HEAD' <<<"$preflight" || fail "preflight: $preflight"
status=$(curl -s -o /dev/null -w '%{http_code}' -X DELETE "$front/v1$target")
[[ $status == 405 ]] || fail "DELETE answered $status"
echo "CORS: kept on a HIT, preflight 204, other methods 405"

# Load: wrk at 64 connections over the codes, first with both instances up, then with one
# killed in the middle of the run. Every answer must be a 2xx and no request may fail.
seconds=${PELTO_NGINX_LOAD_SECONDS:-20}
{
  echo "codes = {"
  for code in "${codes[@]:20}"; do echo "  \"$code\","; done
  echo "}"
  cat <<'LUA'
counter = 0
request = function()
  counter = counter + 1
  return wrk.format("GET", "/render.png?code=" .. codes[(counter % #codes) + 1] .. "&scale=2")
end
LUA
} >"$work/codes.lua"
load() { wrk -t2 -c64 -d"${seconds}s" --timeout 10s -s "$work/codes.lua" "$front" >"$work/$1.txt" 2>&1; }
check_load() {
  local report=$work/$1.txt
  grep -q 'requests in' "$report" || fail "$1: wrk did not run: $(cat "$report")"
  if grep -qE 'Non-2xx or 3xx responses|Socket errors' "$report"; then
    fail "$1: $(grep -E 'requests in|Non-2xx|Socket errors' "$report")"
  fi
  echo "$1: $(grep 'requests in' "$report" | sed 's/^ *//'), all 2xx, no socket errors"
}
load both-up
check_load both-up
load one-killed &
wrk_pid=$!
sleep $((seconds / 4))
kill_instance 2
wait "$wrk_pid" || true
check_load one-killed
# The second instance is gone now: start it again for what follows, on its port.
start_instance 2 "$port2"
for _ in $(seq 300); do
  curl -sf "http://127.0.0.1:$port2/healthz" >/dev/null && break
  sleep 0.1
done

# One instance gone: every request, none of them cached yet, still answered by the other.
kill_instance 1
for code in "${codes[@]:1}"; do
  status=$(curl -s -o /dev/null -w '%{http_code}' "$front/render.png?code=$code")
  [[ $status == 200 ]] || fail "with one instance killed, a request got $status"
done
status=$(curl -s -o /dev/null -w '%{http_code}' "$front/healthz")
[[ $status == 200 ]] || fail "with one instance killed, /healthz got $status"
echo "instance on port $port1 killed: $((${#codes[@]} - 1)) requests all answered 200"

# One client past its rate is answered 429.
sed -e "s|@PREFIX@|$work|g" -e "s|@PORT1@|$port1|g" -e "s|@PORT2@|$port2|g" \
  -e "s|@LISTEN@|$listen|g" -e "s|@RATE@|5r/s|g" -e "s|@BURST@|5|g" "$config" >"$work/nginx.conf"
"$nginx" -p "$work" -c "$work/nginx.conf" -e "$work/error.log" -s reload
sleep 1
limited=0
for _ in $(seq 30); do
  status=$(curl -s -o /dev/null -w '%{http_code}' "$front/items")
  [[ $status == 429 ]] && limited=$((limited + 1))
done
((limited > 0)) || fail "30 requests at once from one client: none was answered 429"
echo "rate limit: $limited of 30 requests at once answered 429"
