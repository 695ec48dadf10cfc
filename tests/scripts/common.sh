# Shared set-up of the end-to-end tests: paths, identifiers, checks and the
# processes a test starts (all stopped by their PID when the test ends).
# Expects BRAMOLT_EXE and BRAMOLT_DRIVER (Unix paths of the built programs).

set -euo pipefail
SCRIPTS_TEST_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../../scripts/lib/wine.sh
source "$SCRIPTS_TEST_DIR/../../scripts/lib/wine.sh"
: "${BRAMOLT_EXE:?path of Bramolt.exe}" "${BRAMOLT_DRIVER:?path of bramolt_driver.exe}"

if [[ ${BRAMOLT_SCRIPT_HOST:-64} == 32 ]] && ! bw_can_run_32bit; then
  echo "skipped: this machine cannot run 32-bit programs, so Wine has no 32-bit script host"
  exit 77
fi

CLSID='{FA6857A6-C300-427C-89F4-956C60691E56}'
LIBID='{91885C72-F458-447E-98EB-4E806896ADED}'
PROGID='Bramolt.BramoltCOM'
# The class that answers JSON handles as Longs.
CLSID_LONG='{10ABE6C8-D389-4894-96C1-EAAAECF6275E}'
PROGID_LONG='Bramolt.BramoltCOMLong'

WORK=$(mktemp -d "${TMPDIR:-/tmp}/bramolt-e2e.XXXXXX")
STARTED_PIDS=()

cleanup() {
  local pid
  # A server that COM started for a failed check would keep the test's
  # output open and outlive it.
  driver quit Bramolt.exe 10 >/dev/null 2>&1 || driver terminate Bramolt.exe >/dev/null 2>&1 || true
  for pid in "${STARTED_PIDS[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  # A test with its own display restarted the prefix on it; stop the prefix
  # before the display, so that the next test starts it without one.
  if [[ -n "${BW_XVFB_PID:-}" ]]; then
    bw_prefix_stop
    bw_xvfb_stop
  fi
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

pass() { echo "ok: $*"; }

# run_script SCRIPT EXPECTED_LAST_LINE - runs a client script and checks its
# exit code and its last line of output. Wine's script host reports a script
# error nowhere and exits with 0, so only the last line proves the script ran
# to its end.
run_script() {
  local output status
  output=$(bw_cscript 120 "$SCRIPTS_TEST_DIR/$1" 2>&1) && status=0 || status=$?
  output=$(tr -d '\r' <<<"$output")
  [[ $status == 0 ]] || fail "$1 exited with $status: $output"
  [[ "$(tail -n 1 <<<"$output")" == "$2" ]] || fail "$1 did not run to its end: $output"
}

# driver ARGS... - runs bramolt_driver in the prefix with a time limit.
driver() {
  bw_env timeout 120 wine "$BRAMOLT_DRIVER" "$@"
}

# server SWITCH... - runs Bramolt.exe to completion (registration modes).
server() {
  bw_env timeout 120 wine "$BRAMOLT_EXE" "$@"
}

# start_server ARGS... - starts Bramolt.exe by hand in the background; sets SERVER_PID.
start_server() {
  # exec: the background job is Wine itself, whose exit code stop_server waits for.
  bw_env exec wine "$BRAMOLT_EXE" "$@" &
  SERVER_PID=$!
  STARTED_PIDS+=("$SERVER_PID")
}

# stop_server - ends the server start_server started, through its message
# loop: a killed server leaves its class registered with Wine's RPC service,
# and the next client's activation fails.
stop_server() {
  driver quit Bramolt.exe 20 || fail "the server did not quit"
  wait "$SERVER_PID" || fail "the server's exit code is $?"
}

# start_client NAME - starts hold.vbs in the background: it creates an object,
# writes its Version to $WORK/NAME.ready and keeps the object until
# release_client NAME. Sets CLIENT_PID.
start_client() {
  bw_cscript 180 "$SCRIPTS_TEST_DIR/hold.vbs" "$(bw_winpath "$WORK")\\$1.ready" "$(bw_winpath "$WORK")\\$1.release" \
    "$(bw_winpath "$BRAMOLT_DRIVER")" >"$WORK/$1.log" 2>&1 &
  CLIENT_PID=$!
  STARTED_PIDS+=("$CLIENT_PID")
  local tries status
  for tries in $(seq 600); do
    [[ -s "$WORK/$1.ready" ]] && return 0
    if ! kill -0 "$CLIENT_PID" 2>/dev/null; then
      wait "$CLIENT_PID" && status=0 || status=$?
      fail "client $1 ended (exit code $status) before holding an object: $(cat "$WORK/$1.log")"
    fi
    sleep 0.1
  done
  fail "client $1 did not get an object in time"
}

# release_client NAME PID - lets the client release its object and waits for it.
release_client() {
  touch "$WORK/$1.release"
  wait "$2" || fail "client $1 failed (exit code $?): $(cat "$WORK/$1.log")"
}

# process_count - how many Bramolt.exe processes run in the prefix.
process_count() {
  driver count-processes Bramolt.exe | tr -d '\r'
}

# expect_key KEY [VALUE] - the key exists (with that default value).
expect_key() {
  local value
  value=$(bw_reg_value "$1") || fail "missing registry key $1"
  if [[ $# -gt 1 && "$value" != "$2" ]]; then
    fail "registry key $1 holds '$value', expected '$2'"
  fi
}

expect_no_key() {
  if bw_reg_exists "$1"; then fail "registry key $1 still exists"; fi
}

# The seven keys of each class below a root prefix ("HKCR\" or "HKCU\Software\Classes\").
class_keys() {
  local root=$1 clsid progid clsid_progid
  for clsid_progid in "$CLSID $PROGID" "$CLSID_LONG $PROGID_LONG"; do
    read -r clsid progid <<<"$clsid_progid"
    echo "${root}CLSID\\$clsid"
    echo "${root}CLSID\\$clsid\\LocalServer32"
    echo "${root}$progid"
    echo "${root}$progid\\Clsid"
    echo "${root}CLSID\\$clsid\\ProgID"
    echo "${root}CLSID\\$clsid\\Version"
    echo "${root}CLSID\\$clsid\\TypeLib"
  done
}
