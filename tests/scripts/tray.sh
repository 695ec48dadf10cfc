#!/usr/bin/env bash
# The tray icon and the "Salir" command, on a private X server. Runs alone:
# the prefix is restarted so that Wine's desktop process opens this display.
source "$(dirname "$0")/common.sh"
bw_prefix_stop
bw_xvfb_start || fail "cannot start Xvfb"

confirm_text=$'\u00bfEst\u00e1 seguro que desea cerrar?'
warning_text=$'There are still active COM objects in this application.  One or more clients may have references to these objects, so manually closing this application may cause those client application(s) to fail.\r\n\r\nAre you sure you want to close this application?'

# salir - right-clicks the tray icon and picks "Salir" from its menu.
salir() {
  driver tray-click rbuttonup || fail "cannot reach the tray icon's window"
  driver wait-menu 20 || fail "a right click on the tray icon opened no menu"
  driver choose-first-menu-item || fail "cannot pick Salir"
}

# answer CAPTION BUTTON EXPECTED_TEXT - presses BUTTON in the box CAPTION after
# checking its text.
answer() {
  local text
  text=$(driver answer "$1" "$2" 30) || fail "no '$1' box to answer"
  [[ "$text" == "$3" ]] || fail "the '$1' box says '$text'"
}

start_server
driver wait-window 60 || fail "the main window was not created"
sleep 1
driver tray-icon || fail "the tray icon was not added"
pass "the tray icon is added"

driver tray-forget || fail "cannot make the shell drop the icon"
driver tray-icon >/dev/null 2>&1 && fail "the shell still holds the icon it dropped"
driver taskbar-created
sleep 1
driver tray-icon || fail "the icon was not added again for a restarted shell"
pass "the icon comes back when the shell restarts"

driver tray-click lbuttonup
driver tray-click lbuttondblclk
driver no-menu 2 || fail "left clicks must not open the menu"
pass "left clicks do nothing"

salir
answer Confirm no "$confirm_text"
sleep 1
[[ $(process_count) == 1 ]] || fail "answering No ended the server"
pass "Salir, No keeps the server running"

salir
answer Confirm yes "$confirm_text"
driver wait-processes Bramolt.exe 0 30 || fail "Salir, Yes did not end the server without live objects"
wait "$SERVER_PID" || fail "the server's exit code is $?"
pass "Salir, Yes ends the server without a second question when no object lives"

start_server
driver wait-window 60 || fail "the main window was not created"
sleep 2
start_client held
client=$CLIENT_PID
[[ $(process_count) == 1 ]] || fail "the client did not use the running server"
salir
answer Confirm yes "$confirm_text"
answer "COM Server Warning" no "$warning_text"
sleep 1
[[ $(process_count) == 1 ]] || fail "answering No to the warning ended the server"
pass "with a live object the warning appears and No keeps the server running"

release_client held "$client"
sleep 1
[[ $(process_count) == 1 ]] || fail "a server started by hand must outlive its last client"
salir
answer Confirm yes "$confirm_text"
driver wait-processes Bramolt.exe 0 30 || fail "the server did not end once its client was gone"
pass "after the client left, Salir ends the server"
