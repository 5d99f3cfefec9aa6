// tolvane-cli's batch and search against the scripted SDK: what it prints,
// its exit status, and that a batch larger than the mailboxes hold is served
// whole, in worker order.
#include "fake_sdk.h"
#include "search_command.h"
#include "temp_program_folder.h"
#include "upgrade_command.h"
#include "virtual_clock.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <thread>

using namespace std::chrono_literals;

namespace {

// Captures what a command prints.
class Capture {
public:
    Capture() : m_file(std::tmpfile()) {}
    ~Capture() { std::fclose(m_file); }
    std::FILE* File() { return m_file; }
    std::vector<std::string> Lines() {
        std::fflush(m_file);
        std::rewind(m_file);
        std::vector<std::string> lines;
        char buffer[4096];
        while (std::fgets(buffer, sizeof buffer, m_file) != nullptr) {
            std::string line(buffer);
            if (!line.empty() && line.back() == '\n') {
                line.pop_back();
            }
            lines.push_back(line);
        }
        return lines;
    }

private:
    std::FILE* m_file;
};

void SetVersion(FakeSdk& sdk, const std::string& address, int32_t a, int32_t b, int32_t c) {
    auto& cam = sdk.Camera(address);
    cam.version[0] = a;
    cam.version[1] = b;
    cam.version[2] = c;
    cam.version[3] = 1;
}

// Each upgrade thread served targets w, w + n, w + 2n, ... in that order, and
// there were n of them.
void ExpectWorkerOrder(const FakeSdk& sdk, const std::vector<UpgradeTarget>& targets, size_t n) {
    std::set<std::string> batch;
    for (const UpgradeTarget& target : targets) {
        batch.insert(target.address);
    }
    std::map<std::thread::id, std::vector<std::string>> served;
    for (const auto& call : sdk.Calls()) {
        if (call.op == "LprGetVersion" && batch.count(call.address) != 0) {
            auto& list = served[call.thread];
            if (list.empty() || list.back() != call.address) {
                list.push_back(call.address);
            }
        }
    }
    ASSERT_EQ(served.size(), n);
    std::set<std::string> firsts;
    for (const auto& [thread, addresses] : served) {
        ASSERT_FALSE(addresses.empty());
        size_t w = 0;
        while (w < n && targets[w].address != addresses.front()) {
            ++w;
        }
        ASSERT_LT(w, n);
        firsts.insert(addresses.front());
        std::vector<std::string> expected;
        for (size_t k = w; k < targets.size(); k += n) {
            expected.push_back(targets[k].address);
        }
        EXPECT_EQ(addresses, expected) << "worker " << w;
    }
    EXPECT_EQ(firsts.size(), n);
}

} // namespace

TEST(CliTargets, AddressesAndPortsAreCheckedBeforeAnythingIsSent) {
    std::string error;
    auto target = ParseUpgradeTarget("192.168.1.100", &error);
    ASSERT_TRUE(target);
    EXPECT_EQ(target->address, "192.168.1.100");
    EXPECT_EQ(target->port, 80);
    target = ParseUpgradeTarget("127.0.0.2:8080", &error);
    ASSERT_TRUE(target);
    EXPECT_EQ(target->port, 8080);
    for (const char* bad : {"", "0.0.0.0", "255.255.255.255", "1.2.3", "host.example",
                            "1.2.3.4:", "1.2.3.4:0", "1.2.3.4:65536", "1.2.3.4:80x", "1.2.3.4:-1",
                            "../1.2.3.4", "1.2.3.4:80:81", "010.0.0.1"}) {
        error.clear();
        EXPECT_FALSE(ParseUpgradeTarget(bad, &error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
    EXPECT_NE(error.find("field 1 has a leading zero"), std::string::npos) << error;
    // The bound grows with the busiest worker's share and is never zero.
    EXPECT_GT(UpgradeTimeBound(0).count(), 0);
    EXPECT_EQ(UpgradeTimeBound(5), UpgradeTimeBound(1));
    EXPECT_GT(UpgradeTimeBound(6), UpgradeTimeBound(5));
}

TEST(CliBatch, PrintsTheWindowTextsAndExitsZeroOnlyWhenAllSucceeded) {
    TempProgramFolder folder;
    folder.AddFullTree();
    VirtualClock clock;
    FakeSdk sdk(&clock);
    SetVersion(sdk, "10.3.0.1", 5, 1, 7);
    SetVersion(sdk, "10.3.0.2", 5, 1, 6);
    {
        Capture out;
        CliOutput output(false, out.File());
        EXPECT_EQ(RunUpgrade({{"10.3.0.1", 80}, {"10.3.0.2", 80}}, "admin", "ploma", 20s, output),
                  0);
        const auto lines = out.Lines();
        std::vector<std::string> first;
        for (const std::string& line : lines) {
            if (line.rfind("10.3.0.1:80\t", 0) == 0) {
                first.push_back(line.substr(12));
            }
        }
        EXPECT_EQ(first, (std::vector<std::string>{
                             "正在升级'" + std::string(TempProgramFolder::k517) + "'",
                             "升级成功，正在重启设备", "升级设备成功！\t5.1.7.1 -> 5.1.7.9"}));
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), "升级完成，成功2台，失败0台。");
        EXPECT_NE(std::find(lines.begin(), lines.end(), "10.3.0.2:80\t正在清理日志"), lines.end());
        EXPECT_NE(std::find(lines.begin(), lines.end(), "共选择2台，已升级1台；成功1台，失败0台。"),
                  lines.end());
    }

    sdk.Camera("10.3.0.3").openFails = true;
    SetVersion(sdk, "10.3.0.4", 5, 2, 0);
    Capture out;
    CliOutput output(true, out.File());
    EXPECT_EQ(RunUpgrade({{"10.3.0.3", 80}, {"10.3.0.4", 80}, {"10.3.0.1", 80}}, "admin", "ploma",
                         20s, output),
              1);
    std::map<std::string, int> codes;
    nlohmann::json summary;
    for (const std::string& line : out.Lines()) {
        const auto object = nlohmann::json::parse(line);
        if (object["event"] == "result") {
            codes[object["address"]] = object["code"];
        } else if (object["event"] == "summary") {
            summary = object;
        }
    }
    EXPECT_EQ(codes,
              (std::map<std::string, int>{{"10.3.0.3", 1}, {"10.3.0.4", 3}, {"10.3.0.1", 0}}));
    EXPECT_EQ(summary["succeeded"], 1);
    EXPECT_EQ(summary["failed"], 2);
    EXPECT_EQ(summary["text"], "升级完成，成功1台，失败2台。");
}

TEST(CliBatch, EveryCameraOfALargeBatchGetsItsResultInWorkerOrder) {
    TempProgramFolder folder;
    folder.AddFullTree();
    VirtualClock clock;
    FakeSdk sdk(&clock);
    std::vector<UpgradeTarget> targets;
    for (int i = 0; i < 500; ++i) {
        targets.push_back(
            {"10.4." + std::to_string(i / 200) + "." + std::to_string(i % 200 + 1), 80});
        SetVersion(sdk, targets.back().address, 5, 3, 7);
    }
    // Two cameras behind one address (other ports), on two workers at once.
    targets[8].address = targets[2].address;
    targets[8].port = 8080;
    // Each worker holds its first camera until the whole batch is dispatched,
    // so that most of it has to wait for room in the mailboxes.
    const auto gate = std::chrono::steady_clock::now() + 1s;
    sdk.SetCallHook([gate](const FakeSdk::Call& call) {
        if (call.op == "LprOpen") {
            std::this_thread::sleep_until(gate);
        }
    });
    Capture out;
    CliOutput output(true, out.File());
    EXPECT_EQ(RunUpgrade(targets, "admin", "ploma", 60s, output), 0);
    int results = 0;
    nlohmann::json summary;
    for (const std::string& line : out.Lines()) {
        const auto object = nlohmann::json::parse(line);
        EXPECT_NE(object["event"], "not_dispatched");
        results += object["event"] == "result" ? 1 : 0;
        if (object["event"] == "summary") {
            summary = object;
        }
    }
    EXPECT_EQ(results, 500);
    EXPECT_EQ(summary["succeeded"], 500);
    EXPECT_EQ(sdk.OpenHandleCount(), 0);

    ExpectWorkerOrder(sdk, targets, 5);

    // tolvane-cli may run more workers: camera k then goes to worker k mod 8.
    sdk.SetCallHook(nullptr);
    targets.resize(40);
    for (UpgradeTarget& target : targets) {
        target.address.replace(0, 4, "10.6");
        SetVersion(sdk, target.address, 5, 3, 7);
    }
    Capture more;
    CliOutput moreOutput(true, more.File());
    EXPECT_EQ(RunUpgrade(targets, "admin", "ploma", 60s, moreOutput, 8), 0);
    ExpectWorkerOrder(sdk, targets, 8);
}

TEST(CliSearch, ListsFoundCamerasInAddressOrderWithTheirVersions) {
    VirtualClock clock;
    FakeSdk sdk(&clock);
    // An address too long for a request is listed without a version and
    // does not hold up the others.
    const std::string longAddress(40, '7');
    sdk.SetFoundDevices(
        {{"10.5.0.10", 80}, {longAddress, 80}, {"10.5.0.2", 8080}, {"10.5.0.9", 80}});
    SetVersion(sdk, "10.5.0.10", 5, 1, 7);
    SetVersion(sdk, "10.5.0.2", 6, 2, 1);
    sdk.Camera("10.5.0.9").openFails = true;
    Capture out;
    CliOutput output(false, out.File());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(RunSearch(0.3, 20s, ProbeRequest{}, output), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s) << "waited for the bound";
    EXPECT_EQ(out.Lines(),
              (std::vector<std::string>{"10.5.0.2\t8080\t6.2.1.1", "10.5.0.9\t80\t",
                                        "10.5.0.10\t80\t5.1.7.1", longAddress + "\t80\t"}));
    // Versions are read with the worker's fixed credentials, one visit each.
    EXPECT_EQ(sdk.CountOf("LprOpen"), 3);
    EXPECT_EQ(sdk.CountOf("LprCleanup"), 1);

    // Hellos a search dropped beyond its camera limit are told after the cameras.
    sdk.SetSearchDropCount(7);
    Capture json;
    CliOutput jsonOutput(true, json.File());
    EXPECT_EQ(RunSearch(0.1, 20s, ProbeRequest{}, jsonOutput), 0);
    ASSERT_FALSE(json.Lines().empty());
    EXPECT_EQ(json.Lines().back(), R"({"dropped":7,"event":"search_dropped","limit":4096})");
}
