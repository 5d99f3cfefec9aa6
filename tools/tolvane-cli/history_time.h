// The instants of the history: its time texts carry their offset from UTC
// ("2024-05-01T18:00:05+0800"), so entries written in different time zones
// (a laptop that travelled, a changed clock) compare by when they happened.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Seconds since 1970-01-01 UTC of "YYYY-MM-DD[THH:MM[:SS]]" with an optional
// offset ("Z", "+HHMM", "+HH:MM", "-..."); a text without an offset is local
// time. Nothing when the text is not such a time.
std::optional<int64_t> InstantOf(const std::string& text);
