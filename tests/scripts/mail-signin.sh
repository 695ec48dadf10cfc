#!/usr/bin/env bash
# SendMail's sign-in and the machine's certificate policy, from VBScript through the
# registered server to a real SMTP server on this computer (aiosmtpd): PLAIN where LOGIN is
# not offered, an OAuth 2 access token (XOAUTH2, OAUTHBEARER), and, with the OpenSSL
# libraries beside a copy of the server, the policy value that makes TLS verify the server's
# certificate against the system's root store. The certificate authority and the server's
# certificate are made for this run by the openssl command.
source "$(dirname "$0")/common.sh"
source "$SCRIPTS_TEST_DIR/smtp.sh"
POLICY_KEY='HKLM\SOFTWARE\Bramolt'
REFUSED="Error: 8000FFFF SSL negotiation failed. The server's certificate was refused"

start_smtp plain --login "sender@example.org:pw" --exclude LOGIN
result=$(send a@example.org "" "" "plain" b "" sender@example.org pw 127.0.0.1 "$SMTP_PORT" False)
[[ "$result" == "Res: OK (String)" ]] || fail "PLAIN: $result"
expect_row "$WORK/plain/1.txt" mechanism PLAIN
pass "SendMail signs in with PLAIN where the server offers no LOGIN"

start_smtp oauth --oauth "sender@example.org:eyJ0.eyJz.c2ln-_"
result=$(send a@example.org "" "" "token" b "" sender@example.org "Bearer eyJ0.eyJz.c2ln-_" 127.0.0.1 "$SMTP_PORT" False)
[[ "$result" == "Res: OK (String)" ]] || fail "XOAUTH2: $result"
expect_row "$WORK/oauth/1.txt" mechanism XOAUTH2
expect_row "$WORK/oauth/1.txt" login sender@example.org
result=$(send a@example.org "" "" "token" b "" sender@example.org "Bearer expired" 127.0.0.1 "$SMTP_PORT" False)
[[ "$result" == "Error: 8000FFFF 5.7.8 Token refused for sender@example.org" ]] || fail "refused token: $result"
start_smtp oauthbearer --oauth "sender@example.org:tok" --exclude XOAUTH2
result=$(send a@example.org "" "" "token" b "" sender@example.org "Bearer tok" 127.0.0.1 "$SMTP_PORT" False)
[[ "$result" == "Res: OK (String)" ]] || fail "OAUTHBEARER: $result"
expect_row "$WORK/oauthbearer/1.txt" mechanism OAUTHBEARER
pass "SendMail signs in with an access token (XOAUTH2, OAUTHBEARER) and reports the server's refusal"

# The policy and the test authority change the shared prefix: both are undone however the
# test ends.
driver wait-processes Bramolt.exe 0 60 || fail "a server is still running"
OPENSSL_DLLS=$("$SCRIPTS_TEST_DIR/../../scripts/openssl-mingw")
mkdir "$WORK/with-openssl"
cp "$BRAMOLT_EXE" "$OPENSSL_DLLS/libssl-3-x64.dll" "$OPENSSL_DLLS/libcrypto-3-x64.dll" "$WORK/with-openssl/"
start_smtp tls --tls starttls --signed --login "sender@example.org:pw"
AUTHORITY=$(bw_winpath "$WORK/tls/ca.der")
# Wine 8 keeps the machine's root certificates in the registry, one key per SHA-1
# thumbprint; removing the key removes the certificate (see trust-root in the driver).
THUMBPRINT=$(openssl x509 -in "$WORK/tls/ca.pem" -noout -fingerprint -sha1 | sed 's/.*=//; s/://g')
distrust() {
  bw_env wine reg delete 'HKLM\Software\Microsoft\SystemCertificates\Root\Certificates\'"$THUMBPRINT" /f >/dev/null
}
restore() {
  driver wait-processes Bramolt.exe 0 60 >/dev/null 2>&1 || true
  bw_env wine reg delete "$POLICY_KEY" /f >/dev/null 2>&1 || true
  distrust 2>/dev/null || true
  server /regserver || echo "could not register the build's server again" >&2
}
trap 'restore; cleanup' EXIT
bw_env timeout 120 wine "$WORK/with-openssl/Bramolt.exe" /regserver || fail "the copy did not register"

result=$(send a@example.org "" "" "unverified" b "" sender@example.org pw 127.0.0.1 "$SMTP_PORT" True)
[[ "$result" == "Res: OK (String)" ]] || fail "TLS without the policy: $result"
pass "without the policy, a certificate of an unknown authority is accepted as before"

bw_env wine reg add "$POLICY_KEY" /v VerifyServerCertificate /t REG_DWORD /d 1 /f >/dev/null ||
  fail "could not set the policy"
result=$(send a@example.org "" "" "verified" b "" sender@example.org pw 127.0.0.1 "$SMTP_PORT" True)
[[ "$result" == "$REFUSED: unable to get local issuer certificate." ]] || fail "policy on, unknown authority: $result"
[[ ! -e "$WORK/tls/2.txt" ]] || fail "a message was sent to an unverified server"
pass "with the policy, a server whose authority is not in the system's root store is refused"

driver trust-root "$AUTHORITY" || fail "could not add the test authority to the ROOT store"
result=$(send a@example.org "" "" "verified" b "" sender@example.org pw 127.0.0.1 "$SMTP_PORT" True)
[[ "$result" == "Res: OK (String)" ]] || fail "policy on, trusted authority: $result"
expect_row "$WORK/tls/2.txt" tls 1
expect_row "$WORK/tls/2.txt" field Subject verified
pass "with the policy, a server whose authority is in the system's root store is accepted"

# Any value but a DWORD 0 keeps the policy on: a string "0" is no way to turn it off.
bw_env wine reg add "$POLICY_KEY" /v VerifyServerCertificate /t REG_SZ /d 0 /f >/dev/null
distrust || fail "could not remove the test authority"
result=$(send a@example.org "" "" "verified" b "" sender@example.org pw 127.0.0.1 "$SMTP_PORT" True)
[[ "$result" == "$REFUSED: unable to get local issuer certificate." ]] || fail "policy as a string: $result"
bw_env wine reg add "$POLICY_KEY" /v VerifyServerCertificate /t REG_DWORD /d 0 /f >/dev/null
result=$(send a@example.org "" "" "off again" b "" sender@example.org pw 127.0.0.1 "$SMTP_PORT" True)
[[ "$result" == "Res: OK (String)" ]] || fail "policy DWORD 0: $result"
pass "only a DWORD 0 turns the policy off"
