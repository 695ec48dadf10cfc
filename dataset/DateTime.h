#pragma once

// Date-times as the engine holds them: whole milliseconds counted from 1899-12-30 00:00,
// from 0001-01-01 to 9999-12-31 23:59:59.999. The automation form is a double of days from
// the same moment whose fraction is the time of day; for a negative day count the fraction
// still counts forward from midnight (-1.25 is 1899-12-29 06:00).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace bramolt::dataset {

inline constexpr std::int64_t kMillisecondsPerDay = 86'400'000;

// Nearest millisecond of `days`; no result for NaN, infinities and moments outside the range.
std::optional<std::int64_t> MillisecondsOfDays(double days) noexcept;
double DaysOfMilliseconds(std::int64_t milliseconds) noexcept;

// Packet forms: date "yyyymmdd"; time "hh:nn:ss" followed directly by three millisecond
// digits; dateTime "yyyymmddThh:nn:ss" and three millisecond digits, or the date alone for
// midnight. Reading also takes a time without the millisecond digits.
std::optional<std::int64_t> ReadPacketDate(std::string_view text) noexcept;
std::optional<std::int64_t> ReadPacketTime(std::string_view text) noexcept;
std::optional<std::int64_t> ReadPacketDateTime(std::string_view text) noexcept;
std::string WritePacketDate(std::int64_t milliseconds);
std::string WritePacketTime(std::int64_t milliseconds);
std::string WritePacketDateTime(std::int64_t milliseconds);

// ISO 8601 text: "yyyy-mm-dd", optionally followed by " " or "T" and "hh:nn", ":ss", a
// fraction of a second (any number of digits after "." or ",", to the nearest millisecond)
// and a zone ("Z", "+hh:mm", "-hhmm", "+hh"); or a time alone, "hh:nn[:ss[.fff]]", without
// a zone. A moment given with a zone is converted to the process's local time. In days.
std::optional<double> ReadIsoDateTime(std::u16string_view text) noexcept;

} // namespace bramolt::dataset
