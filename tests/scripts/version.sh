#!/usr/bin/env bash
# Out-of-process creation through the ProgID and Version, from VBScript and JScript.
source "$(dirname "$0")/common.sh"
run_script version.vbs "Version 1.0.002"
run_script version.js "Version 1.0.002"
driver wait-processes Bramolt.exe 0 30 || fail "the COM-started server outlived its clients"
pass "Version through COM"
