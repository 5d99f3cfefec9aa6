// Batch upgrades and version reads of simulated cameras through the engine's
// own workers and the network SDK, time scaled down. Prints figures; never
// fails on a time.
#include "camsim_harness.h"
#include "cli_output.h"
#include "cli_session.h"
#include "dialog/batch_control.h"
#include "engine/program_folder.h"
#include "engine/upgrade_sequence.h"
#include "upgrade_command.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

using nlohmann::json;
using Clock = std::chrono::steady_clock;

namespace {

constexpr double kScale = 0.01;

// Fixed waits one camera needs when nothing has to be polled again: the
// camera flashes within the first 15 s and is back within the 20 s pause.
constexpr uint64_t kImageMs = WAIT_BEFORE_FIRST_STATE + WAIT_AFTER_REBOOT + WAIT_AFTER_RECONNECT;
constexpr uint64_t kPreparationMs =
    2 * WAIT_AFTER_SHELL_COMMAND + WAIT_AFTER_REBOOT + WAIT_AFTER_RECONNECT;
constexpr uint64_t kServiceStopMs = 2 * WAIT_AFTER_SHELL_COMMAND;

uint64_t IdealMsOf(const std::string& version) {
    if (version.rfind("5.1.6", 0) == 0) {
        return kPreparationMs + kServiceStopMs + kImageMs;
    }
    return kImageMs;
}

std::string AddressOf(const std::string& prefix, int i) {
    return prefix + std::to_string(i / 250) + "." + std::to_string(i % 250 + 2);
}

struct BatchFigures {
    double seconds = 0;
    int results = 0;
    int succeeded = 0;
    int notDispatched = 0;
    std::map<int, int> failures; // result code -> cameras
};

std::string FailureText(const BatchFigures& f) {
    std::string text;
    for (const auto& [code, count] : f.failures) {
        text += " code " + std::to_string(code) + ": " + std::to_string(count) + ";";
    }
    return text.empty() ? "" : " failures:" + text;
}

BatchFigures RunBatch(const std::vector<UpgradeTarget>& targets) {
    std::FILE* sink = std::tmpfile();
    CliOutput output(true, sink);
    const auto start = Clock::now();
    RunUpgrade(targets, "admin", "ploma", std::nullopt, output);
    BatchFigures figures;
    figures.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::rewind(sink);
    char line[4096];
    while (std::fgets(line, sizeof line, sink) != nullptr) {
        const json event = json::parse(line, nullptr, false);
        if (event.is_discarded()) {
            continue;
        }
        if (event["event"] == "result") {
            ++figures.results;
            if (event["success"].get<bool>()) {
                ++figures.succeeded;
            } else {
                ++figures.failures[event["code"].get<int>()];
            }
        } else if (event["event"] == "not_dispatched") {
            ++figures.notDispatched;
        }
    }
    std::fclose(sink);
    return figures;
}

json Fleet(const std::vector<std::string>& addresses, const std::vector<std::string>& versions) {
    json cameras = json::array();
    for (size_t i = 0; i < addresses.size(); ++i) {
        cameras.push_back({{"address", addresses[i]}, {"version", versions[i]}});
    }
    return {{"defaults", {{"flash_ms", 12000}, {"restart_ms", 15000}}}, {"cameras", cameras}};
}

void BatchOf100(const std::filesystem::path& folder) {
    // Worker k gets cameras k, k+5, ...: one version per worker, the 516
    // worker (preparation and service stop) being the slowest.
    const std::vector<std::string> cycle = {"5.1.6.1", "5.1.7.1", "5.3.7.1", "5.5.6.1", "5.6.6.1"};
    std::vector<std::string> addresses;
    std::vector<std::string> versions;
    std::vector<UpgradeTarget> targets;
    for (int i = 0; i < 100; ++i) {
        addresses.push_back(AddressOf("127.51.", i));
        versions.push_back(cycle[static_cast<size_t>(i) % cycle.size()]);
        targets.push_back({addresses.back(), 80});
    }
    harness::CamsimProcess sim(
        CAMSIM_BINARY,
        harness::FleetArgs(folder / "fleet.json", Fleet(addresses, versions), kScale));
    if (!sim.WaitReady()) {
        std::printf("batch of 100: camsim did not start\n");
        return;
    }
    uint64_t idealMs = 0;
    for (size_t w = 0; w < UPGRADE_TASK_COUNT; ++w) {
        uint64_t sum = 0;
        for (size_t i = w; i < versions.size(); i += UPGRADE_TASK_COUNT) {
            sum += IdealMsOf(versions[i]);
        }
        idealMs = std::max(idealMs, sum);
    }
    const BatchFigures f = RunBatch(targets);
    const double ideal = static_cast<double>(idealMs) * kScale / 1000.0;
    std::printf("batch of 100 at time scale %.2f: measured %.2f s, ideal %.2f s, ratio %.3f; "
                "%d results, %d upgraded%s\n",
                kScale, f.seconds, ideal, f.seconds / ideal, f.results, f.succeeded,
                FailureText(f).c_str());
}

void BatchOf500(const std::filesystem::path& folder) {
    std::vector<std::string> addresses;
    std::vector<UpgradeTarget> targets;
    for (int i = 0; i < 500; ++i) {
        addresses.push_back(AddressOf("127.52.", i));
        targets.push_back({addresses.back(), 80});
    }
    harness::CamsimProcess sim(
        CAMSIM_BINARY,
        harness::FleetArgs(folder / "fleet.json",
                           Fleet(addresses, std::vector<std::string>(500, "5.1.7.1")), kScale));
    if (!sim.WaitReady()) {
        std::printf("batch of 500: camsim did not start\n");
        return;
    }
    const BatchFigures f = RunBatch(targets);
    std::printf("batch of 500: %.2f s; %d results (%d upgraded), %d not dispatched, %d accounted "
                "for%s\n",
                f.seconds, f.results, f.succeeded, f.notDispatched, f.results + f.notDispatched,
                FailureText(f).c_str());
}

void VersionsOf250(const std::filesystem::path& folder) {
    std::vector<std::string> addresses;
    std::vector<std::string> versions;
    for (int i = 0; i < 250; ++i) {
        addresses.push_back(AddressOf("127.53.", i));
        versions.push_back("5.1.7." + std::to_string(i % 9 + 1));
    }
    harness::CamsimProcess sim(
        CAMSIM_BINARY,
        harness::FleetArgs(folder / "fleet.json", Fleet(addresses, versions), kScale));
    if (!sim.WaitReady()) {
        std::printf("versions of 250: camsim did not start\n");
        return;
    }
    CliSession session;
    size_t sent = 0;
    int received = 0;
    const auto start = Clock::now();
    const auto deadline = start + std::chrono::minutes(5);
    while (received < 250 && Clock::now() < deadline) {
        // The window sends one request per camera found; keep the mailbox fed
        // as it has room.
        while (sent < addresses.size() &&
               SendVersionRequest(session.VersionTask(), addresses[sent].c_str(), 80, &session) ==
                   SEND_OK) {
            ++sent;
        }
        PostedNote note;
        if (session.NextNote(&note, Clock::now() + std::chrono::milliseconds(20))) {
            received += note.message == WM_DEVICE_VERSION ? 1 : 0;
            FreeNoteMessage(note.message, note.wParam, note.lParam);
        }
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    session.Shutdown();
    std::printf("version worker: %d of 250 cameras read in %.2f s (%.1f ms per camera)\n", received,
                seconds, seconds * 1000.0 / 250.0);
}

// Drives a batch control as tolvane-cli does and keeps the estimate at every
// result; afterwards the true time left is known for each.
void TimeLeftOf1000(const std::filesystem::path& folder) {
    const std::vector<std::string> cycle = {"5.1.6.1", "5.1.7.1", "5.3.7.1", "5.1.7.1",
                                            "5.5.6.1", "5.1.7.1", "5.3.7.1"};
    std::vector<std::string> addresses;
    std::vector<std::string> versions;
    std::vector<BatchCamera> cameras;
    for (int i = 0; i < 1000; ++i) {
        addresses.push_back(AddressOf("127.140.", i));
        versions.push_back(cycle[static_cast<size_t>(i) % cycle.size()]);
        cameras.push_back({addresses.back(), 80, "admin", "ploma", static_cast<size_t>(i)});
    }
    harness::CamsimProcess sim(
        CAMSIM_BINARY,
        harness::FleetArgs(folder / "fleet.json", Fleet(addresses, versions), kScale));
    if (!sim.WaitReady()) {
        std::printf("time left, batch of 1000: camsim did not start\n");
        return;
    }
    CliSession session;
    BatchControl control(session.UpgradeTaskCount(), [&](uint32_t w, const BatchCamera& c) {
        return SendUpgradeRequestTo(session.UpgradeTasks()[w], c.address.c_str(), c.port,
                                    c.user.c_str(), c.password.c_str(), &session);
    });
    const auto start = Clock::now();
    control.Start(cameras, start);
    // (time of the result, estimate then) for every result.
    std::vector<std::pair<Clock::time_point, std::optional<std::chrono::milliseconds>>> seen;
    const auto deadline = start + std::chrono::minutes(20);
    while (!control.Finished() && Clock::now() < deadline) {
        PostedNote note;
        if (!session.NextNote(&note, Clock::now() + std::chrono::milliseconds(200))) {
            continue;
        }
        if (note.message == WM_UPGRADE_RESULT) {
            const auto* result = reinterpret_cast<const UpgradeResultNote*>(note.wParam);
            const auto now = Clock::now();
            control.OnResult({FieldText(result->address), result->value != 0,
                              static_cast<int32_t>(note.lParam), result->sdkError,
                              result->accepted != 0},
                             now);
            seen.emplace_back(now, control.TimeLeft(now));
        }
        FreeNoteMessage(note.message, note.wParam, note.lParam);
    }
    session.Shutdown();
    if (seen.size() < 1000) {
        std::printf("time left, batch of 1000: only %zu results\n", seen.size());
        return;
    }
    const Clock::time_point end = seen.back().first;
    std::printf("time left, batch of 1000 at scale %.2f: %.1f s;", kScale,
                std::chrono::duration<double>(end - start).count());
    for (const int percent : {10, 50, 90}) {
        const auto& [when, estimate] = seen[static_cast<size_t>(percent * 10 - 1)];
        const double actual = std::chrono::duration<double>(end - when).count();
        const double guessed = estimate ? static_cast<double>(estimate->count()) / 1000.0 : -1;
        std::printf(" at %d%% estimate %.1f s, actual %.1f s, error %+.1f%%;", percent, guessed,
                    actual, actual > 0 ? (guessed - actual) / actual * 100.0 : 0.0);
    }
    std::printf("\n");
}

} // namespace

// Arguments choose the runs (batch100, batch500, versions, timeleft); none: all.
int main(int argc, char** argv) {
    std::vector<std::string> runs(argv + 1, argv + argc);
    if (runs.empty()) {
        runs = {"batch100", "batch500", "versions", "timeleft"};
    }
    ::setenv("TOLVANE_TIME_SCALE", "0.01", 1);
    harness::TempFolder folder("engine-bench");
    const harness::ProgramRun tree =
        harness::RunProgram({MKFWIMAGE_BINARY, "sample-tree", folder.Path().string()});
    if (tree.exitCode != 0) {
        std::printf("mkfwimage sample-tree failed\n");
        return 1;
    }
    SetProgramFolderOverride(folder.Path().string());
    for (const std::string& run : runs) {
        if (run == "batch100") {
            BatchOf100(folder.Path());
        } else if (run == "batch500") {
            BatchOf500(folder.Path());
        } else if (run == "versions") {
            VersionsOf250(folder.Path());
        } else if (run == "timeleft") {
            TimeLeftOf1000(folder.Path());
        } else {
            std::printf("unknown run '%s' (batch100, batch500, versions, timeleft)\n", run.c_str());
            return 2;
        }
    }
    return 0;
}
