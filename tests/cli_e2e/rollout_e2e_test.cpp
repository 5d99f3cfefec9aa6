// Rollout control through tolvane-cli and camsim: a stop by Ctrl+C in the
// middle of a batch, a canary that fails, the failure threshold, bad values,
// and bounded retries. A camera the batch did not start must not have been
// touched at all; one that started must end restarted with its result.
#include "camsim_gtest.h"

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <thread>

using harness::CamsimProcess;
using harness::ProgramRun;
using harness::RunProgram;
using nlohmann::json;
using namespace std::chrono_literals;

namespace {

constexpr double kScale = 0.01;
const std::string kNet = "127.140.0.";

class Rollout : public ::testing::Test {
protected:
    void SetUp() override { harness::WriteSampleTree(MKFWIMAGE_BINARY, folder.Path()); }

    std::vector<std::string> CliArgs(const std::vector<std::string>& args) const {
        std::vector<std::string> argv = {TOLVANE_CLI_PATH, "--json", "--program-folder",
                                         folder.Path().string()};
        argv.insert(argv.end(), args.begin(), args.end());
        return argv;
    }

    ProgramRun Cli(const std::vector<std::string>& args) const {
        return RunProgram(CliArgs(args), 120s, {{"TOLVANE_TIME_SCALE", std::to_string(kScale)}});
    }

    // The run, with `signals` sent to the program once `when` says so.
    ProgramRun CliSignalled(const std::vector<std::string>& args, const std::function<bool()>& when,
                            int signals) const {
        const std::filesystem::path pidFile = folder.Path() / "cli.pid";
        std::filesystem::remove(pidFile);
        std::vector<std::string> argv = {"/bin/sh", "-c", "echo $$ > \"$0\"; exec \"$@\"",
                                         pidFile.string()};
        for (const std::string& word : CliArgs(args)) {
            argv.push_back(word);
        }
        ProgramRun run;
        std::thread child([&] {
            // A second signal ends the process at once, threads still running
            // by design: a thread sanitizer must not call that a leak.
            const char* tsan = std::getenv("TSAN_OPTIONS");
            run = RunProgram(
                argv, 120s,
                {{"TOLVANE_TIME_SCALE", std::to_string(kScale)},
                 {"TSAN_OPTIONS", std::string(tsan ? tsan : "") + " report_thread_leaks=0"}});
        });
        const auto bound = std::chrono::steady_clock::now() + 60s;
        while (!when() && std::chrono::steady_clock::now() < bound) {
            std::this_thread::sleep_for(20ms);
        }
        pid_t pid = 0;
        std::ifstream(pidFile) >> pid;
        EXPECT_GT(pid, 0) << "the program did not start";
        for (int i = 0; i < signals && pid > 0; ++i) {
            ::kill(pid, SIGINT);
            std::this_thread::sleep_for(50ms);
        }
        child.join();
        return run;
    }

    static std::vector<json> Results(const std::string& output) {
        std::vector<json> found;
        std::istringstream lines(output);
        for (std::string line; std::getline(lines, line);) {
            const json event = json::parse(line, nullptr, false);
            if (event.is_object() && event.value("event", "") == "result") {
                found.push_back(event);
            }
        }
        return found;
    }

    std::vector<json> History() const {
        std::vector<json> lines;
        std::ifstream in(folder.Path() / "upgrade_history.jsonl");
        for (std::string line; std::getline(in, line);) {
            lines.push_back(json::parse(line));
        }
        return lines;
    }

    harness::TempFolder folder{"rollout"};
};

std::string Port() {
    return std::to_string(harness::ProcessCameraPort());
}

json Fleet(int count, json defaults, const std::map<int, json>& faults = {}) {
    json cameras = json::array();
    for (int i = 0; i < count; ++i) {
        json camera = {{"address", kNet + std::to_string(2 + i)}};
        if (faults.count(i)) {
            camera["faults"] = faults.at(i);
        }
        cameras.push_back(camera);
    }
    defaults["port"] = harness::ProcessCameraPort();
    return {{"defaults", defaults}, {"cameras", cameras}};
}

std::vector<std::string> Targets(int count) {
    std::vector<std::string> targets;
    for (int i = 0; i < count; ++i) {
        targets.push_back(kNet + std::to_string(2 + i) + ":" + Port());
    }
    return targets;
}

std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::set<std::string> CamerasAsked(const CamsimProcess& sim) {
    std::set<std::string> asked;
    for (const json& e : sim.Events()) {
        if (e.contains("camera") && e.value("request", "") != "probe") {
            asked.insert(e.value("camera", ""));
        }
    }
    return asked;
}

size_t FlashCount(const CamsimProcess& sim) {
    size_t count = 0;
    for (const json& e : sim.Events()) {
        count += e.value("request", "") == "flash" ? 1 : 0;
    }
    return count;
}

bool RestartedAfterFlash(const CamsimProcess& sim, const std::string& camera) {
    bool flashed = false;
    for (const json& e : sim.Events()) {
        if (e.value("camera", "") != camera) {
            continue;
        }
        flashed = flashed || e.value("request", "") == "flash";
        if (flashed && e.value("request", "") == "restart" && e.value("outcome", "") == "up") {
            return true;
        }
    }
    return false;
}

} // namespace

TEST_F(Rollout, CtrlCStopsTheBatchAndASecondQuitsAtOnce) {
    // Flashing takes 1 s of real time: the stop lands while cameras flash.
    const json fleet = Fleet(12, {{"flash_ms", 100000}});
    CamsimProcess sim(CAMSIM_BINARY,
                      harness::FleetArgs(folder.Path() / "fleet.json", fleet, kScale));
    ASSERT_TRUE(sim.WaitReady()) << sim.Errors();
    const std::string csv = (folder.Path() / "out.csv").string();
    const auto flashing = [&sim, before = FlashCount(sim)] { return FlashCount(sim) > before; };
    const ProgramRun run =
        CliSignalled(Join({"upgrade", "--workers", "3", "--csv", csv}, Targets(12)), flashing, 1);
    ASSERT_FALSE(run.timedOut) << run.output;
    EXPECT_EQ(run.exitCode, 4) << run.output;

    std::set<std::string> started;
    std::set<std::string> notStarted;
    for (const json& result : Results(run.output)) {
        const std::string address = result["address"];
        if (result["started"].get<bool>()) {
            started.insert(address);
            EXPECT_TRUE(result["success"].get<bool>()) << result;
            EXPECT_TRUE(RestartedAfterFlash(sim, address)) << address;
        } else {
            notStarted.insert(address);
            EXPECT_FALSE(result["success"].get<bool>());
            EXPECT_EQ(result["text"], "未升级：批量已停止");
        }
    }
    // Whatever had begun finished; the rest (most of the batch: a camera
    // flashes for a second) never began.
    EXPECT_GE(started.size(), 1u) << run.output;
    EXPECT_GE(notStarted.size(), 6u) << run.output;
    EXPECT_EQ(started.size() + notStarted.size(), 12u) << run.output;
    for (const std::string& address : CamerasAsked(sim)) {
        EXPECT_EQ(notStarted.count(address), 0u) << address << " was asked after the stop";
    }
    std::ifstream in(csv);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    size_t stoppedRows = 0;
    for (size_t at = text.find("未升级：批量已停止"); at != std::string::npos;
         at = text.find("未升级：批量已停止", at + 1)) {
        ++stoppedRows;
    }
    EXPECT_EQ(stoppedRows, notStarted.size()) << text;
    size_t historyNotStarted = 0;
    for (const json& line : History()) {
        historyNotStarted += line["started"].get<bool>() ? 0 : 1;
    }
    EXPECT_EQ(historyNotStarted, notStarted.size());

    // Twice: the process ends at once, with the status of an interrupt.
    const auto flashingAgain = [&sim, before = FlashCount(sim)] {
        return FlashCount(sim) > before;
    };
    const ProgramRun quit =
        CliSignalled(Join({"upgrade", "--workers", "3"}, Targets(12)), flashingAgain, 2);
    ASSERT_FALSE(quit.timedOut);
    EXPECT_EQ(quit.exitCode, 130);
}

TEST_F(Rollout, CanaryAndThresholdStopTheBatchAndBadValuesSendNothing) {
    const json flashFails = {{"flash_fail", true}};
    const json fleet = Fleet(8, {}, {{0, flashFails}, {5, flashFails}, {6, flashFails}});
    CamsimProcess sim(CAMSIM_BINARY,
                      harness::FleetArgs(folder.Path() / "fleet.json", fleet, kScale));
    ASSERT_TRUE(sim.WaitReady()) << sim.Errors();

    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--canary", "0"},
                                                {"--canary", "9"},
                                                {"--canary", "two"},
                                                {"--max-failures", "101%"},
                                                {"--max-failures", "0"},
                                                {"--max-failures", "9"},
                                                {"--retries", "6"},
                                                {"--bogus"}}) {
        const ProgramRun run = Cli(Join(Join({"upgrade"}, bad), Targets(8)));
        EXPECT_EQ(run.exitCode, 2) << bad[0];
    }
    EXPECT_EQ(Cli({"upgrade"}).exitCode, 2);
    EXPECT_EQ(Cli({}).exitCode, 2);
    EXPECT_TRUE(CamerasAsked(sim).empty());

    // Camera 0 fails as a canary: only the canary group ran.
    const ProgramRun canary = Cli(Join({"upgrade", "--canary", "2"}, Targets(5)));
    EXPECT_EQ(canary.exitCode, 4) << canary.output;
    EXPECT_EQ(CamerasAsked(sim), (std::set<std::string>{kNet + "2", kNet + "3"}));
    int notStarted = 0;
    for (const json& result : Results(canary.output)) {
        notStarted += result["started"].get<bool>() ? 0 : 1;
    }
    EXPECT_EQ(notStarted, 3);

    // One worker, cameras 3..7 (7 and 8 fail): the second failure stops it.
    // 25% of 5 rounds up to 2. A canary group that succeeds lets the rest go.
    const std::vector<std::string> all = Targets(8);
    const std::vector<std::string> rest(all.begin() + 3, all.end());
    const ProgramRun threshold =
        Cli(Join({"upgrade", "--workers", "1", "--canary", "1", "--max-failures", "25%"}, rest));
    EXPECT_EQ(threshold.exitCode, 4) << threshold.output;
    std::vector<std::string> order;
    for (const json& result : Results(threshold.output)) {
        order.push_back(result["address"].get<std::string>() +
                        (result["started"].get<bool>() ? "" : " not started"));
    }
    EXPECT_EQ(order, (std::vector<std::string>{kNet + "5", kNet + "6", kNet + "7", kNet + "8",
                                               kNet + "9 not started"}));
}

TEST_F(Rollout, OnlyFailuresBeforeAnImageWasTakenAreRetried) {
    const json fleet = Fleet(3, {}, {{0, {{"refuse_login", true}}}, {1, {{"flash_fail", true}}}});
    CamsimProcess sim(CAMSIM_BINARY,
                      harness::FleetArgs(folder.Path() / "fleet.json", fleet, kScale));
    ASSERT_TRUE(sim.WaitReady()) << sim.Errors();
    const ProgramRun run = Cli(Join({"upgrade", "--retries", "2"}, Targets(3)));
    EXPECT_EQ(run.exitCode, 1) << run.output;

    std::map<std::string, std::vector<int>> tries;
    for (const json& line : History()) {
        tries[line["address"]].push_back(line["attempt"].get<int>());
    }
    EXPECT_EQ(tries[kNet + "2"], (std::vector<int>{1, 2, 3})); // log-in refused
    EXPECT_EQ(tries[kNet + "3"], (std::vector<int>{1}));       // took the image, then failed
    EXPECT_EQ(tries[kNet + "4"], (std::vector<int>{1}));

    // Each try starts with a fresh log-in, at least 30 s (scaled) after the last.
    std::vector<int64_t> logins;
    for (const json& e : sim.Events()) {
        if (e.value("camera", "") == kNet + "2" &&
            e.value("outcome", "") == "401 wrong credentials") {
            logins.push_back(e["t_ms"].get<int64_t>());
        }
    }
    ASSERT_EQ(logins.size(), 3u);
    EXPECT_GE(logins[1] - logins[0], 300);
    EXPECT_GE(logins[2] - logins[1], 300);
}
