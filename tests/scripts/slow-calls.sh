#!/usr/bin/env bash
# Slow calls run beside the server's thread: while SendMail waits for a slow mail server,
# another client's calls, the main window and the tray menu are answered; two slow sends
# overlap and each gets its answer; "Salir" during a send lets it finish before the server
# ends; a client that dies during its send does not take the server with it. On a private
# X server, for the tray menu.
source "$(dirname "$0")/common.sh"
bw_prefix_stop
bw_xvfb_start || fail "cannot start Xvfb"
PEERS=$SCRIPTS_TEST_DIR/../native/mail/peers

# The scripted peers serve until their standard input closes: this descriptor holds it open
# until the test ends.
mkfifo "$WORK/peer-input"
exec 7<>"$WORK/peer-input"

# start_slow_peer NAME DELAY - a mail server on 127.0.0.1 that greets after DELAY seconds and
# accepts one message; what it receives goes to $WORK/NAME.transcript. Sets PEER_PORT.
start_slow_peer() {
  printf '%s\n' "@after $2 220 slow.example ready" "250 slow.example" "250 sender ok" "250 recipient ok" \
    "354 go ahead" "250 queued" "221 bye" >"$WORK/$1.script"
  /usr/bin/python3 "$PEERS/scripted_peer.py" "$WORK/$1.script" "$WORK/$1.transcript" \
    <"$WORK/peer-input" >"$WORK/$1.port" 2>"$WORK/$1.log" &
  STARTED_PIDS+=("$!")
  local tries
  for tries in $(seq 100); do
    [[ -s "$WORK/$1.port" ]] && break
    sleep 0.1
  done
  PEER_PORT=$(head -n 1 "$WORK/$1.port")
  [[ -n "$PEER_PORT" ]] || fail "peer $1 did not start: $(cat "$WORK/$1.log")"
}

# start_send NAME RECIPIENT PORT - mail.vbs in the background, sending to the peer on PORT;
# its output goes to $WORK/NAME.out. Sets SEND_PID.
start_send() {
  printf '%s\r\n' "$2" "" "" "slow" "<p>slow</p>" "" sender@example.org "" 127.0.0.1 "$3" False |
    iconv -f UTF-8 -t UTF-16 >"$WORK/$1.arguments"
  bw_cscript 180 "$SCRIPTS_TEST_DIR/mail.vbs" "$(bw_winpath "$WORK/$1.arguments")" >"$WORK/$1.out" 2>&1 &
  SEND_PID=$!
  STARTED_PIDS+=("$SEND_PID")
}

# wait_connected NAME - until the server has connected to the peer NAME (its transcript
# is opened on the connection).
wait_connected() {
  local tries
  for tries in $(seq 600); do
    [[ -e "$WORK/$1.transcript" ]] && return 0
    sleep 0.1
  done
  fail "the server never connected to peer $1: $(cat "$WORK/$1.out" 2>/dev/null)"
}

# expect_sent NAME PID RECIPIENT - the send ended with "OK" and the peer got the recipient.
expect_sent() {
  wait "$2" || fail "mail.vbs for $1 exited with $?: $(cat "$WORK/$1.out")"
  [[ "$(tr -d '\r' <"$WORK/$1.out" | head -n 1)" == "Res: OK (String)" ]] ||
    fail "the send to $1 answered: $(cat "$WORK/$1.out")"
  grep -q "^RCPT TO:<$3>" "$WORK/$1.transcript" || fail "peer $1 got no RCPT TO:<$3>: $(cat "$WORK/$1.transcript")"
}

# salir_yes_yes - Salir from the tray menu, confirmed, and the warning about live objects too.
salir_yes_yes() {
  driver tray-click rbuttonup || fail "cannot reach the tray icon's window"
  driver wait-menu 20 || fail "a right click on the tray icon opened no menu"
  driver choose-first-menu-item || fail "cannot pick Salir"
  driver answer Confirm yes 30 >/dev/null || fail "no confirmation box"
  driver answer "COM Server Warning" yes 30 >/dev/null || fail "no warning about the sending client's object"
}

idle=$(driver time-calls "$PROGID" json 100 | tr -d '\r') || fail "JSON calls failed on an idle server"
driver wait-processes Bramolt.exe 0 30 || fail "the server did not end after the timed calls"
start_slow_peer greeting 20
start_send greeting a@example.org "$PEER_PORT"
sender=$SEND_PID
wait_connected greeting
busy=$(driver time-calls "$PROGID" json 100 | tr -d '\r') || fail "JSON calls failed during a send"
kill -0 "$sender" 2>/dev/null || fail "the JSON calls were answered only after the send: $(cat "$WORK/greeting.out")"
window=$(driver window-answers 10 | tr -d '\r') || fail "the main window did not answer during a send"
kill -0 "$sender" 2>/dev/null || fail "the send ended before the window was asked"
expect_sent greeting "$sender" a@example.org
echo "JSON calls, idle server: $idle"
echo "JSON calls during the send: $busy"
echo "main window during the send: $window"
pass "while a send waits 20 s for its greeting, another client's 100 JSON calls and the main window are answered"
driver wait-processes Bramolt.exe 0 30 || fail "the server did not end after the send"

start_slow_peer first 10
start_send first first@example.org "$PEER_PORT"
first=$SEND_PID
start_slow_peer second 10
start_send second second@example.org "$PEER_PORT"
second=$SEND_PID
wait_connected first
wait_connected second
# The first send is still in its dialogue when the second connects: the calls overlap.
! grep -q '^QUIT' "$WORK/first.transcript" || fail "the second send started only after the first had ended"
expect_sent first "$first" first@example.org
expect_sent second "$second" second@example.org
pass "two slow sends of two clients overlap and each gets its answer"
driver wait-processes Bramolt.exe 0 30 || fail "the server did not end after the two sends"

start_slow_peer ending 10
start_send ending a@example.org "$PEER_PORT"
sender=$SEND_PID
wait_connected ending
salir_yes_yes
sleep 1
[[ $(process_count) == 1 ]] || fail "the server ended in the middle of a send"
expect_sent ending "$sender" a@example.org
driver wait-processes Bramolt.exe 0 30 || fail "the server did not end once the send was answered"
pass "Salir during a send lets the send finish, then ends the server"

start_slow_peer dying 8
start_send dying a@example.org "$PEER_PORT"
wait_connected dying
driver terminate cscript.exe || fail "cannot end the sending client"
wait "$SEND_PID" 2>/dev/null || true
for tries in $(seq 300); do
  grep -q '^QUIT' "$WORK/dying.transcript" && break
  sleep 0.1
done
grep -q '^QUIT' "$WORK/dying.transcript" || fail "the send of a client that died was not finished: $(cat "$WORK/dying.transcript")"
driver time-calls "$PROGID" version 10 >/dev/null || fail "the server no longer serves after a client died during its send"
pass "a client that dies during its send: the server finishes the send and goes on serving"
