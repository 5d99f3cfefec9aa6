#include "osa/osa_sleep.h"

#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace {

std::mutex g_hookMutex;
std::function<void(uint32_t)> g_hook;

double ReadTimeScale() {
    const char* text = std::getenv("TOLVANE_TIME_SCALE");
    if (text == nullptr || *text == '\0') {
        return 1.0;
    }
    char* end = nullptr;
    const double scale = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(scale > 0.0) || scale > 1000.0) {
        return 1.0;
    }
    return scale;
}

} // namespace

double OSA_timeScale() {
    static const double scale = ReadTimeScale();
    return scale;
}

void OSA_setSleepHook(std::function<void(uint32_t ms)> hook) {
    std::lock_guard<std::mutex> guard(g_hookMutex);
    g_hook = std::move(hook);
}

void OSA_sleep(uint32_t ms) {
    std::function<void(uint32_t)> hook;
    {
        std::lock_guard<std::mutex> guard(g_hookMutex);
        hook = g_hook;
    }
    if (hook) {
        hook(ms);
        return;
    }
    const auto real = std::chrono::duration<double, std::milli>(ms * OSA_timeScale());
    std::this_thread::sleep_for(std::chrono::duration_cast<std::chrono::microseconds>(real));
}
