#include "dataset/LocalTime.h"

#include "dataset/DateTime.h"

#include <ctime>

namespace bramolt::dataset {

namespace {

constexpr std::int64_t kUnixEpochMilliseconds = 25569 * kMillisecondsPerDay; // 1970-01-01

} // namespace

std::optional<std::int64_t> LocalFromUniversal(std::int64_t milliseconds) noexcept
{
    const std::int64_t sinceEpoch = milliseconds - kUnixEpochMilliseconds;
    const std::int64_t seconds = sinceEpoch / 1000 - (sinceEpoch % 1000 < 0);
    const auto time = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (localtime_r(&time, &local) == nullptr)
        return std::nullopt;
    // The zone's offset at that moment, from the fields of the local time.
    std::tm asUniversal = local;
    const std::int64_t localSeconds = static_cast<std::int64_t>(timegm(&asUniversal));
    return milliseconds + (localSeconds - seconds) * 1000;
}

} // namespace bramolt::dataset
