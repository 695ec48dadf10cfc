#include "mail/VerificationPolicy.h"

#include <windows.h>

namespace bramolt::mail {

bool ServerVerificationRequired()
{
    DWORD type = REG_NONE;
    DWORD value = 0;
    DWORD size = sizeof value;
    const LSTATUS status =
        ::RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Bramolt", L"VerifyServerCertificate",
                       RRF_RT_ANY | RRF_NOEXPAND, &type, &value, &size);
    if (status == ERROR_FILE_NOT_FOUND)
        return false;
    // A value that does not fit a DWORD (ERROR_MORE_DATA), or that cannot be read, is on.
    return !(status == ERROR_SUCCESS && type == REG_DWORD && value == 0);
}

} // namespace bramolt::mail
