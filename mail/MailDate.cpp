#include "mail/MailDate.h"

#include <cstdio>
#include <cstdlib>

namespace bramolt::mail {

namespace {

constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Days since 1970-01-01 of a civil date (proleptic Gregorian calendar).
long long DaysFromCivil(long long year, unsigned month, unsigned day)
{
    year -= month <= 2;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<long long>(dayOfEra) - 719468;
}

long long SecondsOf(const std::tm& time)
{
    return DaysFromCivil(time.tm_year + 1900LL, static_cast<unsigned>(time.tm_mon + 1),
                         static_cast<unsigned>(time.tm_mday)) *
               86400 +
           time.tm_hour * 3600LL + time.tm_min * 60LL + time.tm_sec;
}

} // namespace

std::string FormatMailDate(const std::tm& local, int offsetMinutes)
{
    const int offset = std::abs(offsetMinutes);
    char text[64];
    std::snprintf(text, sizeof text, "%s, %d %s %d %02d:%02d:%02d %c%02d%02d", kDays[local.tm_wday % 7],
                  local.tm_mday, kMonths[local.tm_mon % 12], local.tm_year + 1900, local.tm_hour,
                  local.tm_min, local.tm_sec, offsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
    return text;
}

std::string FormatMailDate(std::time_t moment)
{
    const TBrokenDownTime time = BreakDown(moment);
    return FormatMailDate(time.Local, static_cast<int>((SecondsOf(time.Local) - SecondsOf(time.Utc)) / 60));
}

} // namespace bramolt::mail
