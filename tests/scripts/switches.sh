#!/usr/bin/env bash
# Switch matching: a switch must match whole, and the automation switches win
# over registration.
source "$(dirname "$0")/common.sh"
driver wait-processes Bramolt.exe 0 30 || fail "a server is already running"
server /unregserver || fail "/unregserver exited with $?"

for line in "/REG" "REGSERVER" "--regserver"; do
  # shellcheck disable=SC2086 # the line holds several arguments
  start_server $line
  sleep 3
  [[ $(process_count) == 1 ]] || fail "'$line' must start a server that keeps running, not register"
  expect_no_key "HKCR\\CLSID\\$CLSID"
  stop_server
  pass "'$line' registers nothing"
done

# Automation mode: registers nothing, and ends by itself since no client comes.
start_server /REGSERVER /EMBEDDING
driver wait-processes Bramolt.exe 1 30 || fail "'/REGSERVER /EMBEDDING' started no server"
expect_no_key "HKCR\\CLSID\\$CLSID"
driver wait-processes Bramolt.exe 0 30 || fail "'/REGSERVER /EMBEDDING' did not start in automation mode"
wait "$SERVER_PID" || fail "the server's exit code is $?"
pass "'/REGSERVER /EMBEDDING' serves in automation mode and registers nothing"

server /regserver || fail "/regserver exited with $?"
expect_key "HKCR\\$PROGID\\Clsid" "$CLSID"
