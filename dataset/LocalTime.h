#pragma once

// The server's local time of a moment in universal time, both as milliseconds from
// 1899-12-30 00:00 (DateTime.h). A packet's date-times carry no zone: they are the local
// time of the machine that writes them, so a date-time given with a zone is converted.

#include <cstdint>
#include <optional>

namespace bramolt::dataset {

// The time zone rules of the process (TZ, or the system's zone); no result for a moment the
// system cannot convert.
std::optional<std::int64_t> LocalFromUniversal(std::int64_t milliseconds) noexcept;

} // namespace bramolt::dataset
