#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// ISO 8601 texts of UTC times with milliseconds: "2026-12-08T16:46:25.123Z".
std::string FormatUtc(std::int64_t milliseconds);

// Reads "YYYY-MM-DDTHH:MM:SS[.fff][Z]" (a space may stand for the T; the
// seconds and the fraction may be left out) as UTC. Nothing for any other
// text or an impossible date.
std::optional<std::int64_t> ParseUtc(std::string_view text);

// The local time of a UTC time, "YYYY-MM-DD HH:MM:SS.fff", by the C library's
// time zone (TZ).
std::string FormatLocal(std::int64_t milliseconds);

// Milliseconds since 1970 UTC by the system clock.
std::int64_t UtcNowMs();
