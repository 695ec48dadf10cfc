#!/usr/bin/env bash
# Fixture clean-up: unregisters the server and stops everything in the prefix.
source "$(dirname "$0")/common.sh"
server /unregserver || fail "/unregserver exited with $?"
bw_prefix_stop
pass "server unregistered"
