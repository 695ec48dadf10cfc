#!/usr/bin/env bash
# BramoltSetup.exe in a fresh Wine prefix of its own: a silent machine-wide installation
# registers both classes and serves the script suite (JSON trees from JScript through the
# class with Long handles included) to the 64-bit and the 32-bit script host and sends mail over
# STARTTLS to a real SMTP server on 127.0.0.1; installing again ends a running server and
# keeps one registration; a per-user installation replaces the machine-wide one; the
# silent uninstallers leave no file and no key behind, also while a script holds an object
# of a server with or without a window; a file in use fails Setup and the uninstaller
# with exit code 2 and is named.
# Exit code 77 (skipped) when the installer has not been built (scripts/package). Setup is a
# 64-bit program; on a machine that cannot run 32-bit programs only the runs of the 32-bit
# script host are skipped, and said so.
export BRAMOLT_WINEPREFIX=$BRAMOLT_BUILD_DIR/installer-prefix
source "$(dirname "$0")/common.sh"
source "$SCRIPTS_TEST_DIR/smtp.sh"
: "${BRAMOLT_SETUP:?path of BramoltSetup.exe}"
if [[ ! -f "$BRAMOLT_SETUP" ]]; then
  echo "skipped: $BRAMOLT_SETUP has not been built (scripts/package builds it)"
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

# uninstall_from_copy DIR - runs a copy of the folder's uninstaller silently from outside the
# folder, the folder given by _?=, as a deployment tool does that needs the uninstaller's own
# exit code: started from the folder, the uninstaller hands over to such a copy of itself
# and exits with 0 at once. Sets UNINSTALL_STATUS and UNINSTALL_OUTPUT (what it reported).
uninstall_from_copy() {
  local parts
  cp "$1/Uninstall Bramolt.exe" "$WORK/uninstall-copy.exe"
  # The uninstaller takes _?= only unquoted, and Wine quotes an argument with a space: the
  # folder goes in words that Wine joins with spaces.
  read -ra parts <<<"$(bw_winpath "$1")"
  UNINSTALL_OUTPUT=$(bw_env timeout 400 wine "$(bw_winpath "$WORK/uninstall-copy.exe")" /S "_?=${parts[0]}" \
    "${parts[@]:1}" 2>&1 | tr -d '\r') && UNINSTALL_STATUS=0 || UNINSTALL_STATUS=$?
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
if bw_can_run_32bit; then
  suite 32
  pass "the script suite runs from the 64-bit and the 32-bit script host against the installed server"
else
  pass "the script suite runs from the 64-bit script host against the installed server"
  echo "skipped: the script suite from the 32-bit script host (this machine cannot run 32-bit programs)"
fi

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

# A script holds an object while Setup runs again and while the uninstaller runs: its server
# ends (asked through its window), and every file is replaced, or removed with the folder.
setup /S
start_client upgrade
setup /S
[[ $(process_count) == 0 ]] || fail "the server a script held survived the upgrade"
[[ $(files_in "$machine_dir") == "$installed_files" ]] || fail "after the upgrade the folder holds: $(files_in "$machine_dir")"
cmp -s "$BRAMOLT_EXE" "$machine_dir/Bramolt.exe" || fail "the upgrade did not replace Bramolt.exe"
release_client upgrade "$CLIENT_PID"
run_script version.vbs "Version 1.0.002"
driver wait-processes Bramolt.exe 0 30 || fail "the server did not end after version.vbs"
pass "installing again ends the server a script holds"

start_client held
[[ $(process_count) == 1 ]] || fail "the held server is not running"
uninstall_from_copy "$machine_dir"
[[ $UNINSTALL_STATUS == 0 ]] || fail "the uninstaller exited with $UNINSTALL_STATUS while a script held an object: $UNINSTALL_OUTPUT"
[[ ! -e "$machine_dir" ]] || fail "Program Files\\Bramolt is still there: $(files_in "$machine_dir")"
[[ $(process_count) == 0 ]] || fail "the server of the uninstalled folder still runs"
expect_no_key "HKLM\\$uninstall_key"
while read -r key; do expect_no_key "$key"; done < <(class_keys 'HKCR\')
release_client held "$CLIENT_PID"
pass "the uninstaller ends the server a script holds and removes every file and the folder"

# Without a display the server has no window, as a server started for a service has none on
# the desktop where the uninstaller runs: found by the path of its program, it is still
# asked to end, not killed (its exit code would be 1).
setup /S
DISPLAY='' BRAMOLT_EXE=$machine_dir/Bramolt.exe start_server
driver wait-processes Bramolt.exe 1 30 || fail "the server without a display did not start"
sleep 2 # let it register its class object
start_client windowless
[[ $(process_count) == 1 ]] || fail "COM started another server instead of using the running one"
if driver wait-window 1 2>/dev/null; then fail "the server started without a display has a window"; fi
uninstall_from_copy "$machine_dir"
[[ $UNINSTALL_STATUS == 0 ]] || fail "the uninstaller exited with $UNINSTALL_STATUS beside a server without a window: $UNINSTALL_OUTPUT"
[[ ! -e "$machine_dir" ]] || fail "Program Files\\Bramolt is still there: $(files_in "$machine_dir")"
wait "$SERVER_PID" || fail "the server without a window exited with $?"
release_client windowless "$CLIENT_PID"
pass "the uninstaller ends a server that has no window"

# A file of the folder in use by another program cannot be replaced or removed.
setup /S
# Held longer than driver() allows: Setup and the uninstaller run meanwhile, slowly on a busy machine.
bw_env timeout 400 wine "$BRAMOLT_DRIVER" hold-file "$(bw_winpath "$machine_dir/libssl-3-x64.dll")" \
  "$(bw_winpath "$WORK/file.release")" 360 >"$WORK/file.log" 2>&1 &
file_holder=$!
STARTED_PIDS+=("$file_holder")
for tries in $(seq 600); do
  grep -qs held "$WORK/file.log" && break
  kill -0 "$file_holder" 2>/dev/null || fail "the file holder ended: $(cat "$WORK/file.log")"
  sleep 0.1
done
grep -qs held "$WORK/file.log" || fail "the file holder did not open the file in time"
output=$(bw_env timeout 300 wine "$(bw_winpath "$BRAMOLT_SETUP")" /S 2>&1 | tr -d '\r') && status=0 || status=$?
[[ $status == 2 ]] || fail "Setup over a file in use exited with $status: $output"
grep -qF 'C:\Program Files\Bramolt\libssl-3-x64.dll is in use and could not be replaced' <<<"$output" ||
  fail "Setup did not name the file in use: $output"
uninstall_from_copy "$machine_dir"
[[ $UNINSTALL_STATUS == 2 ]] || fail "the uninstaller exited with $UNINSTALL_STATUS although a file was in use: $UNINSTALL_OUTPUT"
grep -qF 'C:\Program Files\Bramolt\libssl-3-x64.dll is in use and could not be removed' <<<"$UNINSTALL_OUTPUT" ||
  fail "the uninstaller did not name the file in use: $UNINSTALL_OUTPUT"
[[ $(files_in "$machine_dir") == "Uninstall Bramolt.exe libssl-3-x64.dll " ]] ||
  fail "beside the file in use the folder holds: $(files_in "$machine_dir")"
expect_key "HKLM\\$uninstall_key"
pass "a file in use fails Setup and the uninstaller with exit code 2, is named, and keeps the uninstaller"

touch "$WORK/file.release"
wait "$file_holder" || fail "the file holder exited with $?: $(cat "$WORK/file.log")"
uninstall_from_copy "$machine_dir"
[[ $UNINSTALL_STATUS == 0 ]] || fail "the second uninstaller run exited with $UNINSTALL_STATUS: $UNINSTALL_OUTPUT"
[[ ! -e "$machine_dir" ]] || fail "Program Files\\Bramolt is still there: $(files_in "$machine_dir")"
expect_no_key "HKLM\\$uninstall_key"
pass "once the file is free the uninstaller runs again and removes the rest"
