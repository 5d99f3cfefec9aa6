#include "camsim_process.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <spawn.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace sdktest {
namespace {

using namespace std::chrono_literals;

pid_t Spawn(const std::string& binary, const std::vector<std::string>& args,
            const std::string& stdoutPath = std::string()) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(binary.c_str()));
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!stdoutPath.empty()) {
        posix_spawn_file_actions_addopen(&actions, 1, stdoutPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
    }
    int failed = posix_spawn(&pid, binary.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed != 0 ? -1 : pid;
}

// Waits for the child at most `limit`; kills it when it overstays.
bool Reap(pid_t pid, std::chrono::milliseconds limit, int& status) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (waitpid(pid, &status, WNOHANG) == pid) {
            return true;
        }
        std::this_thread::sleep_for(10ms);
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return false;
}

} // namespace

CamsimProcess::CamsimProcess(const std::string& binary, std::vector<std::string> args) {
    char pattern[] = "/tmp/camsim_run_XXXXXX";
    folder_ = mkdtemp(pattern);
    eventLog_ = folder_ + "/events.jsonl";
    std::string readyFile = folder_ + "/ready.txt";
    args.insert(args.end(), {"--ready-file", readyFile, "--event-log", eventLog_});
    pid_ = Spawn(binary, args);
    auto deadline = std::chrono::steady_clock::now() + 20s;
    while (pid_ > 0 && std::chrono::steady_clock::now() < deadline) {
        if (std::filesystem::exists(readyFile)) {
            ready_ = true;
            break;
        }
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1; // it gave up (bad options, address in use)
            break;
        }
        std::this_thread::sleep_for(10ms);
    }
}

CamsimProcess::~CamsimProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        Reap(pid_, 5s, status);
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::string CamsimProcess::EventLog() const {
    std::ifstream in(eventLog_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

unsigned short FreeUdpPort() {
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_ANY);
    bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t length = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length);
    close(fd);
    return ntohs(addr.sin_port);
}

unsigned short ProcessCameraPort() {
    static const unsigned short port = [] {
        int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        socklen_t length = sizeof addr;
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length);
        close(fd);
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

bool RunProgram(const std::string& binary, const std::vector<std::string>& args) {
    pid_t pid = Spawn(binary, args);
    if (pid <= 0) {
        return false;
    }
    int status = 0;
    return Reap(pid, 60s, status) && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace sdktest

namespace sdktest {

ProgramRun RunCapturing(const std::string& binary, const std::vector<std::string>& args) {
    char name[] = "/tmp/sdk_out_XXXXXX";
    int fd = mkstemp(name);
    close(fd);
    ProgramRun run;
    pid_t pid = Spawn(binary, args, name);
    int status = 0;
    if (pid > 0 && Reap(pid, 60s, status) && WIFEXITED(status)) {
        run.exitCode = WEXITSTATUS(status);
    }
    std::ifstream in(name);
    std::stringstream text;
    text << in.rdbuf();
    run.output = text.str();
    unlink(name);
    return run;
}

} // namespace sdktest
