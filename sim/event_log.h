#pragma once

#include <chrono>
#include <cstdio>
#include <string>

namespace camsim {

// JSON-lines record of what each camera was asked and how it answered.
// Every line is flushed at once so that a test can follow the file live.
class EventLog {
public:
    EventLog() = default;
    ~EventLog();
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;

    // Opens (truncates) the file; false when it cannot be created.
    bool open(const std::string& path, double timeScale);
    bool isOpen() const { return file_ != nullptr; }

    void write(const std::string& camera, unsigned port, const std::string& request,
               const std::string& detail, const std::string& outcome);

private:
    std::FILE* file_ = nullptr;
    double timeScale_ = 1.0;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

} // namespace camsim
