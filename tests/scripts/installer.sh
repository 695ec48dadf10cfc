#!/usr/bin/env bash
# BramoltSetup.exe in a fresh Wine prefix of its own: a silent machine-wide installation
# registers both classes and serves the script suite (JSON trees from JScript through the
# class with Long handles included) to the 64-bit and the 32-bit script host and sends mail over
# STARTTLS to a real SMTP server on 127.0.0.1; installing again ends a running server and
# keeps one registration; a per-user installation replaces the machine-wide one; the
# silent uninstallers leave no file and no key behind.
# Exit code 77 (skipped) when the installer has not been built (scripts/package), or on a
# machine that cannot run 32-bit programs.
export BRAMOLT_WINEPREFIX=$BRAMOLT_BUILD_DIR/installer-prefix
source "$(dirname "$0")/common.sh"
source "$SCRIPTS_TEST_DIR/smtp.sh"
: "${BRAMOLT_SETUP:?path of BramoltSetup.exe}"
if [[ ! -f "$BRAMOLT_SETUP" ]]; then
  echo "skipped: $BRAMOLT_SETUP has not been built (scripts/package builds it)"
  exit 77
fi
if ! bw_can_run_32bit; then
  echo "skipped: BramoltSetup.exe is a 32-bit program and this machine cannot run those"
  exit 77
fi

bw_prefix_stop
rm -rf "$BRAMOLT_WINEPREFIX"
# The server's window, through which Setup asks a running server to end, needs a display.
bw_xvfb_start
"$SCRIPTS_TEST_DIR/../../scripts/wine-prefix" init >/dev/null
drive_c=$BRAMOLT_WINEPREFIX/drive_c
machine_dir="$drive_c/Program Files/Bramolt"
user_dir="$drive_c/users/$(id -un)/AppData/Local/Programs/Bramolt"
uninstall_key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Bramolt'
installed_files="Bramolt.exe Uninstall Bramolt.exe libcrypto-3-x64.dll libssl-3-x64.dll "

setup() {
  bw_env timeout 300 wine "$(bw_winpath "$BRAMOLT_SETUP")" "$@" || fail "BramoltSetup.exe $* exited with $?"
}

# uninstall DIR - runs the folder's uninstaller silently. It continues from a copy of
# itself in the temporary folder, so wait until the prefix is idle.
uninstall() {
  bw_env timeout 300 wine "$(bw_winpath "$1/Uninstall Bramolt.exe")" /S || fail "the uninstaller exited with $?"
  bw_env timeout 120 wineserver -w || fail "the uninstaller did not finish"
}

files_in() { LC_ALL=C ls -A "$1" | tr '\n' ' '; }

# suite BITS - clients of every kind of method against the installed server.
suite() {
  BRAMOLT_SCRIPT_HOST=$1 run_script version.vbs "Version 1.0.002"
  BRAMOLT_SCRIPT_HOST=$1 run_script version.js "Version 1.0.002"
  driver wait-processes Bramolt.exe 0 30 || fail "the server did not end after the Version clients"
  BRAMOLT_SCRIPT_HOST=$1 run_script json.vbs "json methods work"
  driver wait-processes Bramolt.exe 0 30 || fail "the server did not end after json.vbs"
  local output folder
  folder=$(bw_winpath "$WORK")
  output=$(BRAMOLT_SCRIPT_HOST=$1 bw_cscript 120 "$SCRIPTS_TEST_DIR/../../examples/tour.vbs" "$folder" 2>&1 | tr -d '\r') ||
    fail "tour.vbs exited with $?"
  [[ "$(tail -n 1 <<<"$output")" == "Tour done; its files are in $folder\\" ]] || fail "tour.vbs stopped early: $output"
  driver wait-processes Bramolt.exe 0 30 || fail "the server did not end after tour.vbs"
  output=$(BRAMOLT_SCRIPT_HOST=$1 bw_cscript 120 "$SCRIPTS_TEST_DIR/../../examples/jscript-tour.js" "$folder" 2>&1 |
    tr -d '\r') || fail "jscript-tour.js exited with $?"
  [[ "$(tail -n 1 <<<"$output")" == "JScript tour done; its files are in $folder" ]] ||
    fail "jscript-tour.js stopped early: $output"
  driver wait-processes Bramolt.exe 0 30 || fail "the server did not end after jscript-tour.js"
}

setup /S
[[ $(files_in "$machine_dir") == "$installed_files" ]] || fail "Program Files\\Bramolt holds: $(files_in "$machine_dir")"
cmp -s "$BRAMOLT_EXE" "$machine_dir/Bramolt.exe" || fail "the installed Bramolt.exe is not the one built"
expect_key "HKCR\\$PROGID\\Clsid" "$CLSID"
expect_key "HKCR\\$PROGID_LONG\\Clsid" "$CLSID_LONG"
local_server=$(bw_reg_value "HKCR\\CLSID\\$CLSID\\LocalServer32")
[[ "$local_server" == *'\Bramolt\Bramolt.exe' && "$local_server" != *' '* ]] ||
  fail "LocalServer32 is '$local_server'"
expect_key "HKCR\\TypeLib\\$LIBID\\1.0\\409\\win64"
expect_key "HKLM\\$uninstall_key"
pass "a silent installation copies the server and OpenSSL to Program Files and registers it machine-wide"

suite 64
suite 32
pass "the script suite runs from the 64-bit and the 32-bit script host against the installed server"

start_smtp starttls --tls starttls --login "sender@example.org:pw"
result=$(send a@example.org "" "" "installed" "<p>hola</p>" "" sender@example.org pw 127.0.0.1 "$SMTP_PORT" True)
[[ "$result" == "Res: OK (String)" ]] || fail "STARTTLS through the installed server: $result"
expect_row "$WORK/starttls/1.txt" tls 1
expect_row "$WORK/starttls/1.txt" field Subject installed
driver wait-processes Bramolt.exe 0 60 || fail "the server did not end after mail.vbs"
pass "the installed server sends over STARTTLS with the OpenSSL it was installed with"

BRAMOLT_EXE=$machine_dir/Bramolt.exe start_server
driver wait-window 60 || fail "the server started by hand shows no window"
setup /S
driver wait-processes Bramolt.exe 0 30 || fail "the running server was not ended by the upgrade"
wait "$SERVER_PID" || fail "the running server's exit code is $?"
expect_key "HKCR\\CLSID\\$CLSID\\LocalServer32" "$local_server"
expect_key "HKCR\\CLSID\\$CLSID_LONG\\LocalServer32" "$local_server"
expect_no_key "HKCU\\$uninstall_key"
expect_no_key "HKCU\\Software\\Classes\\CLSID\\$CLSID"
run_script version.vbs "Version 1.0.002"
pass "installing again ends the running server and keeps one registration"

setup /S /CurrentUser
[[ ! -e "$machine_dir" ]] || fail "the machine-wide installation is still there: $(files_in "$machine_dir")"
while read -r key; do expect_no_key "$key"; done < <(class_keys 'HKCR\')
expect_no_key "HKLM\\$uninstall_key"
[[ $(files_in "$user_dir") == "$installed_files" ]] || fail "the per-user folder holds: $(files_in "$user_dir")"
expect_key "HKCU\\Software\\Classes\\$PROGID\\Clsid" "$CLSID"
expect_key "HKCU\\Software\\Classes\\$PROGID_LONG\\Clsid" "$CLSID_LONG"
expect_key "HKCU\\$uninstall_key"
pass "a per-user installation replaces the machine-wide one"

uninstall "$user_dir"
[[ ! -e "$user_dir" ]] || fail "the per-user folder is still there: $(files_in "$user_dir")"
while read -r key; do expect_no_key "$key"; done < <(class_keys 'HKCU\Software\Classes\')
expect_no_key "HKCU\\Software\\Classes\\TypeLib\\$LIBID"
expect_no_key "HKCU\\$uninstall_key"
pass "the per-user uninstaller removes every file and key"

setup /S
uninstall "$machine_dir"
[[ ! -e "$machine_dir" ]] || fail "Program Files\\Bramolt is still there: $(files_in "$machine_dir")"
while read -r key; do expect_no_key "$key"; done < <(class_keys 'HKCR\')
expect_no_key "HKCR\\TypeLib\\$LIBID"
expect_no_key "HKLM\\$uninstall_key"
pass "the machine-wide uninstaller removes every file and key"
