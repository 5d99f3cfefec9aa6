// Five upgrade workers side by side: every request gets exactly one result,
// each worker serves its own requests in order, and unknown commands are
// freed unserved.
#include "engine/upgrade_sequence.h"
#include "fake_sdk.h"
#include "recording_owner.h"
#include "temp_program_folder.h"
#include "virtual_clock.h"

#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <set>

using namespace std::chrono_literals;

TEST(UpgradeWorkers, BatchSpreadOverFiveWorkersGivesOneResultPerCamera) {
    TempProgramFolder folder;
    folder.AddFullTree();
    VirtualClock clock;
    FakeSdk sdk(&clock);
    RecordingOwner owner;

    constexpr int kCameras = 23;
    std::vector<std::string> addresses;
    for (int k = 0; k < kCameras; ++k) {
        addresses.push_back("10.2.0." + std::to_string(k + 1));
        auto& cam = sdk.Camera(addresses.back());
        cam.version[0] = 5;
        cam.version[1] = k % 3 == 0 ? 1 : 3;
        cam.version[2] = k % 3 == 0 ? 6 : 7;
        cam.version[3] = 1;
        cam.openFails = k % 7 == 6;
    }

    OsaTask* tasks[UPGRADE_TASK_COUNT] = {};
    for (auto& task : tasks) {
        task = static_cast<OsaTask*>(std::calloc(1, sizeof(OsaTask)));
        ASSERT_EQ(OSA_tskCreate(task, UpdateTaskMain), 0);
    }
    ASSERT_EQ(OSA_tskSendNotifyMsgCb(tasks[2], 4242, std::malloc(8)), 0);
    for (int k = 0; k < kCameras; ++k) {
        ASSERT_EQ(SendUpgradeRequest(tasks, static_cast<uint32_t>(k % 5), addresses[k].c_str(), 80,
                                     "admin", "ploma", &owner),
                  SEND_OK);
    }
    EXPECT_EQ(SendUpgradeRequest(tasks, 5, "10.2.1.1", 80, "admin", "ploma", &owner), SEND_REFUSED);
    ASSERT_TRUE(owner.WaitForResults(kCameras, 30s));
    for (auto& task : tasks) {
        OSA_tskDelete(task);
        std::free(task);
    }

    std::map<std::thread::id, std::vector<std::string>> servedBy;
    for (const RecordedNote& n : owner.Results()) {
        servedBy[n.thread].push_back(n.address);
    }
    EXPECT_EQ(servedBy.size(), UPGRADE_TASK_COUNT);
    std::set<std::string> seen;
    for (const auto& [thread, served] : servedBy) {
        // One worker's cameras are k, k+5, k+10, ... in the order sent.
        ASSERT_FALSE(served.empty());
        const int first = std::stoi(served[0].substr(7)) - 1;
        for (size_t i = 0; i < served.size(); ++i) {
            EXPECT_EQ(served[i], addresses[first + 5 * i]);
            EXPECT_TRUE(seen.insert(served[i]).second) << "two results for " << served[i];
        }
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(kCameras));
    for (int k = 0; k < kCameras; ++k) {
        const auto notes = owner.NotesOf(addresses[k]);
        ASSERT_FALSE(notes.empty());
        const RecordedNote& result = notes.back();
        EXPECT_EQ(result.message, WM_UPGRADE_RESULT);
        EXPECT_EQ(result.lParam, k % 7 == 6 ? UPGRADE_ERR_OPEN : UPGRADE_OK) << addresses[k];
        for (const RecordedNote& n : notes) {
            EXPECT_EQ(n.thread, result.thread) << "notes of one camera come from one worker";
        }
    }
    EXPECT_EQ(sdk.OpenHandleCount(), 0);
    EXPECT_EQ(sdk.CountOf("LprOpen"), kCameras);
}
