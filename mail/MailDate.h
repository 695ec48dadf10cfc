#pragma once

#include <ctime>
#include <string>

namespace bramolt::mail {

// The date-time of RFC 5322 section 3.3 for the Date field: "Thu, 10 Dec 2026 05:04:18 +0100",
// with English day and month names whatever the system's language.
std::string FormatMailDate(const std::tm& local, int offsetMinutes);
// The same for a moment, in the computer's local time and its offset from UTC.
std::string FormatMailDate(std::time_t moment);

// A moment in the computer's local time and in UTC, by the platform's thread-safe calls. One
// implementation per platform: MailDatePosix.cpp and MailDateWin32.cpp.
struct TBrokenDownTime {
    std::tm Local;
    std::tm Utc;
};
TBrokenDownTime BreakDown(std::time_t moment);

} // namespace bramolt::mail
