#!/usr/bin/env bash
# nginx from Debian with deploy/nginx.conf in front of two render service instances on loopback
# ports: a repeated request is a cache HIT, with one instance killed every request still
# succeeds, a flood of dear requests from one client leaves the others served, and the rate
# limits count clients by address or API key. Arguments: nginx, pelto-cli, pelto_make_codes, the
# game folder, deploy/nginx.conf (with deploy/api-keys.conf beside it).
# Other clients are other loopback addresses (127.0.0.2, 127.0.0.3), which Linux answers.
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
key=5e1f0c3a9b7d24e6
# The configuration for this run, with the anonymous rate, burst and dear requests at once
# given, and the test's key of the bot tier added to the keys.
configure() {
  sed -e "s|@PREFIX@|$work|g" -e "s|@PORT1@|$port1|g" -e "s|@PORT2@|$port2|g" \
    -e "s|@LISTEN@|$listen|g" -e "s|@RATE@|$1|g" -e "s|@BURST@|$2|g" -e "s|@DEAR@|$3|g" \
    "$config" >"$work/nginx.conf"
  sed "/^}/i\\    \"$key\" bot:test;" "$(dirname "$config")/api-keys.conf" >"$work/api-keys.conf"
}
configure "${PELTO_NGINX_RATE:-100000r/s}" "${PELTO_NGINX_BURST:-100000}" 60000
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
refused=$(curl -s -D - -o /dev/null -X DELETE "$front/v1$target")
grep -q '^HTTP/1.1 405' <<<"$refused" || fail "DELETE not 405: $refused"
grep -qi '^Access-Control-Allow-Origin: \*' <<<"$refused" || fail "nginx's 405 without CORS: $refused"
echo "CORS: kept on a HIT, preflight 204, other methods 405 with CORS"

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
# Instance N started again on its port, once it answers.
restart_instance() {
  start_instance "$1" "$2"
  for _ in $(seq 300); do
    curl -sf "http://127.0.0.1:$2/healthz" >/dev/null && return
    sleep 0.1
  done
  fail "instance $1 did not start again"
}
restart_instance 2 "$port2"

# One instance gone: every request, none of them cached yet, still answered by the other.
kill_instance 1
for code in "${codes[@]:1}"; do
  status=$(curl -s -o /dev/null -w '%{http_code}' "$front/render.png?code=$code")
  [[ $status == 200 ]] || fail "with one instance killed, a request got $status"
done
status=$(curl -s -o /dev/null -w '%{http_code}' "$front/healthz")
[[ $status == 200 ]] || fail "with one instance killed, /healthz got $status"
echo "instance on port $port1 killed: $((${#codes[@]} - 1)) requests all answered 200"
restart_instance 1 "$port1"

# A flood of distinct dear pictures from one client (127.0.0.1), more than the instances'
# workers can draw, so that they refuse some with 503: a busy instance is not a dead one, and a
# second client (127.0.0.2) asking for health, a cached picture and cheap JSON is answered 200
# throughout. Every flood refusal tells when to come back; none is a 502.
cat >"$work/flood.py" <<'PY'
import collections, http.client, sys, threading, time

port, seconds, connections = int(sys.argv[1]), float(sys.argv[2]), int(sys.argv[3])
cached, codes = sys.argv[4], sys.argv[5:]
deadline = time.monotonic() + seconds
lock = threading.Lock()
flood, second = collections.Counter(), collections.Counter()
faults = {"flood": [], "second client": []}

def ask(connection, target):
    try:
        connection.request("GET", target)
        answer = connection.getresponse()
        answer.read()
        return answer.status, answer.getheader("Retry-After")
    except (OSError, http.client.HTTPException) as error:
        connection.close()
        return type(error).__name__, None

def flooder(n):
    connection = http.client.HTTPConnection("127.0.0.1", port, timeout=30)
    while time.monotonic() < deadline:
        delay = 20 + n // len(codes) % 4981
        status, retry = ask(connection, f"/render.twebp?code={codes[n % len(codes)]}"
                                        f"&scale=8&motion=17&delay={delay}")
        n += connections
        with lock:
            flood[status] += 1
            if status != 200 and (status not in (429, 503) or not retry):
                faults["flood"].append(f"{status}, Retry-After {retry}")

def second_client():
    n = 0
    while time.monotonic() < deadline:
        for target in ("/healthz", cached, f"/code/{codes[n % len(codes)]}.json"):
            connection = http.client.HTTPConnection("127.0.0.1", port, timeout=10,
                                                    source_address=("127.0.0.2", 0))
            status, _ = ask(connection, target)
            connection.close()
            with lock:
                second[status] += 1
                if status != 200:
                    faults["second client"].append(f"{target}: {status}")
            time.sleep(0.1)
        n += 1

threads = [threading.Thread(target=flooder, args=(n,)) for n in range(connections)]
threads.append(threading.Thread(target=second_client))
for thread in threads:
    thread.start()
for thread in threads:
    thread.join()
answers = ", ".join(f"{count} x {status}" for status, count in sorted(flood.items(), key=str))
print(f"flood of {connections} connections for {seconds:g} s: {answers}; "
      f"second client: {second[200]} of {sum(second.values())} answered 200")
for who, found in faults.items():
    if found:
        print(f"{who}: {len(found)} wrong, the first: {'; '.join(found[:3])}")
sys.exit(1 if any(faults.values()) else 0)
PY
python3 "$work/flood.py" "$listen" 12 128 "$target" "${codes[@]}" ||
  fail "flood from one client"

# Production-like limits: 5 requests a second with bursts of 5 and 2 dear requests at once.
configure 5r/s 5 2
"$nginx" -p "$work" -c "$work/nginx.conf" -e "$work/error.log" -s reload
sleep 1

# Five dear pictures at once from one client (127.0.0.3), within its rate: past the two at
# once, nginx refuses them 429, telling when to come back, readable by other sites' scripts.
dear=()
for delay in 21 22 23 24 25; do
  dear+=(-o /dev/null "$front/render.twebp?code=${codes[1]}&scale=8&motion=1&delay=$delay")
done
answers=$(curl -s --no-progress-meter --interface 127.0.0.3 --parallel --parallel-immediate --parallel-max 5 \
  -w '%{http_code} %header{retry-after} %header{access-control-allow-origin}\n' "${dear[@]}")
refused=$(grep -c '^429 1 \*$' <<<"$answers" || true)
((refused > 0)) || fail "five dear requests at once, none refused: $answers"
[[ $(grep -cvE '^(200  \*|429 1 \*)$' <<<"$answers") == 0 ]] || fail "dear requests: $answers"
echo "dear requests: $refused of 5 at once from one client answered 429"

# One client past its rate is answered 429, and the same address with a key is not; an unknown
# key is no key.
limited=0
for _ in $(seq 30); do
  status=$(curl -s -o /dev/null -w '%{http_code}' "$front/items")
  [[ $status == 429 ]] && limited=$((limited + 1))
  status=$(curl -s -o /dev/null -w '%{http_code}' -H "X-Api-Key: $key" "$front/items")
  [[ $status == 200 ]] || fail "a request with the key got $status"
done
((limited > 0)) || fail "30 requests at once from one client: none was answered 429"
unknown=0
for _ in $(seq 10); do
  status=$(curl -s -o /dev/null -w '%{http_code}' -H 'X-Api-Key: 0000' "$front/items")
  [[ $status == 429 ]] && unknown=$((unknown + 1))
done
((unknown > 0)) || fail "an unknown key was not held to the anonymous rate"
# A slow machine can let one request through at the rate; the first refusal is the one checked.
for _ in $(seq 20); do
  refusal=$(curl -s -D - -o /dev/null "$front/items")
  grep -q '^HTTP/1.1 429' <<<"$refusal" && break
done
grep -q '^HTTP/1.1 429' <<<"$refusal" || fail "20 requests in a row, none refused: $refusal"
grep -qi '^Retry-After: 1' <<<"$refusal" || fail "a 429 without Retry-After: $refusal"
grep -qi '^Access-Control-Allow-Origin: \*' <<<"$refusal" || fail "a 429 without CORS: $refusal"
echo "rate limit: $limited of 30 anonymous requests answered 429, 30 with the key 200," \
  "$unknown of 10 with an unknown key 429"

# No instance left: nginx's own 502, which other sites' scripts can read too.
kill_instance 1
kill_instance 2
gone=$(curl -s -D - -o /dev/null "$front/healthz")
grep -q '^HTTP/1.1 502' <<<"$gone" || fail "no instance, yet: $gone"
grep -qi '^Access-Control-Allow-Origin: \*' <<<"$gone" || fail "a 502 without CORS: $gone"
grep -qi '^Retry-After:' <<<"$gone" || fail "a 502 without Retry-After: $gone"
echo "no instance: 502 with CORS and Retry-After"
