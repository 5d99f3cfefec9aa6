#include "camsim_fleet.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// fork + exec with the environment extended; stdout to `outFd` (or
// inherited). Everything the child needs is built before the fork, so the
// child only calls async-signal-safe functions.
pid_t Spawn(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
            int outFd) {
    std::vector<std::string> envText;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry(*e);
        if (env.count(entry.substr(0, entry.find('='))) == 0) {
            envText.push_back(entry);
        }
    }
    for (const auto& [key, value] : env) {
        envText.push_back(key + "=" + value);
    }
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& e : envText) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (outFd >= 0) {
            ::dup2(outFd, STDOUT_FILENO);
        }
        ::execve(args[0], args.data(), envp.data());
        ::_exit(127);
    }
    return pid;
}

// Waits for the child until the deadline; kills it after that.
int WaitChild(pid_t pid, Clock::time_point deadline, bool* timedOut) {
    int status = 0;
    while (true) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        if (done < 0 && errno != EINTR) {
            return -1;
        }
        if (Clock::now() >= deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            if (timedOut != nullptr) {
                *timedOut = true;
            }
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

} // namespace

ProcessResult RunProgram(const std::vector<std::string>& argv,
                         const std::map<std::string, std::string>& env,
                         std::chrono::milliseconds bound) {
    ProcessResult result;
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        return result;
    }
    const pid_t pid = Spawn(argv, env, pipeFds[1]);
    ::close(pipeFds[1]);
    const auto deadline = Clock::now() + bound;
    // Read until the child closes its end or the bound passes.
    char buffer[4096];
    while (true) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            break;
        }
        pollfd fd{pipeFds[0], POLLIN, 0};
        const int ready = ::poll(&fd, 1, static_cast<int>(std::min<long long>(left, 1000)));
        if (ready < 0 && errno != EINTR) {
            break;
        }
        if (ready <= 0) {
            continue;
        }
        const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        result.output.append(buffer, static_cast<size_t>(n));
    }
    ::close(pipeFds[0]);
    result.exitCode = pid > 0 ? WaitChild(pid, deadline, &result.timedOut) : -1;
    return result;
}

CamsimFleet::CamsimFleet(const std::string& camsimPath, const std::filesystem::path& folder,
                         const nlohmann::json& fleet, double timeScale,
                         const std::vector<std::string>& extraArgs) {
    const std::filesystem::path fleetFile = folder / "fleet.json";
    std::ofstream(fleetFile) << fleet.dump();
    m_eventLog = folder / "events.jsonl";
    const std::filesystem::path readyFile = folder / "ready.txt";
    // A file left by an earlier fleet in the same folder must not count.
    std::error_code ec;
    std::filesystem::remove(readyFile, ec);
    std::filesystem::remove(m_eventLog, ec);
    std::vector<std::string> argv = {camsimPath,
                                     "--fleet",
                                     fleetFile.string(),
                                     "--time-scale",
                                     std::to_string(timeScale),
                                     "--event-log",
                                     m_eventLog.string(),
                                     "--ready-file",
                                     readyFile.string()};
    argv.insert(argv.end(), extraArgs.begin(), extraArgs.end());
    const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    m_pid = Spawn(argv, {}, devNull);
    if (devNull >= 0) {
        ::close(devNull);
    }
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    while (Clock::now() < deadline) {
        if (std::filesystem::exists(readyFile)) {
            std::ifstream in(readyFile);
            std::stringstream text;
            text << in.rdbuf();
            m_readyText = text.str();
            m_ready = true;
            return;
        }
        int status = 0;
        if (m_pid <= 0 || ::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1; // camsim gave up (bad fleet, address in use)
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

CamsimFleet::~CamsimFleet() {
    Stop();
}

void CamsimFleet::Stop() {
    if (m_pid <= 0) {
        return;
    }
    ::kill(m_pid, SIGTERM);
    bool timedOut = false;
    WaitChild(m_pid, Clock::now() + std::chrono::seconds(10), &timedOut);
    m_pid = -1;
}

std::vector<nlohmann::json> CamsimFleet::Events() const {
    std::vector<nlohmann::json> events;
    std::ifstream in(m_eventLog);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty()) {
            events.push_back(nlohmann::json::parse(line, nullptr, false));
        }
    }
    return events;
}

TempFolder::TempFolder(const std::string& tag) {
    static std::atomic<int> counter{0};
    m_path =
        std::filesystem::temp_directory_path() /
        ("tolvane-" + tag + "-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(m_path);
    std::filesystem::create_directories(m_path);
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}
