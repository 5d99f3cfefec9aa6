#pragma once

#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <sys/types.h>
#include <vector>

namespace camsim_test {

// A camsim child process with its own event log and ready file in a
// private temporary folder. Stopped (SIGTERM, then SIGKILL) on destruction.
class CamsimProcess {
public:
    explicit CamsimProcess(std::vector<std::string> args);
    ~CamsimProcess();
    CamsimProcess(const CamsimProcess&) = delete;
    CamsimProcess& operator=(const CamsimProcess&) = delete;

    // Waits for the ready file; false on timeout or early exit.
    bool waitReady(std::chrono::milliseconds timeout = std::chrono::seconds(15));
    // Sends SIGTERM and waits; the exit status, or -1 if it had to be killed.
    int stop(std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // Waits for the process to end by itself; the exit status or -1.
    int waitExit(std::chrono::milliseconds timeout);

    pid_t pid() const { return pid_; }
    const std::filesystem::path& dir() const { return dir_; }
    std::string output() const;
    std::string errors() const;
    // Every event-log line so far.
    std::vector<nlohmann::json> events() const;
    // Waits until an event matches; returns it, or null on timeout.
    nlohmann::json waitEvent(const std::string& camera, const std::string& request,
                             const std::string& outcomePrefix,
                             std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

    static std::string binary();

private:
    std::filesystem::path dir_;
    pid_t pid_ = -1;
    int status_ = -1;
    bool exited_ = false;
};

// Writes text to a file in a temporary folder and returns the path.
std::filesystem::path writeTempFile(const std::string& name, const std::string& text);

} // namespace camsim_test
