#include "camsim_harness.h"

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <regex>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace harness {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The file actions say where the child's standard output and error go.
pid_t Spawn(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
            posix_spawn_file_actions_t* actions) {
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
    pid_t pid = -1;
    if (argv.empty() ||
        posix_spawn(&pid, args[0], actions, nullptr, args.data(), envp.data()) != 0) {
        return -1;
    }
    return pid;
}

// Reaps the child; kills it when the deadline passes first.
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
        std::this_thread::sleep_for(5ms);
    }
}

std::filesystem::path MakeTempDir(const std::string& tag) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / ("tolvane-" + tag + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a temporary folder " + pattern);
    }
    return pattern;
}

void PrintUncleanStop(const std::string& what) {
    std::fprintf(stderr, "%s\n", what.c_str());
}

std::atomic<CamsimProcess::UncleanStopReport> uncleanStopReport{&PrintUncleanStop};

} // namespace

std::vector<std::string> ProgramCommand(const char* variable, const std::string& built) {
    const char* given = std::getenv(variable);
    if (given == nullptr || *given == '\0') {
        return {built};
    }
    std::vector<std::string> command;
    std::istringstream words(given);
    for (std::string word; std::getline(words, word, '|');) {
        command.push_back(word);
    }
    return command;
}

ProgramRun RunProgram(const std::vector<std::string>& argv, std::chrono::milliseconds bound,
                      const std::map<std::string, std::string>& env) {
    ProgramRun run;
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    // Never a terminal, so that no tool under test waits for a typed password.
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    const pid_t pid = Spawn(argv, env, &actions);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    const auto deadline = Clock::now() + bound;
    // Read until the child closes its end or the bound passes.
    char buffer[4096];
    while (pid > 0) {
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
        run.output.append(buffer, static_cast<size_t>(n));
    }
    ::close(pipeFds[0]);
    run.exitCode = pid > 0 ? WaitChild(pid, deadline, &run.timedOut) : -1;
    return run;
}

TempFolder::TempFolder(const std::string& tag) : path_(MakeTempDir(tag)) {}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path WriteTempFile(const std::string& name, const std::string& text) {
    auto path = std::filesystem::temp_directory_path() /
                ("tolvane-" + std::to_string(::getpid()) + "-" + name);
    std::ofstream(path) << text;
    return path;
}

std::vector<std::string> FleetArgs(const std::filesystem::path& fleetFile,
                                   const nlohmann::json& fleet, double timeScale) {
    std::ofstream(fleetFile) << fleet.dump();
    return {"--fleet", fleetFile.string(), "--time-scale", std::to_string(timeScale)};
}

unsigned short ProcessCameraPort() {
    static const unsigned short port = [] {
        int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        socklen_t length = sizeof addr;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length);
        ::close(fd);
        return ntohs(addr.sin_port);
    }();
    return port;
}

std::string WithCameraPort(std::string text) {
    const std::string port = std::to_string(ProcessCameraPort());
    for (std::size_t at = text.find("18080"); at != std::string::npos;
         at = text.find("18080", at + port.size())) {
        text.replace(at, 5, port);
    }
    return text;
}

SilentUdpPort::SilentUdpPort() : fd_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_ANY);
    socklen_t length = sizeof addr;
    if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &length) != 0) {
        throw std::runtime_error("cannot hold a UDP port");
    }
    port_ = ntohs(addr.sin_port);
}

SilentUdpPort::~SilentUdpPort() {
    ::close(fd_);
}

CamsimProcess::CamsimProcess(const std::string& binary, std::vector<std::string> args,
                             Discovery discovery)
    : dir_(MakeTempDir("camsim")) {
    args.insert(args.begin(), binary);
    args.insert(args.end(), {"--event-log", EventLogPath().string(), "--ready-file",
                             (dir_ / "ready.txt").string()});
    if (discovery == Discovery::AnyFreePort) {
        args.insert(args.end(), {"--discovery-port", "0"});
    }
    const std::string out = (dir_ / "stdout.txt").string();
    const std::string err = (dir_ / "stderr.txt").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_ = Spawn(args, {}, &actions);
    posix_spawn_file_actions_destroy(&actions);
}

CamsimProcess::~CamsimProcess() {
    if (pid_ > 0 && !exited_) {
        const int code = Stop();
        if (code != 0) {
            uncleanStopReport.load()("camsim ended with " + std::to_string(code) +
                                     " on SIGTERM: " + Errors());
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

void CamsimProcess::SetUncleanStopReport(UncleanStopReport report) {
    uncleanStopReport.store(report != nullptr ? report : &PrintUncleanStop);
}

bool CamsimProcess::WaitReady(std::chrono::milliseconds bound) {
    const auto deadline = Clock::now() + bound;
    while (!ready_ && pid_ > 0) {
        // camsim writes the file under another name and renames it: once it
        // is there, it is whole.
        if (std::filesystem::exists(dir_ / "ready.txt")) {
            readyText_ = ReadAll(dir_ / "ready.txt");
            std::smatch match;
            if (std::regex_search(readyText_, match, std::regex("discovery port ([0-9]+)"))) {
                discoveryPort_ = static_cast<unsigned short>(std::stoi(match[1].str()));
            }
            ready_ = true;
            break;
        }
        if (WaitExit(0ms) != -1 || exited_ || Clock::now() >= deadline) {
            break;
        }
        std::this_thread::sleep_for(10ms);
    }
    return ready_;
}

int CamsimProcess::WaitExit(std::chrono::milliseconds bound) {
    if (pid_ <= 0) {
        return -1;
    }
    if (!exited_) {
        const auto deadline = Clock::now() + bound;
        do {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                status_ = status;
                break;
            }
            std::this_thread::sleep_for(5ms);
        } while (Clock::now() < deadline);
    }
    return exited_ && WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
}

int CamsimProcess::Stop(std::chrono::milliseconds bound) {
    if (pid_ <= 0) {
        return -1;
    }
    if (!exited_) {
        ::kill(pid_, SIGTERM);
        WaitExit(bound);
        if (!exited_) {
            ::kill(pid_, SIGKILL);
            WaitExit(kStopBound);
            return -1;
        }
    }
    return WaitExit(0ms);
}

std::string CamsimProcess::Output() const {
    return ReadAll(dir_ / "stdout.txt");
}

std::string CamsimProcess::Errors() const {
    return ReadAll(dir_ / "stderr.txt");
}

std::string CamsimProcess::EventLogText() const {
    return ReadAll(EventLogPath());
}

std::vector<nlohmann::json> CamsimProcess::Events() const {
    std::vector<nlohmann::json> lines;
    std::ifstream in(EventLogPath());
    std::string line;
    while (std::getline(in, line)) {
        auto parsed = nlohmann::json::parse(line, nullptr, false);
        if (!parsed.is_discarded()) {
            lines.push_back(std::move(parsed));
        }
    }
    return lines;
}

nlohmann::json CamsimProcess::WaitEvent(const std::string& camera, const std::string& request,
                                        const std::string& outcomePrefix,
                                        std::chrono::milliseconds bound) const {
    const auto deadline = Clock::now() + bound;
    do {
        for (const auto& e : Events()) {
            if (e.value("camera", "") == camera && e.value("request", "") == request &&
                e.value("outcome", "").rfind(outcomePrefix, 0) == 0) {
                return e;
            }
        }
        std::this_thread::sleep_for(10ms);
    } while (Clock::now() < deadline);
    return nullptr;
}

} // namespace harness
