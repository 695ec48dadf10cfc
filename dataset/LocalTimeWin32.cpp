#include "dataset/LocalTime.h"

#include "dataset/DateTime.h"

#include <windows.h>

namespace bramolt::dataset {

namespace {

// FILETIME counts 100-nanosecond steps from 1601-01-01, which is 109,205 days before
// 1899-12-30.
constexpr std::int64_t kFileTimeEpochMilliseconds = -109205 * kMillisecondsPerDay;

} // namespace

std::optional<std::int64_t> LocalFromUniversal(std::int64_t milliseconds) noexcept
{
    if (milliseconds < kFileTimeEpochMilliseconds)
        return std::nullopt;
    const auto ticks = static_cast<std::uint64_t>(milliseconds - kFileTimeEpochMilliseconds) * 10'000;
    FILETIME universal{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME universalTime, localTime;
    FILETIME local;
    if (!::FileTimeToSystemTime(&universal, &universalTime) ||
        !::SystemTimeToTzSpecificLocalTime(nullptr, &universalTime, &localTime) ||
        !::SystemTimeToFileTime(&localTime, &local))
        return std::nullopt;
    const std::uint64_t localTicks =
        (static_cast<std::uint64_t>(local.dwHighDateTime) << 32) | local.dwLowDateTime;
    return static_cast<std::int64_t>(localTicks / 10'000) + kFileTimeEpochMilliseconds;
}

} // namespace bramolt::dataset
