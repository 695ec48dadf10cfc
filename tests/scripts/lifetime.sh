#!/usr/bin/env bash
# One server process serves every client; started by COM it ends with its last
# object, started by hand it keeps running.
source "$(dirname "$0")/common.sh"
driver wait-processes Bramolt.exe 0 30 || fail "a server is already running"

# Two clients, one process.
start_client first
first=$CLIENT_PID
start_client second
second=$CLIENT_PID
[[ $(cat "$WORK/first.ready" | tr -d '\r') == 1.0.002 ]] || fail "first client read a wrong Version"
[[ $(process_count) == 1 ]] || fail "two clients got $(process_count) server processes"
pass "two clients share one server process"

release_client first "$first"
sleep 2
[[ $(process_count) == 1 ]] || fail "the server ended while the second client held an object"
pass "the server outlives the first release"

release_client second "$second"
driver wait-processes Bramolt.exe 0 30 || fail "the server did not end after the last release"
pass "the COM-started server ends after the last release"

# Started by hand: standalone mode.
start_server
driver wait-processes Bramolt.exe 1 30 || fail "the server did not start"
sleep 2 # let it register its class object
start_client third
[[ $(process_count) == 1 ]] || fail "COM started another server instead of using the running one"
release_client third "$CLIENT_PID"
sleep 8 # past the grace time after which an unused COM-started server ends
[[ $(process_count) == 1 ]] || fail "the server started by hand ended after its last client"
pass "the server started by hand keeps running"
stop_server
