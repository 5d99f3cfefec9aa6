// Clocks and memory figures the window benchmarks share.
#pragma once

#include <QCoreApplication>
#include <chrono>
#include <ctime>
#include <fstream>
#include <string>

inline double ThreadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

inline double WallMs() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

inline long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

// Processes events until `done` or the bound; returns false on the bound.
template <class Done> bool PumpUntil(Done done, double boundMs) {
    const double end = WallMs() + boundMs;
    while (!done()) {
        if (WallMs() > end)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}
