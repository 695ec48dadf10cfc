#!/usr/bin/env bash
# The examples a user copies run as written: the README's VBScript example (its output
# against the comments that promise it), the VBScript and JScript tours (JSON trees from
# JScript through the class with Long handles), and the classic ASP page through the
# VBScript parser. Every example calls only methods the type
# library has.
source "$(dirname "$0")/common.sh"
repo=$(cd "$SCRIPTS_TEST_DIR/../.." && pwd)
examples=$repo/examples

# A client that activates the class while the previous server is still shutting down can
# leave that server hanging in its shutdown: let each server end first.
settle() { driver wait-processes Bramolt.exe 0 30 || fail "the server of the previous example did not end"; }

# The README's example is the first vb block of the section on VBScript. Each
# "WScript.Echo ...   ' text" line promises that text as its output.
awk '/^## Using it from VBScript/ { section = 1 } section && /^```vb/ { block = 1; next }
     block && /^```/ { exit } block { print }' "$repo/README.md" >"$WORK/readme.vbs"
[[ -s "$WORK/readme.vbs" ]] || fail "README.md has no VBScript example"
expected=$(sed -n "s/^WScript\.Echo .*' *\(.*[^ ]\) *$/\1/p" "$WORK/readme.vbs")
output=$(bw_cscript 120 "$WORK/readme.vbs" 2>&1 | tr -d '\r') || fail "the README example exited with $?: $output"
[[ "$output" == "$expected" ]] || fail "the README example printed:
$output
but its comments promise:
$expected"
pass "the README's VBScript example prints what its comments say"
settle

winwork=$(bw_winpath "$WORK")
output=$(bw_cscript 120 "$examples/tour.vbs" "$winwork" 2>&1 | tr -d '\r') || fail "tour.vbs exited with $?: $output"
[[ "$(tail -n 1 <<<"$output")" == "Tour done; its files are in $winwork\\" ]] || fail "tour.vbs stopped early: $output"
[[ $(<"$WORK/bramolt-hola.b64") == aG9sYQ== && $(<"$WORK/bramolt-hola.txt") == hola ]] ||
  fail "tour.vbs did not write its Base64 files"
[[ -s "$WORK/bramolt-example.bmp" ]] || fail "tour.vbs wrote no QR image"
pass "tour.vbs runs to its end and writes its files"
settle

output=$(bw_cscript 120 "$examples/jscript-tour.js" "$winwork" 2>&1 | tr -d '\r') ||
  fail "jscript-tour.js exited with $?: $output"
[[ "$(tail -n 1 <<<"$output")" == "JScript tour done; its files are in $winwork" ]] ||
  fail "jscript-tour.js stopped early: $output"
while read -r line; do
  grep -qxF "$line" <<<"$output" || fail "jscript-tour.js did not print '$line': $output"
done <<'EOF'
JSONCreate answers a number, not 0
JSONCreate of text that is not JSON: 0
tags holds 2 elements; the first is "a"
members: name="Ana", tags=["a","b"], age=41, admin=false
root is an object: true; tags is an array: true
missing path: 0
built: {"name":"Eva","n":3,"ok":true,"list":["x",{"id":"7"}]}
JSONCreate of Bramolt.BramoltCOM fails with 0x80004001: use Bramolt.BramoltCOMLong
EOF
[[ $(<"$WORK/bramolt-js.b64") == aG9sYQ== && -s "$WORK/bramolt-js.bmp" ]] || fail "jscript-tour.js wrote no files"
pass "jscript-tour.js builds, walks, prints and frees trees through the Long-handle class and writes its files"
settle

# The script host compiles a whole file before it runs any of it: a syntax error
# anywhere stops the first line's echo. (Option Explicit must stay the first statement.)
sed -e '/^<%@/d' -e '/^<%$/d' -e '/^%>$/d' \
  -e '/^Option Explicit/a WScript.Echo "parsed" : WScript.Quit 0' "$examples/json-api.asp" >"$WORK/json-api.vbs"
output=$(bw_cscript 60 "$WORK/json-api.vbs" 2>&1 | tr -d '\r') || true
[[ "$output" == parsed ]] || fail "json-api.asp does not parse as VBScript: $output"
pass "json-api.asp parses as VBScript"

methods=$(sed -n 's/.*HRESULT \([A-Za-z0-9]*\)(.*/\1/p' "$repo/automation/Bramolt.idl")
[[ $(wc -l <<<"$methods") == 26 ]] || fail "found $(wc -l <<<"$methods") methods in Bramolt.idl"
for example in "$examples"/* "$repo/README.md"; do
  while read -r called; do
    grep -qx "$called" <<<"$methods" || fail "$(basename "$example") calls $called, which the server does not have"
  done < <(grep -oE '\.(JSON[A-Za-z]*|DSTo[A-Za-z]*|SendMail|EncodeBase64|DecodeBase64|GenerateQR|Version)\b' "$example" |
    cut -c2- | sort -u)
done
pass "the examples call only methods of the type library"
