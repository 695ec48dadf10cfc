#!/usr/bin/env bash
# A server that COM started and nobody uses ends by itself: started with
# -Embedding and never called, and the extra processes COM may start when
# several clients activate the class at the same moment.
source "$(dirname "$0")/common.sh"
driver wait-processes Bramolt.exe 0 30 || fail "a server is already running"

start_server -Embedding
driver wait-processes Bramolt.exe 1 30 || fail "the server did not start"
started=$SECONDS
# Grace time 5 s, then one more check: well inside 20 s even on a busy machine.
driver wait-processes Bramolt.exe 0 20 || fail "a server started with -Embedding and no client kept running"
wait "$SERVER_PID" || fail "the idle server's exit code is $?"
pass "an unused -Embedding server ends by itself (after about $((SECONDS - started)) s)"

clients=6
pids=()
for i in $(seq "$clients"); do
  bw_cscript 180 "$SCRIPTS_TEST_DIR/version.vbs" >"$WORK/client$i.log" 2>&1 &
  pids+=("$!")
  STARTED_PIDS+=("$!")
done
most=0
while jobs -r | grep -q .; do
  count=$(process_count)
  ((count > most)) && most=$count
  sleep 0.5
done
for i in $(seq "$clients"); do
  wait "${pids[i - 1]}" || fail "client $i exited with $?: $(cat "$WORK/client$i.log")"
  [[ "$(tail -n 1 "$WORK/client$i.log" | tr -d '\r')" == "Version 1.0.002" ]] ||
    fail "client $i: $(cat "$WORK/client$i.log")"
done
pass "$clients simultaneous clients all served (at most $most server processes seen)"
driver wait-processes Bramolt.exe 0 30 || fail "$(process_count) server processes outlived their clients"
pass "no server process remains after they release"
