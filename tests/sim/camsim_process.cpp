#include "camsim_process.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace camsim_test {
namespace {

std::string readAll(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::filesystem::path makeTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "camsim-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    return pattern;
}

} // namespace

std::string CamsimProcess::binary() {
    return CAMSIM_BINARY;
}

CamsimProcess::CamsimProcess(std::vector<std::string> args) : dir_(makeTempDir()) {
    args.insert(args.begin(), binary());
    args.push_back("--event-log");
    args.push_back((dir_ / "events.jsonl").string());
    args.push_back("--ready-file");
    args.push_back((dir_ / "ready.txt").string());
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string out = (dir_ / "stdout.txt").string();
    const std::string err = (dir_ / "stderr.txt").string();
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
}

CamsimProcess::~CamsimProcess() {
    // A simulator still running must stop cleanly on SIGTERM; a sanitizer
    // report in it shows up here as a nonzero exit.
    if (pid_ >= 0 && !exited_) {
        int code = stop(std::chrono::seconds(5));
        if (code != 0) {
            ADD_FAILURE() << "camsim ended with " << code << " on SIGTERM: " << errors();
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

bool CamsimProcess::waitReady(std::chrono::milliseconds timeout) {
    auto until = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < until) {
        if (std::filesystem::exists(dir_ / "ready.txt")) {
            return true;
        }
        if (pid_ < 0 || waitExit(std::chrono::milliseconds(0)) != -1 || exited_) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

int CamsimProcess::waitExit(std::chrono::milliseconds timeout) {
    if (pid_ < 0) {
        return -1;
    }
    if (exited_) {
        return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
    }
    auto until = std::chrono::steady_clock::now() + timeout;
    do {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            exited_ = true;
            status_ = status;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    } while (std::chrono::steady_clock::now() < until);
    return -1;
}

int CamsimProcess::stop(std::chrono::milliseconds timeout) {
    if (pid_ < 0) {
        return -1;
    }
    if (!exited_) {
        ::kill(pid_, SIGTERM);
        int code = waitExit(timeout);
        if (!exited_) {
            ::kill(pid_, SIGKILL);
            waitExit(std::chrono::seconds(5));
            return -1;
        }
        return code;
    }
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
}

std::string CamsimProcess::output() const {
    return readAll(dir_ / "stdout.txt");
}
std::string CamsimProcess::errors() const {
    return readAll(dir_ / "stderr.txt");
}

std::vector<nlohmann::json> CamsimProcess::events() const {
    std::vector<nlohmann::json> lines;
    std::ifstream in(dir_ / "events.jsonl");
    std::string line;
    while (std::getline(in, line)) {
        auto parsed = nlohmann::json::parse(line, nullptr, false);
        if (!parsed.is_discarded()) {
            lines.push_back(std::move(parsed));
        }
    }
    return lines;
}

nlohmann::json CamsimProcess::waitEvent(const std::string& camera, const std::string& request,
                                        const std::string& outcomePrefix,
                                        std::chrono::milliseconds timeout) const {
    auto until = std::chrono::steady_clock::now() + timeout;
    do {
        for (const auto& e : events()) {
            if (e["camera"] == camera && e["request"] == request &&
                e["outcome"].get<std::string>().rfind(outcomePrefix, 0) == 0) {
                return e;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (std::chrono::steady_clock::now() < until);
    return nullptr;
}

std::filesystem::path writeTempFile(const std::string& name, const std::string& text) {
    auto path = std::filesystem::temp_directory_path() /
                ("camsim-" + std::to_string(::getpid()) + "-" + name);
    std::ofstream(path) << text;
    return path;
}

} // namespace camsim_test
