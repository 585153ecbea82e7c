#!/usr/bin/env bash
# The image of deploy/Containerfile under podman: built on a debootstrapped Debian base (kept in
# the cache folder, so only the first run pays for it) from the pelto-cli under test, run as no
# root with the game mounted read-only, ended by `podman stop` with status 0 in time, and two
# containers of it behind nginx passing nginx_test.sh's checks.
# Arguments: nginx, pelto-cli, pelto_make_codes, the game folder, deploy/nginx.conf,
# deploy/Containerfile, the cache folder. Exits 77 (skipped) where podman cannot run here.
set -euo pipefail
nginx=$1 cli=$2 make_codes=$3 game=$4 config=$5 containerfile=$6 cache=$7
here=$(cd "$(dirname "$0")" && pwd)
deploy=$(dirname "$containerfile")
skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }

command -v podman >/dev/null || skip "podman is not installed"
export PATH=$PATH:/usr/sbin
command -v debootstrap >/dev/null || skip "debootstrap is not installed"
[[ $(id -u) -eq 0 ]] || skip "the base image's debootstrap needs root"

# crun refuses hybrid cgroups; without systemd, podman keeps its cgroups and events itself. A
# container may not raise a limit above the host's, so it is given limits at most those.
podman=(podman --runtime runc)
if [[ ! -d /run/systemd/system ]]; then
  podman+=(--cgroup-manager=cgroupfs --events-backend=file)
fi
limit() { # HOST_LIMIT WANTED: the lower of the two
  if [[ $1 == unlimited || $1 -ge $2 ]]; then echo "$2"; else echo "$1"; fi
}
nofile=$(limit "$(ulimit -n)" 4096)
nproc=$(limit "$(ulimit -u)" 4096)
options=(--network=host --ulimit "nofile=$nofile:$nofile" --ulimit "nproc=$nproc:$nproc")
# The containers run as a deployer runs them: nothing but the game is theirs to read or write.
run_options=("${options[@]}" --read-only)
"${podman[@]}" info >/dev/null 2>&1 ||
  skip "podman does not work here: $("${podman[@]}" info 2>&1 | tail -n 1)"

work=$(mktemp -d)
tag=pelto-render-test:$(basename "$work" | tr '[:upper:]' '[:lower:]' | tr -c 'a-z0-9\n' '-')
name=pelto-test-$(basename "$work")
cleanup() {
  "${podman[@]}" rm --force --time 0 "$name" >/dev/null 2>&1 || true
  "${podman[@]}" rmi --force "$tag" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

base=pelto-base:bookworm
start=$SECONDS
"$deploy/make-base-image" "$base" "$cache/bookworm-minbase.tar" "${podman[@]:1}" ||
  fail "the base image could not be made"
echo "base image $base ready in $((SECONDS - start)) s"
"${podman[@]}" run --rm "${options[@]}" "$base" true >"$work/probe.log" 2>&1 ||
  skip "podman cannot run a container here: $(tail -n 1 "$work/probe.log")"

# A container image of the binary under test: the prebuilt target, which skips the compile. Its
# debug symbols are left out, as the Release build's are.
mkdir "$work/context"
if command -v strip >/dev/null; then
  strip -o "$work/context/pelto-cli" "$cli"
else
  cp "$cli" "$work/context/pelto-cli"
fi
start=$SECONDS
"${podman[@]}" build "${options[@]}" --build-arg "BASE=$base" --target prebuilt \
  -f "$containerfile" -t "$tag" "$work/context" >"$work/build.log" 2>&1 ||
  fail "the image did not build: $(tail -n 20 "$work/build.log")"
echo "image built in $((SECONDS - start)) s, $("${podman[@]}" image inspect -f '{{.Size}}' "$tag") bytes"

# The runtime stage holds every library the binary needs.
missing=$("${podman[@]}" run --rm "${options[@]}" --entrypoint ldd "$tag" /usr/local/bin/pelto-cli |
  grep 'not found' || true)
[[ -z $missing ]] || fail "libraries missing from the image: $missing"

"${podman[@]}" run -d --name "$name" "${run_options[@]}" -v "$game:/game:ro" "$tag" \
  --listen 127.0.0.1:0 --threads 1 >/dev/null || fail "the container did not start"
for _ in $(seq 300); do
  "${podman[@]}" logs "$name" 2>/dev/null | grep -q '^listening on ' && break
  sleep 0.1
done
port=$("${podman[@]}" logs "$name" 2>/dev/null | sed -n 's/^listening on http:\/\/127.0.0.1://p')
[[ -n $port ]] || fail "the container did not listen: $("${podman[@]}" logs "$name" 2>&1)"
[[ $(curl -sf "http://127.0.0.1:$port/healthz") == ok ]] || fail "/healthz of the container"
# The service process itself, not only the user podman exec would pick.
uid=$("${podman[@]}" exec "$name" sh -c 'grep "^Uid:" /proc/1/status' | awk '{ print $2 }')
[[ -n $uid && $uid != 0 ]] || fail "the service runs as user '$uid'"
# shellcheck disable=SC2016  # awk's own fields
mount=$("${podman[@]}" exec "$name" awk '$2 == "/game" { print $4 }' /proc/mounts)
[[ ,$mount, == *,ro,* ]] || fail "the game is mounted '$mount', not read-only"
echo "container on port $port: runs as user $uid, game mounted $mount"
start=$SECONDS
"${podman[@]}" stop --time 10 "$name" >/dev/null
elapsed=$((SECONDS - start))
status=$("${podman[@]}" inspect -f '{{.State.ExitCode}}' "$name")
[[ $status == 0 && $elapsed -lt 10 ]] || fail "podman stop: exit status $status after $elapsed s"
echo "podman stop: exit status 0 after $elapsed s"

# nginx in front of two containers, with a shorter load run: its checks stay, the minutes go.
PELTO_INSTANCES=$here/container_instances.sh PELTO_IMAGE=$tag \
  PELTO_PODMAN=$(printf '%s\n' "${podman[@]}") \
  PELTO_RUN_OPTIONS=$(printf '%s\n' "${run_options[@]}") \
  PELTO_NGINX_LOAD_SECONDS=${PELTO_NGINX_LOAD_SECONDS:-6} \
  "$here/nginx_test.sh" "$nginx" "$cli" "$make_codes" "$game" "$config"
