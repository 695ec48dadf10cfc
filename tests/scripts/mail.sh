#!/usr/bin/env bash
# SendMail from VBScript through the registered server to a real SMTP server on this
# computer (aiosmtpd, each message read back with Python's email package): plain text with
# AUTH LOGIN; lists and attachments refused before connecting; TLS requested without the
# OpenSSL libraries; then, with the libraries beside a copy of the server, STARTTLS and
# implicit TLS on port 465.
source "$(dirname "$0")/common.sh"
source "$SCRIPTS_TEST_DIR/smtp.sh"
OPENSSL_DLLS=$("$SCRIPTS_TEST_DIR/../../scripts/openssl-mingw")

# Plain text, AUTH LOGIN, non-ASCII text, recipients of every kind and attachments.
start_smtp plain --login "sender@example.org:s3cret"
head -c 100000 /dev/urandom >"$WORK/report.pdf"
printf 'tiny' >"$WORK/ñandú.txt"
attachments="$(bw_winpath "$WORK/report.pdf")||$(bw_winpath "$WORK/ñandú.txt")|"
result=$(send "Ana Pérez <ana@example.org>; bob@example.org" "cc@example.org" "hidden@example.org" \
  "Informe ñandú €" "<p>Canción: ó €</p>" "$attachments" "sender@example.org" "s3cret" 127.0.0.1 "$SMTP_PORT" False)
[[ "$result" == "Res: OK (String)" ]] || fail "SendMail answered: $result"
summary=$WORK/plain/1.txt
for rcpt in ana@example.org bob@example.org cc@example.org hidden@example.org; do expect_row "$summary" rcpt "$rcpt"; done
[[ $(grep -c '^rcpt' "$summary") == 4 ]] || fail "recipients: $(grep '^rcpt' "$summary")"
expect_row "$summary" login sender@example.org
expect_row "$summary" field Subject "Informe ñandú €"
expect_row "$summary" field To "Ana Pérez <ana@example.org>, bob@example.org"
expect_row "$summary" body "<p>Canción: ó €</p>"
expect_row "$summary" attachment report.pdf application/pdf 1-0.bin
expect_row "$summary" attachment ñandú.txt text/plain 1-1.bin
grep -q '^field	Bcc' "$summary" && fail "the message has a Bcc field"
cmp -s "$WORK/report.pdf" "$WORK/plain/1-0.bin" || fail "report.pdf arrived changed"
cmp -s "$WORK/ñandú.txt" "$WORK/plain/1-1.bin" || fail "ñandú.txt arrived changed"
grep -q '^field	Message-ID	<[0-9A-F]\{32\}@example.org>$' "$summary" || fail "no Message-ID: $(cat "$summary")"
pass "SendMail delivers with AUTH LOGIN: recipients, non-ASCII text and attachments arrive intact"

# What cannot be sent as written is refused before connecting: nothing reaches the server.
missing=$(bw_winpath "$WORK/missing.doc")
result=$(send a@example.org "" "" s b "$(bw_winpath "$WORK/report.pdf")|$missing" "sender@example.org" "s3cret" \
  127.0.0.1 "$SMTP_PORT" False)
[[ "$result" == "Error: 8000FFFF Attachment not found: \"$missing\"" ]] || fail "missing attachment: $result"
folder=$(bw_winpath "$WORK")
result=$(send a@example.org "" "" s b "$folder" "sender@example.org" "s3cret" 127.0.0.1 "$SMTP_PORT" False)
[[ "$result" == "Error: 8000FFFF Attachment not readable: \"$folder\". It is a folder." ]] ||
  fail "folder as attachment: $result"
result=$(send a@example.org "" "" s b "NUL" "sender@example.org" "s3cret" 127.0.0.1 "$SMTP_PORT" False)
[[ "$result" == "Error: 8000FFFF Attachment not readable: \"NUL\". It is a device, not a file." ]] ||
  fail "device as attachment: $result"
result=$(send "a@example.org> NOTIFY=NEVER" "" "" s b "" "sender@example.org" "s3cret" 127.0.0.1 "$SMTP_PORT" False)
[[ "$result" == 'Error: 8000FFFF Invalid e-mail address in To: "a@example.org> NOTIFY=NEVER"' ]] ||
  fail "parameter in an address: $result"
[[ ! -e "$WORK/plain/2.txt" ]] || fail "a refused call sent a message"
pass "SendMail refuses a missing attachment, a folder, a device and a crafted address before sending"

# Failures raise errors with their messages.
result=$(send a@example.org "" "" s b "" u@example.org "" "" 25 False)
[[ "$result" == "Error: 8000FFFF A Host is required" ]] || fail "empty server: $result"
result=$(send a@example.org "" "" s b "" u@example.org "" 127.0.0.1 1 False)
[[ "$result" == "Error: 8000FFFF Socket Error # 10061"* ]] || fail "nothing listening: $result"
start_smtp starttls --tls starttls --login "sender@example.org:pw"
result=$(send a@example.org "" "" s b "" sender@example.org pw 127.0.0.1 "$SMTP_PORT" True)
[[ "$result" == "Error: 8000FFFF Could not load SSL library." ]] || fail "TLS without OpenSSL: $result"
[[ ! -e "$WORK/starttls/1.txt" ]] || fail "a message was sent without TLS"
pass "SendMail failures raise their messages; TLS without the OpenSSL libraries fails before sending"

# The same server registered from a copy with the OpenSSL libraries beside it.
driver wait-processes Bramolt.exe 0 60 || fail "a server is still running"
mkdir "$WORK/with-openssl"
cp "$BRAMOLT_EXE" "$OPENSSL_DLLS/libssl-3-x64.dll" "$OPENSSL_DLLS/libcrypto-3-x64.dll" "$WORK/with-openssl/"
restore_registration() {
  driver wait-processes Bramolt.exe 0 60 >/dev/null 2>&1 || true
  server /regserver || echo "could not register the build's server again" >&2
}
trap 'restore_registration; cleanup' EXIT
bw_env timeout 120 wine "$WORK/with-openssl/Bramolt.exe" /regserver || fail "the copy did not register"

result=$(send a@example.org "" "" "over TLS" b "" sender@example.org pw 127.0.0.1 "$SMTP_PORT" True)
[[ "$result" == "Res: OK (String)" ]] || fail "STARTTLS: $result"
expect_row "$WORK/starttls/1.txt" tls 1
expect_row "$WORK/starttls/1.txt" login sender@example.org
pass "SendMail with STARTTLS and AUTH LOGIN through the OpenSSL libraries beside the server"

start_smtp implicit --tls implicit --port 465 --login "sender@example.org:pw"
result=$(send a@example.org "" "" "implicit TLS" b "" sender@example.org pw 127.0.0.1 465 True)
[[ "$result" == "Res: OK (String)" ]] || fail "implicit TLS on 465: $result"
expect_row "$WORK/implicit/1.txt" tls 1
expect_row "$WORK/implicit/1.txt" field Subject "implicit TLS"
pass "SendMail with TLS on port 465 speaks TLS from the first byte"
