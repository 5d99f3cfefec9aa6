// Plans, history and result files: what a technician reads before and after
// a batch.
#include "engine/report_rows.h"
#include "engine/upgrade_history.h"
#include "engine/upgrade_plan.h"
#include "fake_sdk.h"
#include "history_command.h"
#include "temp_program_folder.h"
#include "virtual_clock.h"

#include <fstream>
#include <gtest/gtest.h>
#include <thread>

namespace {

std::string StepsOf(const UpgradePlan& plan) {
    std::string steps;
    for (const PlanStep& step : plan.steps) {
        steps += std::string(steps.empty() ? "" : " ") + PlanStepName(step.kind) +
                 (step.image.empty() ? "" : ":" + step.image);
    }
    return steps;
}

} // namespace

TEST(UpgradePlan, EveryVersionRowIsPlannedFromLogInAndVersionReadsAlone) {
    TempProgramFolder folder;
    folder.AddFullTree();
    VirtualClock clock;
    FakeSdk sdk(&clock);
    using T = TempProgramFolder;
    const std::string from50x = std::string("send_image:") + T::kFrom50x;
    const std::string to517 = std::string("send_image:") + T::k517;
    struct Row {
        std::string address;
        int32_t version[4];
        int32_t code;
        std::string steps;
    };
    const std::vector<Row> rows = {
        {"10.5.0.1",
         {5, 0, 6, 1},
         0,
         "prepare restart " + from50x + " restart reread_version stop_service_if_516 " + to517 +
             " restart verify_version"},
        {"10.5.0.2",
         {5, 1, 6, 1},
         0,
         "prepare restart stop_service " + to517 + " restart verify_version"},
        {"10.5.0.3", {5, 1, 7, 1}, 0, to517 + " restart verify_version"},
        {"10.5.0.4",
         {5, 3, 6, 1},
         0,
         std::string("prepare restart send_image:") + T::k536To7 +
             " restart reread_version stop_service_if_516 send_image:" + T::k537 +
             " restart verify_version"},
        {"10.5.0.5",
         {6, 2, 1, 3},
         0,
         std::string("send_image:") + T::k621 + " restart verify_version"},
        {"10.5.0.6", {5, 2, 0, 1}, 3, ""},
        {"10.5.0.7", {5, 1, 7, 1}, 1, ""},
        {"10.5.0.8", {5, 1, 7, 0}, 2, ""}, // a fourth part of 0 is no version
    };
    std::vector<PlanTarget> targets;
    for (const Row& row : rows) {
        std::copy(std::begin(row.version), std::end(row.version), sdk.Camera(row.address).version);
        targets.push_back({row.address, 8000});
    }
    sdk.Camera("10.5.0.7").openFails = true;

    const std::vector<UpgradePlan> plans = PlanUpgrades(targets, "admin", "ploma");
    ASSERT_EQ(plans.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(plans[i].address, rows[i].address);
        EXPECT_EQ(plans[i].port, 8000);
        EXPECT_EQ(plans[i].code, rows[i].code) << rows[i].address;
        EXPECT_EQ(StepsOf(plans[i]), rows[i].steps) << rows[i].address;
    }
    EXPECT_EQ(plans[2].version, "5.1.7.1");
    EXPECT_NE(PlanText(plans[5]).find("未获取到对应升级镜像"), std::string::npos);

    // A dry run: nothing reaches a camera beyond log-in and version reads.
    for (const FakeSdk::Call& call : sdk.Calls()) {
        EXPECT_TRUE(call.op == "LprOpen" || call.op == "LprGetVersion" || call.op == "LprClose")
            << call.op << " " << call.address;
    }
    EXPECT_EQ(sdk.OpenHandleCount(), 0);
}

TEST(UpgradeHistory, ConcurrentAppendsStayWholeAndBrokenLinesAreSkipped) {
    TempProgramFolder folder;
    constexpr int kThreads = 5;
    constexpr int kLines = 200;
    HistoryEntry base;
    base.text = std::string(3000, 'x') + ",\"quoted\"\n"; // longer than one small write
    base.images = {"a.bin", "b.bin"};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&base, t] {
            HistoryEntry entry = base;
            entry.address = "10.6.0." + std::to_string(t);
            for (int i = 0; i < kLines; ++i) {
                entry.durationMs = i;
                AppendUpgradeHistory(entry);
            }
        });
    }
    for (std::thread& t : threads) {
        t.join();
    }
    HistoryRead read = ReadHistory(HistoryPath());
    ASSERT_EQ(read.entries.size(), size_t{kThreads * kLines});
    EXPECT_EQ(read.skipped, 0);
    for (const nlohmann::json& entry : read.entries) {
        EXPECT_EQ(entry["text"], base.text);
    }

    // A broken line and a tail cut short by a crash: both skipped, the rest read.
    std::ofstream(HistoryPath(), std::ios::app) << "{not json\n{\"time\": \"2024-";
    read = ReadHistory(HistoryPath());
    EXPECT_EQ(read.entries.size(), size_t{kThreads * kLines});
    EXPECT_EQ(read.skipped, 2);

    EXPECT_EQ(CsvField("a,\"b\""), "\"a,\"\"b\"\"\"");
    EXPECT_EQ(CsvField("5.1.7.9"), "5.1.7.9");
}
