#!/usr/bin/env bash
# Error objects of methods not yet available reach VBScript and JScript.
source "$(dirname "$0")/common.sh"
run_script pending.vbs "pending methods refuse to work"
run_script pending.js "pending methods refuse to work"
driver wait-processes Bramolt.exe 0 30 || fail "the COM-started server outlived its clients"
pass "pending methods report their failure"
