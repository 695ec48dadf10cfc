#include "dataset/DateTime.h"

#include "dataset/LocalTime.h"

#include <cmath>
#include <cstdio>

namespace bramolt::dataset {

namespace {

// Days from 1899-12-30 of a proleptic Gregorian date (the civil-from-days algorithm of
// H. Hinnant, shifted from the Unix epoch).
constexpr std::int64_t kUnixEpochDay = 25569; // 1970-01-01

constexpr std::int64_t DaysFromCivil(int y, unsigned m, unsigned d) noexcept
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468 + kUnixEpochDay;
}

struct TCivil {
    int FYear;
    unsigned FMonth;
    unsigned FDay;
};

constexpr TCivil CivilFromDays(std::int64_t days) noexcept
{
    const std::int64_t z = days - kUnixEpochDay + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<int>(yoe + era * 400 + (m <= 2)), m, d};
}

constexpr std::int64_t kFirstDay = DaysFromCivil(1, 1, 1);
constexpr std::int64_t kLastDay = DaysFromCivil(9999, 12, 31);

constexpr unsigned DaysInMonth(int y, unsigned m) noexcept
{
    if (m == 2)
        return (y % 4 == 0 && (y % 100 != 0 || y % 400 == 0)) ? 29 : 28;
    return (m == 4 || m == 6 || m == 9 || m == 11) ? 30 : 31;
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) noexcept
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// A cursor over ASCII digits of a text of either character width.
template <typename Char> class TDigits {
  public:
    explicit TDigits(std::basic_string_view<Char> text) : FText(text) {}
    bool Number(int count, int& value) noexcept
    {
        value = 0;
        for (int i = 0; i < count; ++i) {
            if (FPos >= FText.size() || FText[FPos] < '0' || FText[FPos] > '9')
                return false;
            value = value * 10 + static_cast<int>(FText[FPos++] - '0');
        }
        return true;
    }
    bool Skip(char c) noexcept
    {
        if (FPos < FText.size() && FText[FPos] == static_cast<Char>(c)) {
            ++FPos;
            return true;
        }
        return false;
    }
    bool AtEnd() const noexcept { return FPos == FText.size(); }

  private:
    std::basic_string_view<Char> FText;
    std::size_t FPos = 0;
};

std::optional<std::int64_t> DateMilliseconds(int y, int m, int d) noexcept
{
    if (y < 1 || m < 1 || m > 12 || d < 1 ||
        static_cast<unsigned>(d) > DaysInMonth(y, static_cast<unsigned>(m)))
        return std::nullopt;
    return DaysFromCivil(y, static_cast<unsigned>(m), static_cast<unsigned>(d)) * kMillisecondsPerDay;
}

std::optional<std::int64_t> TimeMilliseconds(int h, int n, int s, int ms) noexcept
{
    if (h > 23 || n > 59 || s > 59)
        return std::nullopt;
    return ((h * 60LL + n) * 60 + s) * 1000 + ms;
}

template <typename Char> std::optional<std::int64_t> ReadPacketClock(TDigits<Char>& in) noexcept
{
    int h, n, s, ms = 0;
    if (!in.Number(2, h) || !in.Skip(':') || !in.Number(2, n) || !in.Skip(':') || !in.Number(2, s))
        return std::nullopt;
    if (!in.AtEnd() && !in.Number(3, ms))
        return std::nullopt;
    return TimeMilliseconds(h, n, s, ms);
}

// The digits of a fraction of a second (at least one), to the nearest millisecond.
std::optional<std::int64_t> ReadFractionMilliseconds(TDigits<char16_t>& in) noexcept
{
    std::int64_t ms = 0;
    int digits = 0, digit = 0;
    bool roundUp = false;
    while (in.Number(1, digit)) {
        if (digits < 3)
            ms = ms * 10 + digit;
        else if (digits == 3)
            roundUp = digit >= 5;
        ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    for (; digits < 3; ++digits)
        ms *= 10;
    return ms + roundUp;
}

// "Z", or "+hh:mm", "+hhmm", "+hh" (and "-"): the offset from universal time, in milliseconds.
std::optional<std::int64_t> ReadZoneOffset(TDigits<char16_t>& in) noexcept
{
    if (in.Skip('Z') || in.Skip('z'))
        return 0;
    int sign = 1;
    if (in.Skip('-'))
        sign = -1;
    else if (!in.Skip('+'))
        return std::nullopt;
    int hours = 0, minutes = 0;
    if (!in.Number(2, hours))
        return std::nullopt;
    if (!in.AtEnd()) {
        in.Skip(':');
        if (!in.Number(2, minutes))
            return std::nullopt;
    }
    if (hours > 23 || minutes > 59)
        return std::nullopt;
    return sign * (hours * 60LL + minutes) * 60'000;
}

template <typename Char> std::optional<std::int64_t> ReadCompactDate(TDigits<Char>& in) noexcept
{
    int y, m, d;
    if (!in.Number(4, y) || !in.Number(2, m) || !in.Number(2, d))
        return std::nullopt;
    return DateMilliseconds(y, m, d);
}

} // namespace

std::optional<std::int64_t> MillisecondsOfDays(double days) noexcept
{
    if (!std::isfinite(days) || days < static_cast<double>(kFirstDay) - 1 ||
        days > static_cast<double>(kLastDay) + 1)
        return std::nullopt;
    const double whole = std::trunc(days);
    const auto time = static_cast<std::int64_t>(std::llround(std::fabs(days - whole) * kMillisecondsPerDay));
    const std::int64_t result = static_cast<std::int64_t>(whole) * kMillisecondsPerDay + time;
    if (result < kFirstDay * kMillisecondsPerDay || result >= (kLastDay + 1) * kMillisecondsPerDay)
        return std::nullopt;
    return result;
}

double DaysOfMilliseconds(std::int64_t milliseconds) noexcept
{
    const std::int64_t day = FloorDiv(milliseconds, kMillisecondsPerDay);
    const double time = static_cast<double>(milliseconds - day * kMillisecondsPerDay) / kMillisecondsPerDay;
    return day < 0 ? static_cast<double>(day) - time : static_cast<double>(day) + time;
}

std::optional<std::int64_t> ReadPacketDate(std::string_view text) noexcept
{
    TDigits in(text);
    auto date = ReadCompactDate(in);
    return date && in.AtEnd() ? date : std::nullopt;
}

std::optional<std::int64_t> ReadPacketTime(std::string_view text) noexcept
{
    TDigits in(text);
    return ReadPacketClock(in);
}

std::optional<std::int64_t> ReadPacketDateTime(std::string_view text) noexcept
{
    TDigits in(text);
    const auto date = ReadCompactDate(in);
    if (!date)
        return std::nullopt;
    if (in.AtEnd())
        return date;
    if (!in.Skip('T'))
        return std::nullopt;
    const auto time = ReadPacketClock(in);
    return time ? std::optional(*date + *time) : std::nullopt;
}

std::string WritePacketDate(std::int64_t milliseconds)
{
    const TCivil c = CivilFromDays(FloorDiv(milliseconds, kMillisecondsPerDay));
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d%02u%02u", c.FYear, c.FMonth, c.FDay);
    return buffer;
}

std::string WritePacketTime(std::int64_t milliseconds)
{
    const std::int64_t t = milliseconds - FloorDiv(milliseconds, kMillisecondsPerDay) * kMillisecondsPerDay;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d%03d", static_cast<int>(t / 3'600'000),
                  static_cast<int>(t / 60'000 % 60), static_cast<int>(t / 1000 % 60),
                  static_cast<int>(t % 1000));
    return buffer;
}

std::string WritePacketDateTime(std::int64_t milliseconds)
{
    return WritePacketDate(milliseconds) + 'T' + WritePacketTime(milliseconds);
}

std::optional<double> ReadIsoDateTime(std::u16string_view text) noexcept
{
    TDigits in(text);
    std::int64_t total = 0;
    bool dated = false;
    int y, m, d;
    if (text.size() >= 10 && text[4] == u'-') {
        if (!in.Number(4, y) || !in.Skip('-') || !in.Number(2, m) || !in.Skip('-') || !in.Number(2, d))
            return std::nullopt;
        const auto date = DateMilliseconds(y, m, d);
        if (!date)
            return std::nullopt;
        total = *date;
        dated = true;
        if (in.AtEnd())
            return DaysOfMilliseconds(total);
        if (!in.Skip(' ') && !in.Skip('T'))
            return std::nullopt;
    }
    int h, n, s = 0;
    if (!in.Number(2, h) || !in.Skip(':') || !in.Number(2, n))
        return std::nullopt;
    std::int64_t ms = 0;
    if (in.Skip(':')) {
        if (!in.Number(2, s))
            return std::nullopt;
        if (in.Skip('.') || in.Skip(',')) {
            const auto fraction = ReadFractionMilliseconds(in);
            if (!fraction)
                return std::nullopt;
            ms = *fraction;
        }
    }
    const auto time = TimeMilliseconds(h, n, s, 0);
    if (!time)
        return std::nullopt;
    total += *time + ms;
    if (in.AtEnd())
        return DaysOfMilliseconds(total);
    // A zone needs the date: the offset of a time of day alone depends on the day.
    const auto offset = dated ? ReadZoneOffset(in) : std::nullopt;
    if (!offset || !in.AtEnd())
        return std::nullopt;
    const auto local = LocalFromUniversal(total - *offset);
    if (!local || *local < kFirstDay * kMillisecondsPerDay || *local >= (kLastDay + 1) * kMillisecondsPerDay)
        return std::nullopt;
    return DaysOfMilliseconds(*local);
}

} // namespace bramolt::dataset
