#!/usr/bin/env bash
# Installs what is missing, builds the programs, lays out the program folder
# (build/bin) and starts Corvelane there.
#
# The service account is stored as an installer would: set CORVELANE_SERIAL
# and CORVELANE_PASSWORD (and CORVELANE_SIGN) for a real account. Without a
# configured service address ("ServerInfo.ini" [ServerAddress] defaultAddress)
# a local trial messaging service is started on 127.0.0.1 with its trial
# account: it answers like the service and delivers nothing. Its request log
# is build/bin/loopback-service.log.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" Corvelane corvelane-provision corvelane-loopback-service
build=${BUILD_DIR:-$root/build}
bin="$build/bin"

# Default settings files and pictures, never over what is already there.
(cd "$root/resources/defaults" && find . -type f) | while read -r f; do
  [ -e "$bin/$f" ] || install -D -m 644 "$root/resources/defaults/$f" "$bin/$f"
done

service_pid=""
cleanup() { [ -n "$service_pid" ] && kill "$service_pid" 2>/dev/null || true; }
trap cleanup EXIT

configured() { grep -qE '^[[:space:]]*defaultAddress[[:space:]]*=[[:space:]]*[^[:space:]]' "$bin/ServerInfo.ini" 2>/dev/null; }
trial() { grep -qE '^[[:space:]]*LocalTrial[[:space:]]*=[[:space:]]*1' "$bin/ServerInfo.ini" 2>/dev/null; }
if ! configured || trial; then
  serial=${CORVELANE_SERIAL:-TRIAL-0001}
  password=${CORVELANE_PASSWORD:-trial}
  coproc SERVICE { exec "$bin/corvelane-loopback-service" --serial "$serial" --password "$password" 2>"$bin/loopback-service.log"; }
  service_pid=$SERVICE_PID
  read -r word port <&"${SERVICE[0]}"
  [ "$word" = "PORT" ] || { echo "run.sh: the local messaging service did not start" >&2; exit 1; }
  echo "run.sh: local trial messaging service on http://127.0.0.1:$port (delivers nothing)"
  "$bin/corvelane-provision" --folder "$bin" --local-service "http://127.0.0.1:$port" \
    --serial "$serial" --password "$password" --sign "${CORVELANE_SIGN:-}"
elif [ -n "${CORVELANE_SERIAL:-}" ]; then
  "$bin/corvelane-provision" --folder "$bin" --serial "$CORVELANE_SERIAL" \
    --password "${CORVELANE_PASSWORD:-}" --sign "${CORVELANE_SIGN:-}"
fi

"$bin/Corvelane" "$@"
