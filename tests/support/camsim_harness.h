// Runs the camera simulator and the other programs of the project as child
// processes for tests and benchmarks. Every wait here has a bound, long
// enough for sanitized builds on a loaded machine.
#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <sys/types.h>
#include <vector>

namespace harness {

// How long a simulator may take to say it is ready, and to stop on SIGTERM.
inline constexpr std::chrono::seconds kReadyBound{60};
inline constexpr std::chrono::seconds kStopBound{10};

struct ProgramRun {
    int exitCode = -1;     // -1: killed at the bound or ended by a signal
    bool timedOut = false; // killed at the bound
    std::string output;    // standard output (standard error passes through)
};

// Runs argv[0] with the given arguments to its end, with `env` added to the
// environment; killed when it overstays `bound`.
ProgramRun RunProgram(const std::vector<std::string>& argv,
                      std::chrono::milliseconds bound = std::chrono::seconds(60),
                      const std::map<std::string, std::string>& env = {});

// The command that starts a program under test: `built`, this build's own;
// or, when the environment variable `variable` is set, its words separated
// by '|' (for instance "wine_run.sh|tolvane-cli.exe": the Windows build's
// program under Wine). The same test then checks both.
std::vector<std::string> ProgramCommand(const char* variable, const std::string& built);

// A fresh temporary folder, removed with everything in it when the object goes.
class TempFolder {
public:
    explicit TempFolder(const std::string& tag = "test");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Writes `text` to a file of this process in the temporary folder; returns its path.
std::filesystem::path WriteTempFile(const std::string& name, const std::string& text);

// Writes `fleet` to `fleetFile` and returns camsim's arguments to serve it
// with `timeScale`.
std::vector<std::string> FleetArgs(const std::filesystem::path& fleetFile,
                                   const nlohmann::json& fleet, double timeScale);

// A TCP port free on loopback when first asked, then the same for the whole
// process: the simulated cameras of one test run listen there, so that two
// runs of the tests (another build folder, another engineer) do not collide.
unsigned short ProcessCameraPort();

// `text` with every "18080" (the port written in fleets and arguments)
// replaced by ProcessCameraPort().
std::string WithCameraPort(std::string text);

// A UDP port held (bound on every address, never read) while the object
// lives: probes sent there get no answer, and no simulator is given it.
class SilentUdpPort {
public:
    SilentUdpPort();
    ~SilentUdpPort();
    SilentUdpPort(const SilentUdpPort&) = delete;
    SilentUdpPort& operator=(const SilentUdpPort&) = delete;
    unsigned short Port() const { return port_; }

private:
    int fd_ = -1;
    unsigned short port_ = 0;
};

// Where the simulator listens for discovery probes.
enum class Discovery {
    AnyFreePort, // a port the system picks and no other simulator shares
    AsGiven,     // what the arguments or the environment say
};

// A camsim child process with its event log, ready file, standard output and
// standard error in a private temporary folder. Stopped (SIGTERM, then
// SIGKILL after kStopBound) when the object goes.
class CamsimProcess {
public:
    CamsimProcess(const std::string& binary, std::vector<std::string> args,
                  Discovery discovery = Discovery::AnyFreePort);
    ~CamsimProcess();
    CamsimProcess(const CamsimProcess&) = delete;
    CamsimProcess& operator=(const CamsimProcess&) = delete;

    // Waits for the ready file; false when the process ended or the bound passed.
    bool WaitReady(std::chrono::milliseconds bound = kReadyBound);
    // The ready file's text (the camera listing), once ready.
    const std::string& ReadyText() const { return readyText_; }
    // The discovery port the simulator reported, once ready; 0 before.
    unsigned short DiscoveryPort() const { return discoveryPort_; }

    // Sends SIGTERM and waits; the exit status, or -1 when it had to be killed.
    int Stop(std::chrono::milliseconds bound = kStopBound);
    // Waits for the process to end by itself; its exit status, or -1.
    int WaitExit(std::chrono::milliseconds bound);

    pid_t Pid() const { return pid_; }
    const std::filesystem::path& Dir() const { return dir_; }
    std::string Output() const;
    std::string Errors() const;
    std::filesystem::path EventLogPath() const { return dir_ / "events.jsonl"; }
    std::string EventLogText() const;
    // Every event-log line so far that parses.
    std::vector<nlohmann::json> Events() const;
    // Waits until an event of `camera` for `request` has an outcome starting
    // with `outcomePrefix`; returns it, or null when the bound passes.
    nlohmann::json WaitEvent(const std::string& camera, const std::string& request,
                             const std::string& outcomePrefix,
                             std::chrono::milliseconds bound = std::chrono::seconds(20)) const;

    // Called with a description when a simulator the object still owned did
    // not stop cleanly on SIGTERM (a sanitizer report shows up that way).
    // Prints to standard error unless a test framework sets its own.
    using UncleanStopReport = void (*)(const std::string& what);
    static void SetUncleanStopReport(UncleanStopReport report);

private:
    std::filesystem::path dir_;
    pid_t pid_ = -1;
    int status_ = -1;
    bool exited_ = false;
    bool ready_ = false;
    std::string readyText_;
    unsigned short discoveryPort_ = 0;
};

} // namespace harness
