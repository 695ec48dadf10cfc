#include "mail/MailDate.h"

namespace bramolt::mail {

TBrokenDownTime BreakDown(std::time_t moment)
{
    TBrokenDownTime time{};
    localtime_s(&time.Local, &moment);
    gmtime_s(&time.Utc, &moment);
    return time;
}

} // namespace bramolt::mail
