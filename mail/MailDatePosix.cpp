#include "mail/MailDate.h"

namespace bramolt::mail {

TBrokenDownTime BreakDown(std::time_t moment)
{
    TBrokenDownTime time{};
    localtime_r(&moment, &time.Local);
    gmtime_r(&moment, &time.Utc);
    return time;
}

} // namespace bramolt::mail
