#pragma once

// Whether this machine requires the mail server's certificate to be verified. One
// implementation per platform:
// - Windows (VerificationPolicyWin32.cpp): the value "VerifyServerCertificate" of the key
//   HKEY_LOCAL_MACHINE\SOFTWARE\Bramolt (64-bit view). Absent, or a DWORD 0: off. Any other
//   value, of any type, turns it on: a policy someone set by mistake as a string must not
//   leave the password unprotected without a word.
// - elsewhere (VerificationPolicyPosix.cpp): off; there is no machine policy to read.
// Read on every call, so a change applies at once without restarting the server.

namespace bramolt::mail {

bool ServerVerificationRequired();

} // namespace bramolt::mail
