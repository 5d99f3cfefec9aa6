// The version worker: one visit per request under g_sdkLock, fixed
// credentials, three reads 1200 ms apart, and the run flag.
#include "engine/version_worker.h"
#include "fake_sdk.h"
#include "osa/osa_tsk.h"
#include "recording_owner.h"
#include "virtual_clock.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace std::chrono_literals;

class VersionWorker : public ::testing::Test {
protected:
    void SetUp() override { InitSdkLock(); }

    VersionRequest Request(const std::string& address, int32_t port = 80) {
        VersionRequest r{};
        std::snprintf(r.address, sizeof r.address, "%s", address.c_str());
        r.port = port;
        r.owner = &owner;
        return r;
    }

    int32_t Query(const std::string& address, int32_t port = 80) {
        clock.Clear();
        const VersionRequest r = Request(address, port);
        return QueryDeviceVersion(&r);
    }

    std::vector<uint32_t> Waits() { return clock.WaitsOf(std::this_thread::get_id()); }

    std::vector<std::string> Versions(const std::string& address) {
        std::vector<std::string> out;
        for (const RecordedNote& n : owner.NotesOf(address)) {
            EXPECT_EQ(n.message, WM_DEVICE_VERSION);
            out.push_back(n.version);
        }
        return out;
    }

    void SetVersion(const std::string& address, int32_t a, int32_t b, int32_t c, int32_t d) {
        auto& cam = sdk.Camera(address);
        cam.version[0] = a;
        cam.version[1] = b;
        cam.version[2] = c;
        cam.version[3] = d;
    }

    VirtualClock clock;
    FakeSdk sdk{&clock};
    RecordingOwner owner;
};

TEST_F(VersionWorker, VisitsReadPostAndLogOut) {
    // First read succeeds: one read, no pause, a note, one log-out, and the
    // fixed credentials whatever the request holds.
    SetVersion("10.1.0.1", 5, 3, 6, 2);
    VersionRequest withCredentials = Request("10.1.0.1", 0x20050);
    std::snprintf(withCredentials.user, sizeof withCredentials.user, "%s", "root");
    std::snprintf(withCredentials.password, sizeof withCredentials.password, "%s", "x");
    clock.Clear();
    EXPECT_EQ(QueryDeviceVersion(&withCredentials), 0);
    EXPECT_EQ(Waits(), std::vector<uint32_t>{});
    EXPECT_EQ(Versions("10.1.0.1"), std::vector<std::string>{"5.3.6.2"});
    EXPECT_EQ(sdk.OpsOf("10.1.0.1"),
              (std::vector<std::string>{"LprOpen", "LprGetVersion", "LprClose"}));
    EXPECT_EQ(sdk.CallsOf("10.1.0.1").at(0).args,
              (std::vector<std::string>{"80", "admin", "ploma"}));

    // The worked example: a failed read, a pause, then 6.2.1.3.
    sdk.Camera("192.168.1.100").versionReplies = {{-1}, {0, {6, 2, 1, 3}}};
    EXPECT_EQ(Query("192.168.1.100"), 0);
    EXPECT_EQ(Waits(), std::vector<uint32_t>{1200});
    EXPECT_EQ(Versions("192.168.1.100"), std::vector<std::string>{"6.2.1.3"});

    // All reads fail: three reads, three pauses (also after the last), no note.
    sdk.Camera("10.1.0.2").versionFails = true;
    EXPECT_EQ(Query("10.1.0.2"), 0);
    EXPECT_EQ(Waits(), (std::vector<uint32_t>{1200, 1200, 1200}));
    EXPECT_EQ(sdk.OpsOf("10.1.0.2"),
              (std::vector<std::string>{"LprOpen", "LprGetVersion", "LprGetVersion",
                                        "LprGetVersion", "LprClose"}));
    EXPECT_TRUE(Versions("10.1.0.2").empty());

    // A first number of 0 is never shown; 1.0.0.0 is, and so are negatives
    // in the other parts.
    SetVersion("10.1.0.3", 0, 5, 1, 7);
    EXPECT_EQ(Query("10.1.0.3"), 0);
    EXPECT_TRUE(Versions("10.1.0.3").empty());
    SetVersion("10.1.0.4", 1, 0, 0, 0);
    Query("10.1.0.4");
    EXPECT_EQ(Versions("10.1.0.4"), std::vector<std::string>{"1.0.0.0"});
    SetVersion("10.1.0.5", 2147483647, -2147483647 - 1, -1, 0);
    Query("10.1.0.5");
    EXPECT_EQ(Versions("10.1.0.5"), std::vector<std::string>{"2147483647.-2147483648.-1.0"});

    // Log-in refused: exactly one LprOpen, nothing else.
    sdk.Camera("10.1.0.6").openFails = true;
    EXPECT_EQ(Query("10.1.0.6"), 0);
    EXPECT_EQ(sdk.OpsOf("10.1.0.6"), std::vector<std::string>{"LprOpen"});
    EXPECT_EQ(sdk.OpenHandleCount(), 0);
}

TEST_F(VersionWorker, NothingIsAttemptedWithoutOwnerOrWhileClosing) {
    VersionRequest orphan = Request("10.1.1.1");
    orphan.owner = nullptr;
    EXPECT_EQ(QueryDeviceVersion(&orphan), -1);
    EXPECT_EQ(QueryDeviceVersion(nullptr), -1);
    owner.SetRunning(false);
    EXPECT_EQ(Query("10.1.1.1"), -1);
    EXPECT_TRUE(sdk.Calls().empty());
    EXPECT_TRUE(owner.Notes().empty());
}

TEST_F(VersionWorker, ClosingDuringAVisitStopsReadingAndReleasesTheLock) {
    sdk.Camera("10.1.2.1").versionFails = true;
    sdk.SetCallHook([this](const FakeSdk::Call& call) {
        if (call.op == "LprGetVersion") {
            owner.SetRunning(false);
        }
    });
    EXPECT_EQ(Query("10.1.2.1"), 0);
    EXPECT_EQ(Waits(), std::vector<uint32_t>{});
    EXPECT_EQ(sdk.OpsOf("10.1.2.1"),
              (std::vector<std::string>{"LprOpen", "LprGetVersion", "LprClose"}));
    // The lock is free again: the close sequence can take it.
    std::thread closer([] {
        OSA_csEnter(&g_sdkLock);
        OSA_csLeave(&g_sdkLock);
    });
    closer.join();
}

TEST_F(VersionWorker, FlagClearedWhileWaitingForTheLockMeansNoLogIn) {
    SetVersion("10.1.3.1", 5, 1, 7, 1);
    OSA_csEnter(&g_sdkLock); // the close sequence holds the lock
    int32_t result = 0;
    std::thread visit([&] {
        const VersionRequest r = Request("10.1.3.1");
        result = QueryDeviceVersion(&r);
    });
    // Once the first test of the flag has passed, the visit waits for the lock.
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (owner.IsRunningCalls() < 1 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
    }
    owner.SetRunning(false);
    sdk.SetCallHook({});
    OSA_csLeave(&g_sdkLock);
    visit.join();
    EXPECT_EQ(result, -1);
    EXPECT_TRUE(sdk.Calls().empty()) << "no log-in against a released SDK";
}

// The worker task serves requests in order, one visit after the other, and
// frees what it does not serve.
TEST_F(VersionWorker, TaskServesRequestsOneAfterTheOther) {
    SetVersion("10.1.4.1", 5, 1, 7, 1);
    sdk.Camera("10.1.4.2").versionReplies = {{-1}, {0, {5, 3, 7, 2}}};
    auto* task = static_cast<OsaTask*>(std::calloc(1, sizeof(OsaTask)));
    ASSERT_EQ(OSA_tskCreate(task, GetVersionTaskMain), 0);
    ASSERT_EQ(SendVersionRequest(task, "10.1.4.1", 80, &owner), SEND_OK);
    // A command the worker does not serve is freed without effect.
    ASSERT_EQ(OSA_tskSendNotifyMsgCb(task, 555, std::malloc(16)), 0);
    ASSERT_EQ(SendVersionRequest(task, "10.1.4.2", 80, &owner), SEND_OK);
    ASSERT_TRUE(owner.WaitForNotes(WM_DEVICE_VERSION, 2, 20s));
    OSA_tskDelete(task);
    std::free(task);

    const auto calls = sdk.Calls();
    std::vector<std::string> trail;
    for (const FakeSdk::Call& c : calls) {
        trail.push_back(c.op + " " + c.address);
    }
    EXPECT_EQ(trail, (std::vector<std::string>{"LprOpen 10.1.4.1", "LprGetVersion 10.1.4.1",
                                               "LprClose 10.1.4.1", "LprOpen 10.1.4.2",
                                               "LprGetVersion 10.1.4.2", "LprGetVersion 10.1.4.2",
                                               "LprClose 10.1.4.2"}));
    EXPECT_EQ(clock.WaitsOf(calls.back().thread), std::vector<uint32_t>{1200});
    const auto notes = owner.Notes();
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].address, "10.1.4.1");
    EXPECT_EQ(notes[0].version, "5.1.7.1");
    EXPECT_EQ(notes[1].version, "5.3.7.2");
}

} // namespace
