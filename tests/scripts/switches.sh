#!/usr/bin/env bash
# Switch matching: a switch must match whole, and the automation switches win
# over registration.
source "$(dirname "$0")/common.sh"
driver wait-processes Bramolt.exe 0 30 || fail "a server is already running"
server /unregserver || fail "/unregserver exited with $?"

for line in "/REG" "/REGSERVER /EMBEDDING" "REGSERVER" "--regserver"; do
  # shellcheck disable=SC2086 # the line holds several arguments
  start_server $line
  sleep 3
  [[ $(process_count) == 1 ]] || fail "'$line' must start a server that keeps running, not register"
  expect_no_key "HKCR\\CLSID\\$CLSID"
  stop_server
  pass "'$line' registers nothing"
done

server /regserver || fail "/regserver exited with $?"
expect_key "HKCR\\$PROGID\\Clsid" "$CLSID"
