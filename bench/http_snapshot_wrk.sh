#!/bin/bash
# Requests per second and latency of the snapshot server beside nginx serving a JPEG of the same
# size as a static file, with the same wrk command; and the recorder's memory before and after
# the requests. Runs the headless demo recorder (simulated capture card, four cameras) in a
# directory of its own. Run by hand, not by CI.
# Usage: bench/http_snapshot_wrk.sh [build directory] [seconds per run]
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$source_dir/build}" && pwd)
seconds=${2:-10}
recorder_port=18480
nginx_port=18481
wrk_options=(-t2 -c64 -d"${seconds}s" --latency)

missing=()
command -v wrk >/dev/null || missing+=(wrk)
command -v nginx >/dev/null || [ -x /usr/sbin/nginx ] || missing+=(nginx-light)
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get install -y --no-install-recommends "${missing[@]}" >/dev/null
fi
nginx_program=$(command -v nginx || echo /usr/sbin/nginx)

work=$(mktemp -d)
recorder_pid=""
cleanup() {
    [ -f "$work/nginx/nginx.pid" ] && kill "$(cat "$work/nginx/nginx.pid")" 2>/dev/null || true
    [ -n "$recorder_pid" ] && kill "$recorder_pid" 2>/dev/null && wait "$recorder_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# The demo recorder, listening on a port of its own.
mkdir -p "$work/recorder"
cp "$source_dir/resources/demo/settings.mrd" "$source_dir/resources/demo/mirdal.drv" "$work/recorder/"
cp -r "$source_dir/resources/html" "$work/recorder/html"
sed -i "s/^set board HTTPServer port int .*/set board HTTPServer port int $recorder_port/" "$work/recorder/settings.mrd"
(cd "$work/recorder" && exec env XDG_RUNTIME_DIR="$work/recorder" "$build/app/mirdal" --headless --no-watchdog \
    </dev/null >"$work/recorder/output.txt" 2>&1) &
recorder_pid=$!
picture="http://127.0.0.1:$recorder_port/camera/1"
for _ in $(seq 100); do
    curl -sf -o "$work/snapshot.jpg" "$picture" && break
    sleep 0.2
done
[ -s "$work/snapshot.jpg" ] || { echo "the recorder does not answer on $picture" >&2; exit 1; }

# nginx with the same picture as a static file.
mkdir -p "$work/nginx/root"
cp "$work/snapshot.jpg" "$work/nginx/root/snapshot.jpg"
cat >"$work/nginx/nginx.conf" <<CONF
worker_processes auto;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log;
events { worker_connections 1024; }
http {
  access_log off;
  client_body_temp_path $work/nginx/body;
  proxy_temp_path $work/nginx/proxy;
  fastcgi_temp_path $work/nginx/fastcgi;
  uwsgi_temp_path $work/nginx/uwsgi;
  scgi_temp_path $work/nginx/scgi;
  types { image/jpeg jpg; }
  server { listen 127.0.0.1:$nginx_port; root $work/nginx/root; }
}
CONF
"$nginx_program" -c "$work/nginx/nginx.conf" -g 'daemon on;'
static="http://127.0.0.1:$nginx_port/snapshot.jpg"
sleep 0.5

memory() { grep -E '^(VmRSS|VmHWM)' "/proc/$recorder_pid/status" | tr -s ' \t' ' ' | tr '\n' ' '; }
run() { # label, url, extra wrk options
    local label=$1 url=$2; shift 2
    local out
    out=$(wrk "${wrk_options[@]}" "$@" "$url")
    printf '%-44s %10s requests/s  p99 %8s  (%s requests)\n' "$label" \
        "$(sed -n 's/^Requests\/sec: *//p' <<<"$out")" "$(sed -n 's/^ *99% *//p' <<<"$out")" \
        "$(sed -n 's/^ *\([0-9]*\) requests in.*/\1/p' <<<"$out")"
}

echo "picture: $(stat -c %s "$work/snapshot.jpg") bytes, 352 x 288 JPEG, quality 60"
echo "wrk ${wrk_options[*]}"
echo "recorder memory at start: $(memory)"
run "recorder /camera/1" "$picture"
echo "recorder memory after run 1: $(memory)"
run "nginx static file" "$static"
run "recorder /camera/1 (Connection: close)" "$picture" -H "Connection: close"
run "nginx static file (Connection: close)" "$static" -H "Connection: close"
run "recorder /camera/1 again" "$picture"
echo "recorder memory after the last run: $(memory)"
