#!/usr/bin/env bash
# Fixture set-up: registers the server machine-wide for the end-to-end tests.
source "$(dirname "$0")/common.sh"
# No server of an earlier run may still offer the class. (Only those: unit
# tests may be running in the same prefix.)
driver quit Bramolt.exe 20 || driver terminate Bramolt.exe || fail "cannot end a server of an earlier run"
server /regserver || fail "/regserver exited with $?"
expect_key "HKCR\\$PROGID\\Clsid" "$CLSID"
pass "server registered"
