#!/usr/bin/env bash
# Installs what is missing, builds the programs, lays out the program folder
# (build/bin) and starts Corvelane there. It stays in the foreground until
# the program ends.
#
# The service account is stored as an installer would: set CORVELANE_SERIAL
# and CORVELANE_PASSWORD (and CORVELANE_SIGN) for a real account; they reach
# the tools through the environment, never a command line. Without a
# configured service address ("ServerInfo.ini" [ServerAddress] defaultAddress)
# a local trial messaging service is started on 127.0.0.1 with its trial
# account: it answers like the service and delivers nothing. Its request log
# is build/bin/loopback-service.log (a line per run, then its requests).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
bin="$build/bin"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run.sh: Corvelane is a desktop program and needs a display (DISPLAY or WAYLAND_DISPLAY is not set)." >&2
  echo "run.sh: start it from a desktop session, or under Xvfb: xvfb-run bash scripts/run.sh" >&2
  exit 1
fi

# A program that already runs is brought forward; nothing else changes.
if [ -x "$bin/Corvelane" ]; then
  set +e
  "$bin/Corvelane" --command show
  shown=$?
  set -e
  case $shown in
    0) echo "run.sh: Corvelane is already running; its window was brought forward."; exit 0 ;;
    2) echo "run.sh: a Corvelane is running but does not answer; nothing was changed." >&2; exit 1 ;;
  esac
fi

bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" Corvelane corvelane-provision corvelane-loopback-service

# Default settings files and pictures, never over what is already there.
(cd "$root/resources/defaults" && find . -type f) | while read -r f; do
  [ -e "$bin/$f" ] || install -D -m 644 "$root/resources/defaults/$f" "$bin/$f"
done

service_pid=""
cleanup() { [ -n "$service_pid" ] && kill "$service_pid" 2>/dev/null || true; }
trap cleanup EXIT

# One value of an INI file (sections and keys as the program reads them:
# case-insensitive, first match, blanks around "=" ignored).
ini_get() {
  awk -v sec="$2" -v key="$3" '
    BEGIN { sec = tolower(sec); key = tolower(key) }
    /^[[:space:]]*\[/ { s = $0; gsub(/^[[:space:]]*\[|\][[:space:]]*\r?$/, "", s); in_sec = (tolower(s) == sec); next }
    in_sec {
      i = index($0, "="); if (i == 0) next
      k = substr($0, 1, i - 1); v = substr($0, i + 1)
      gsub(/^[[:space:]]+|[[:space:]]+$/, "", k); gsub(/^[[:space:]]+|[[:space:]\r]+$/, "", v)
      if (tolower(k) == key) { print v; exit }
    }' "$1" 2>/dev/null || true
}
address=$(ini_get "$bin/ServerInfo.ini" ServerAddress defaultAddress)
# The trial's own address: the trial is renewed only while defaultAddress
# still names it. An address the user set is never overwritten.
trial_address=""
[ "$(ini_get "$bin/ServerInfo.ini" Deployment LocalTrial)" = "1" ] &&
  trial_address=$(ini_get "$bin/ServerInfo.ini" Deployment MainEndpoint)

if [ -z "$address" ] || [ "$address" = "$trial_address" ]; then
  export CORVELANE_SERIAL=${CORVELANE_SERIAL:-TRIAL-0001}
  export CORVELANE_PASSWORD=${CORVELANE_PASSWORD:-trial}
  log="$bin/loopback-service.log"
  echo "=== trial service started by run.sh at $(date '+%Y-%m-%d %H:%M:%S') ===" >>"$log"
  coproc SERVICE {
    CORVELANE_TRIAL_PASSWORD=$CORVELANE_PASSWORD exec "$build/tests/corvelane-loopback-service" \
      --serial "$CORVELANE_SERIAL" 2>>"$log"
  }
  service_pid=$SERVICE_PID
  read -r word port <&"${SERVICE[0]}"
  [ "$word" = "PORT" ] || { echo "run.sh: the local messaging service did not start" >&2; exit 1; }
  echo "run.sh: local trial messaging service on http://127.0.0.1:$port (delivers nothing)"
  "$bin/corvelane-provision" --folder "$bin" --local-service "http://127.0.0.1:$port" --store-account
elif [ -n "${CORVELANE_SERIAL:-}" ]; then
  "$bin/corvelane-provision" --folder "$bin" --store-account
fi

"$bin/Corvelane" "$@"
