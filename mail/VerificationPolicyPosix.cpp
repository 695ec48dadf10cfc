#include "mail/VerificationPolicy.h"

namespace bramolt::mail {

bool ServerVerificationRequired()
{
    return false;
}

} // namespace bramolt::mail
