// The one sleep through which every fixed wait of the system goes.
#pragma once

#include <cstdint>
#include <functional>

// Sleeps for `ms` milliseconds of the system's time: the real duration is
// ms * TOLVANE_TIME_SCALE (environment, a factor, default 1), unless a test
// has installed a replacement, which then receives the unscaled `ms`.
void OSA_sleep(uint32_t ms);

// The factor read from TOLVANE_TIME_SCALE (read once; invalid or non-positive
// values give 1).
double OSA_timeScale();

// Installs a replacement for OSA_sleep (a virtual clock in tests); an empty
// function restores real sleeping. Not to be called while workers sleep.
void OSA_setSleepHook(std::function<void(uint32_t ms)> hook);
