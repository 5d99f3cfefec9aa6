// Local calendar time, thread-safe on every platform (localtime_r is POSIX,
// localtime_s is Windows).
#pragma once

#include <ctime>

// False when the time cannot be expressed. utcOffsetSeconds (optional) gets
// local time minus UTC at that moment, east positive.
bool OSA_localTime(std::time_t when, std::tm* out, long* utcOffsetSeconds = nullptr);
