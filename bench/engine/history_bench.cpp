// `tolvane-cli history` over a large history file: makes a file of about
// 100 MB of entries as the engine writes them and reads it back as a table,
// as JSON lines and through a filter, printing each run's time and peak
// resident memory with the machine's load. Prints figures; never fails on a
// time.
#include "engine/upgrade_history.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

// Entries of a year of batches, in two time zones, until `bytes` are written.
uint64_t WriteHistory(const fs::path& path, uint64_t bytes, uint64_t* lines) {
    std::ofstream out(path, std::ios::binary);
    HistoryEntry entry;
    entry.versionBefore = "5.0.6.1";
    entry.versionAfter = "5.1.7.9";
    entry.images = {"DM3730_V5.1.6.9_from_50x.bin", "DM3730_V5.1.7.9.bin"};
    entry.text = "升级设备成功！";
    uint64_t written = 0;
    for (uint64_t i = 0; written < bytes; ++i) {
        char time[40];
        std::snprintf(time, sizeof time, "2025-%02d-%02dT%02d:%02d:%02d%s",
                      static_cast<int>(i / 100000 % 12 + 1), static_cast<int>(i / 4000 % 28 + 1),
                      static_cast<int>(i / 60 % 24), static_cast<int>(i % 60),
                      static_cast<int>(i * 7 % 60), i % 3 == 0 ? "-0500" : "+0800");
        entry.time = time;
        entry.address = "10." + std::to_string(i / 65536 % 256) + "." +
                        std::to_string(i / 256 % 256) + "." + std::to_string(i % 254 + 1);
        entry.port = i % 5 == 0 ? 8080 : 80;
        entry.durationMs = static_cast<int64_t>(120000 + i % 5000);
        const std::string line = HistoryLine(entry);
        out << line;
        written += line.size();
        *lines = i + 1;
    }
    return written;
}

struct Run {
    double seconds = 0;
    long maxRssKiB = 0;
    int status = -1;
};

Run RunQuiet(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    const auto start = Clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    Run run;
    int status = 0;
    rusage usage{};
    if (pid > 0 && ::wait4(pid, &status, 0, &usage) == pid) {
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.maxRssKiB = usage.ru_maxrss;
    }
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return run;
}

} // namespace

int main(int argc, char** argv) {
    const uint64_t megabytes = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100;
    const fs::path folder =
        fs::temp_directory_path() / ("history-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    uint64_t lines = 0;
    const auto start = Clock::now();
    const uint64_t bytes =
        WriteHistory(folder / HISTORY_FILE_NAME, megabytes * 1000 * 1000, &lines);
    std::printf("history: %.1f MB, %llu lines, written in %.1f s; load %s\n", bytes / 1e6,
                static_cast<unsigned long long>(lines),
                std::chrono::duration<double>(Clock::now() - start).count(), LoadAverage().c_str());
    const std::string cli = TOLVANE_CLI_PATH;
    const std::string data = folder.string();
    const std::vector<std::pair<const char*, std::vector<std::string>>> runs = {
        {"table", {cli, "--program-folder", data, "history"}},
        {"json", {cli, "--json", "--program-folder", data, "history"}},
        {"filtered",
         {cli, "--program-folder", data, "history", "--since", "2025-06-01T00:00+0800", "--address",
          "10.0.1.7"}},
    };
    for (const auto& [name, args] : runs) {
        const Run run = RunQuiet(args);
        std::printf("%-9s exit %d, %.2f s, peak RSS %.1f MiB; load %s\n", name, run.status,
                    run.seconds, run.maxRssKiB / 1024.0, LoadAverage().c_str());
    }
    fs::remove_all(folder);
    return 0;
}
