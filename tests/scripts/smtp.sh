# The mail tests' SMTP side, for scripts that source common.sh: a real SMTP server on
# 127.0.0.1 that keeps every message it accepts, and mail.vbs to send through the server.
PEERS=$SCRIPTS_TEST_DIR/../native/mail/peers

# start_smtp NAME OPTIONS... - starts the capturing server, its messages in $WORK/NAME;
# sets SMTP_PORT.
start_smtp() {
  local name=$1 tries
  shift
  mkdir -p "$WORK/$name"
  /usr/bin/python3 "$PEERS/smtp_server.py" "$WORK/$name" --forever "$@" >"$WORK/$name.port" 2>"$WORK/$name.log" &
  STARTED_PIDS+=("$!")
  for tries in $(seq 150); do
    [[ -s "$WORK/$name.port" ]] && break
    sleep 0.1
  done
  SMTP_PORT=$(head -n 1 "$WORK/$name.port")
  [[ -n "$SMTP_PORT" ]] || fail "SMTP server $name did not start: $(cat "$WORK/$name.log")"
}

# send TO CC BCC SUBJECT BODY ATTACHMENTS USER PASSWORD SERVER PORT TLS - runs mail.vbs
# with these arguments; prints its output.
send() {
  printf '%s\r\n' "$@" | iconv -f UTF-8 -t UTF-16 >"$WORK/arguments.txt"
  local output
  output=$(bw_cscript 180 "$SCRIPTS_TEST_DIR/mail.vbs" "$(bw_winpath "$WORK/arguments.txt")" 2>&1 | tr -d '\r') ||
    true
  [[ "$(tail -n 1 <<<"$output")" == done ]] || fail "mail.vbs did not run to its end: $output"
  sed '$d' <<<"$output"
}

# expect_row SUMMARY KEY VALUE... - the message summary holds this row.
expect_row() {
  local summary=$1
  shift
  local row
  row=$(printf '%s\t' "$@")
  grep -qxF -- "${row%$'\t'}" "$summary" || fail "$summary lacks the row '$*': $(cat "$summary")"
}
