#!/usr/bin/env bash
# The registry entries written by /regserver and /regserverperuser and removed
# by /unregserver and /unregserverperuser.
source "$(dirname "$0")/common.sh"
exe_path=$(bw_winpath "$BRAMOLT_EXE")

check_class_keys() { # ROOT LOCALSERVER - both classes, served by the one executable
  local root=$1 clsid progid description class
  for class in "$CLSID|$PROGID|BramoltCOM" "$CLSID_LONG|$PROGID_LONG|BramoltCOM with Long JSON handles"; do
    IFS='|' read -r clsid progid description <<<"$class"
    expect_key "${root}CLSID\\$clsid" "$description"
    expect_key "${root}CLSID\\$clsid\\LocalServer32" "$2"
    expect_key "${root}$progid" "$description"
    expect_key "${root}$progid\\Clsid" "$clsid"
    expect_key "${root}CLSID\\$clsid\\ProgID" "$progid"
    expect_key "${root}CLSID\\$clsid\\Version" "1.0"
    expect_key "${root}CLSID\\$clsid\\TypeLib" "$LIBID"
  done
}

check_no_class_keys() { # ROOT
  local key
  while read -r key; do expect_no_key "$key"; done < <(class_keys "$1")
}

server /regserver || fail "/regserver exited with $?"
check_class_keys 'HKCR\' "$exe_path"
expect_key "HKCR\\TypeLib\\$LIBID\\1.0\\409\\win64" "$exe_path"
if bw_env timeout 60 wine reg query "HKCR\\CLSID\\$CLSID\\LocalServer32" /v ThreadingModel /reg:64 \
  >/dev/null 2>&1; then
  fail "a local server must not register a ThreadingModel"
fi
pass "/regserver writes the entries of both classes, their ProgIDs and the type library"

server /unregserver || fail "/unregserver exited with $?"
check_no_class_keys 'HKCR\'
expect_no_key "HKCR\\TypeLib\\$LIBID\\1.0"
pass "/unregserver removes every key"
server -UNREGSERVER || fail "unregistering twice must succeed (exit code $?)"
pass "missing keys are ignored"

server -RegServer || fail "-RegServer exited with $?"
check_class_keys 'HKCR\' "$exe_path"
pass "-RegServer registers like /REGSERVER"

server /RegServerPerUser || fail "/RegServerPerUser exited with $?"
check_class_keys 'HKCU\Software\Classes\' "$exe_path"
server /unregserverperuser || fail "/unregserverperuser exited with $?"
check_no_class_keys 'HKCU\Software\Classes\'
pass "per-user registration lives below HKCU\\Software\\Classes"

# An executable in a folder with a blank: COM must get a command line that
# starts exactly that program.
mkdir -p "$WORK/Bramolt Server"
cp "$BRAMOLT_EXE" "$WORK/Bramolt Server/Bramolt.exe"
BRAMOLT_EXE="$WORK/Bramolt Server/Bramolt.exe" server /regserver || fail "/regserver from a path with a blank"
local_server=$(bw_reg_value "HKCR\\CLSID\\$CLSID\\LocalServer32")
[[ "$local_server" != *" "* || ( "$local_server" == \"*\" ) ]] ||
  fail "LocalServer32 '$local_server' holds an unquoted blank"
[[ "$local_server" != "$exe_path" ]] || fail "LocalServer32 still names the original executable"
run_script version.vbs "Version 1.0.002"
driver wait-processes Bramolt.exe 0 30 || fail "the server started from '$local_server' did not end"
pass "a path with a blank is registered as '$local_server'"

# Back to the state the other tests expect.
server /regserver || fail "/regserver exited with $?"
check_class_keys 'HKCR\' "$exe_path"
