# shellcheck shell=bash disable=SC2154  # work and game are nginx_test.sh's
# Sourced by nginx_test.sh: its two instances are containers of PELTO_IMAGE, on the host's network,
# with the game folder mounted read-only. PELTO_PODMAN holds podman and its options, one a line;
# PELTO_RUN_OPTIONS the options of podman run, one a line. The containers are named after the
# test's work folder, so that two runs do not meet.
mapfile -t podman_command <<<"$PELTO_PODMAN"
mapfile -t run_options <<<"$PELTO_RUN_OPTIONS"
container_name() { echo "pelto-nginx-$(basename "$work")-$1"; }
start_instance() {
  "${podman_command[@]}" run -d --name "$(container_name "$1")" "${run_options[@]}" \
    -v "$game:/game:ro" "$PELTO_IMAGE" --listen "127.0.0.1:$2" --threads 1 >/dev/null
}
instance_output() { "${podman_command[@]}" logs "$(container_name "$1")" 2>/dev/null; }
kill_instance() {
  "${podman_command[@]}" kill --signal KILL "$(container_name "$1")" >/dev/null
  "${podman_command[@]}" rm --force "$(container_name "$1")" >/dev/null
}
stop_instances() {
  "${podman_command[@]}" rm --force --time 0 "$(container_name 1)" "$(container_name 2)" \
    >/dev/null 2>&1 || true
}
