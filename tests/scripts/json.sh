#!/usr/bin/env bash
# The JSON methods end to end from VBScript, and one tree shared by two clients of
# one server process, of the same class or of the two classes.
source "$(dirname "$0")/common.sh"
driver wait-processes Bramolt.exe 0 30 || fail "a server is already running"

run_script json.vbs "json methods work"
pass "a document built, printed, walked and freed from VBScript"

# The first client (VBScript, 64-bit handles) makes the tree and holds its object, so that
# the server keeps running while the second client, a separate script host, uses and frees
# the tree: a VBScript client of the same class, or a JScript client of the class with Long
# handles. The handle travels as a number through a file.
share_tree() { # SECOND_CLIENT
  rm -f "$WORK/tree.ready" "$WORK/tree.release"
  bw_cscript 180 "$SCRIPTS_TEST_DIR/json_hold.vbs" "$(bw_winpath "$WORK")\\tree.ready" \
    "$(bw_winpath "$WORK")\\tree.release" "$(bw_winpath "$BRAMOLT_DRIVER")" >"$WORK/hold.log" 2>&1 &
  local holder=$! handle output
  STARTED_PIDS+=("$holder")
  driver wait-file "$(bw_winpath "$WORK")\\tree.ready" 120 || fail "the first client made no tree: $(cat "$WORK/hold.log")"
  handle=$(tr -d '\r\n' <"$WORK/tree.ready")
  output=$(bw_cscript 120 "$SCRIPTS_TEST_DIR/$1" "$handle" 2>&1 | tr -d '\r') || true
  [[ "$(tail -n 1 <<<"$output")" == "the second client used the first client's tree" ]] ||
    fail "second client $1: $output"
  [[ $(process_count) == 1 ]] || fail "the two clients got $(process_count) server processes"
  touch "$WORK/tree.release"
  wait "$holder" || fail "first client (exit code $?): $(cat "$WORK/hold.log")"
  [[ "$(tail -n 1 "$WORK/hold.log" | tr -d '\r')" == "the tree the second client freed is gone" ]] ||
    fail "first client: $(cat "$WORK/hold.log")"
  driver wait-processes Bramolt.exe 0 30 || fail "the server did not end after the clients of $1"
}

share_tree json_use.vbs
pass "a handle from one client designates the same tree for another"
share_tree json_use.js
pass "a VBScript client of Bramolt.BramoltCOM and a JScript client of Bramolt.BramoltCOMLong share one tree"

driver wait-processes Bramolt.exe 0 30 || fail "the COM-started server outlived its clients"
