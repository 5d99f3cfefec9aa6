// Runs the camera simulator as a child process for tests and benchmarks:
// started with its own fleet, waited for through its ready file, stopped
// with SIGTERM and reaped, all within fixed bounds.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace sdktest {

class CamsimProcess {
public:
    // `binary` is camsim's path; `args` its options (the ready file and the
    // event log are added here).
    CamsimProcess(const std::string& binary, std::vector<std::string> args);
    ~CamsimProcess();
    CamsimProcess(const CamsimProcess&) = delete;
    CamsimProcess& operator=(const CamsimProcess&) = delete;

    bool Ready() const { return ready_; }
    const std::string& EventLogPath() const { return eventLog_; }
    std::string EventLog() const;
    pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    bool ready_ = false;
    std::string folder_;
    std::string eventLog_;
};

// A UDP port on which nothing listens now; for a test's own discovery port.
unsigned short FreeUdpPort();

// A TCP port free on loopback now, the same for the whole process: the
// simulated cameras of one test run listen there, so that two runs of the
// tests (another build, another engineer) never ask for the same address
// and port.
unsigned short ProcessCameraPort();

// `text` with every "18080" (the port written in fleets and arguments)
// replaced by ProcessCameraPort().
std::string WithCameraPort(std::string text);

// Runs a program to its end (bounded); true on exit status 0.
bool RunProgram(const std::string& binary, const std::vector<std::string>& args);

struct ProgramRun {
    int exitCode = -1;  // -1: did not end by itself within the bound
    std::string output; // standard output
};

// Runs a program to its end (bounded), keeping what it printed.
ProgramRun RunCapturing(const std::string& binary, const std::vector<std::string>& args);

} // namespace sdktest
