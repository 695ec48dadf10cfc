#!/usr/bin/env bash
# DSToJSON from VBScript, with variables passed as scripts pass them (by reference), and from
# JScript.
source "$(dirname "$0")/common.sh"
run_script dataset.vbs "dataset records applied"
run_script dataset.js "dataset records applied"
driver wait-processes Bramolt.exe 0 30 || fail "the COM-started server outlived its clients"
pass "DSToJSON applies records from VBScript variables and JScript"
