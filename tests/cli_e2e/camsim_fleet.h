// Runs camsim (and other programs) as child processes for the end-to-end
// tests and the benchmarks. Every wait here has a bound.
#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

struct ProcessResult {
    int exitCode = -1; // -1 when killed at the bound or by a signal
    bool timedOut = false;
    std::string output; // standard output
};

// Runs a program to its end with extra environment variables; standard
// output is captured, standard error passes through. Killed at the bound.
ProcessResult RunProgram(const std::vector<std::string>& argv,
                         const std::map<std::string, std::string>& env,
                         std::chrono::milliseconds bound);

// A camsim process serving a fleet file, stopped (SIGTERM, then SIGKILL
// after a bound) when the object goes.
class CamsimFleet {
public:
    // Writes the fleet into `folder` and starts camsim there; waits (bounded)
    // for its ready file. extraArgs go to camsim as they are.
    CamsimFleet(const std::string& camsimPath, const std::filesystem::path& folder,
                const nlohmann::json& fleet, double timeScale,
                const std::vector<std::string>& extraArgs = {});
    ~CamsimFleet();
    CamsimFleet(const CamsimFleet&) = delete;
    CamsimFleet& operator=(const CamsimFleet&) = delete;

    bool Ready() const { return m_ready; }
    std::string ReadyText() const { return m_readyText; }
    // The event log so far, one object per line.
    std::vector<nlohmann::json> Events() const;
    void Stop();

private:
    pid_t m_pid = -1;
    bool m_ready = false;
    std::string m_readyText;
    std::filesystem::path m_eventLog;
};

// A temporary folder removed with the object.
class TempFolder {
public:
    explicit TempFolder(const std::string& tag);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};
