// One camera's upgrade run against the scripted SDK and the virtual clock:
// the notes in order, the SDK calls, and the exact series of waits.
#include "engine/upgrade_history.h"
#include "engine/upgrade_log.h"
#include "engine/upgrade_sequence.h"
#include "fake_sdk.h"
#include "recording_owner.h"
#include "temp_program_folder.h"
#include "virtual_clock.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

using Waits = std::vector<uint32_t>;
using Steps = std::vector<int>;

Waits Cat(std::initializer_list<Waits> parts) {
    Waits all;
    for (const Waits& p : parts) {
        all.insert(all.end(), p.begin(), p.end());
    }
    return all;
}

Waits Repeat(uint32_t ms, int times) {
    return Waits(static_cast<size_t>(times), ms);
}

const Waits kPreparation = {1000, 1000, 20000, 30000};
const Waits kStopAvServer = {1000, 1000};
const Waits kImage = {15000, 20000, 30000}; // done at the first state read, back at once

const Steps kPrepSteps = {UPGRADE_STEP_CLEAN_LOG, UPGRADE_STEP_CLEAN_DATABASE,
                          UPGRADE_STEP_REBOOT_AFTER_CLEAN};
const Steps kImageSteps = {UPGRADE_STEP_SEND_IMAGE, UPGRADE_STEP_IMAGE_ACCEPTED};

Steps StepsOf(std::initializer_list<Steps> parts) {
    Steps all;
    for (const Steps& p : parts) {
        all.insert(all.end(), p.begin(), p.end());
    }
    return all;
}

// A log line as stored: its final "\n" as CR LF.
std::string CrLf(const char* line) {
    std::string text(line);
    text.insert(text.size() - 1, "\r");
    return text;
}

FakeSdk::VersionReply Ok(int32_t a, int32_t b, int32_t c, int32_t d) {
    return {0, {a, b, c, d}};
}

class UpgradeSequence : public ::testing::Test {
protected:
    void SetUp() override { folder.AddFullTree(); }

    UpgradeRequest Request(const std::string& address, int32_t port = 80) {
        UpgradeRequest r{};
        std::snprintf(r.address, sizeof r.address, "%s", address.c_str());
        r.port = port;
        std::snprintf(r.user, sizeof r.user, "%s", "operator");
        std::snprintf(r.password, sizeof r.password, "%s", "secret");
        r.owner = &owner;
        return r;
    }

    // Runs one camera on this thread; returns its waits and checks the
    // invariants of every run: one result, last, handle released.
    Waits Run(const std::string& address, int32_t port = 80) {
        clock.Clear();
        const size_t before = owner.Notes().size();
        const UpgradeRequest request = Request(address, port);
        EXPECT_EQ(UpdateDevice(&request), 0);
        const auto all = owner.Notes();
        std::vector<RecordedNote> notes(all.begin() + static_cast<std::ptrdiff_t>(before),
                                        all.end());
        int results = 0;
        for (const RecordedNote& n : notes) {
            EXPECT_EQ(n.address, address);
            results += n.message == WM_UPGRADE_RESULT ? 1 : 0;
            EXPECT_EQ(n.thread, std::this_thread::get_id());
        }
        EXPECT_EQ(results, 1) << address;
        EXPECT_FALSE(notes.empty() || notes.back().message != WM_UPGRADE_RESULT);
        EXPECT_EQ(sdk.OpenHandleCount(), 0) << "handle left open for " << address;
        return clock.WaitsOf(std::this_thread::get_id());
    }

    RecordedNote ResultOf(const std::string& address) {
        for (const RecordedNote& n : owner.NotesOf(address)) {
            if (n.message == WM_UPGRADE_RESULT) {
                return n;
            }
        }
        return {};
    }

    std::vector<std::string> ImageNames(const std::string& address) {
        std::vector<std::string> names;
        for (const RecordedNote& n : owner.NotesOf(address)) {
            if (n.message == WM_UPGRADE_PROGRESS && n.value == UPGRADE_STEP_SEND_IMAGE) {
                names.push_back(n.imageName);
            }
        }
        return names;
    }

    std::vector<std::string> Shell(const std::string& address) {
        std::vector<std::string> commands;
        for (const FakeSdk::Call& c : sdk.CallsOf(address)) {
            if (c.op == "RemoteShellExec") {
                commands.push_back(c.args.at(0));
            }
        }
        return commands;
    }

    std::vector<std::string> SentPaths(const std::string& address) {
        std::vector<std::string> paths;
        for (const FakeSdk::Call& c : sdk.CallsOf(address)) {
            if (c.op == "LprUpdateStart") {
                paths.push_back(c.args.at(0));
            }
        }
        return paths;
    }

    int Count(const std::string& address, const std::string& op) {
        int n = 0;
        for (const FakeSdk::Call& c : sdk.CallsOf(address)) {
            n += c.op == op ? 1 : 0;
        }
        return n;
    }

    std::string ImagePath(const char* folderName, const char* name) {
        return (folder.Path() / "UpdateFiles" / folderName / name).make_preferred().string();
    }

    TempProgramFolder folder;
    VirtualClock clock;
    FakeSdk sdk{&clock};
    RecordingOwner owner;
};

TEST_F(UpgradeSequence, EveryVersionRowRunsItsOwnSequence) {
    using T = TempProgramFolder;
    const std::vector<std::string> kBothServiceCommands = {SHELL_FEED_DOG, SHELL_KILL_AV_SERVER};
    const std::vector<std::string> kPrepCommands = {SHELL_CLEAN_BOA_LOG, SHELL_CLEAN_DATABASE};

    // 506: preparation, intermediate image, re-read (516: service stop), 517 image.
    sdk.Camera("10.0.0.1").versionReplies = {Ok(5, 0, 6, 1), Ok(5, 0, 6, 1), Ok(5, 1, 6, 9)};
    EXPECT_EQ(Run("10.0.0.1"), Cat({kPreparation, kImage, kStopAvServer, kImage}));
    EXPECT_EQ(StepTrail(owner.NotesOf("10.0.0.1")),
              StepsOf({kPrepSteps, kImageSteps, kImageSteps, {100}}));
    EXPECT_EQ(ImageNames("10.0.0.1"), (std::vector<std::string>{T::kFrom50x, T::k517}));
    EXPECT_EQ(SentPaths("10.0.0.1"),
              (std::vector<std::string>{ImagePath("DM3730/from_50x", T::kFrom50x),
                                        ImagePath("DM3730/517", T::k517)}));
    EXPECT_EQ(Shell("10.0.0.1"),
              (std::vector<std::string>{SHELL_CLEAN_BOA_LOG, SHELL_CLEAN_DATABASE, SHELL_FEED_DOG,
                                        SHELL_KILL_AV_SERVER}));
    EXPECT_EQ(ResultOf("10.0.0.1").value, 1);
    EXPECT_EQ(ResultOf("10.0.0.1").lParam, UPGRADE_OK);

    // 506 whose re-read is not 516: no service stop between the images.
    sdk.Camera("10.0.0.2").versionReplies = {Ok(5, 0, 6, 1), Ok(5, 0, 6, 1), Ok(5, 1, 7, 1)};
    EXPECT_EQ(Run("10.0.0.2"), Cat({kPreparation, kImage, kImage}));
    EXPECT_EQ(Shell("10.0.0.2"), kPrepCommands);

    // 516: preparation, service stop, then the 517 image.
    sdk.Camera("10.0.0.3").version[0] = 5;
    sdk.Camera("10.0.0.3").version[1] = 1;
    sdk.Camera("10.0.0.3").version[2] = 6;
    sdk.Camera("10.0.0.3").version[3] = 4;
    EXPECT_EQ(Run("10.0.0.3"), Cat({kPreparation, kStopAvServer, kImage}));
    EXPECT_EQ(StepTrail(owner.NotesOf("10.0.0.3")), StepsOf({kPrepSteps, kImageSteps, {100}}));
    EXPECT_EQ(ImageNames("10.0.0.3"), (std::vector<std::string>{T::k517}));
    EXPECT_EQ(Shell("10.0.0.3"),
              (std::vector<std::string>{SHELL_CLEAN_BOA_LOG, SHELL_CLEAN_DATABASE, SHELL_FEED_DOG,
                                        SHELL_KILL_AV_SERVER}));

    // 536: preparation, intermediate image, re-read, 537 image.
    sdk.Camera("10.0.0.4").versionReplies = {Ok(5, 3, 6, 2), Ok(5, 3, 6, 2), Ok(5, 3, 7, 1)};
    EXPECT_EQ(Run("10.0.0.4"), Cat({kPreparation, kImage, kImage}));
    EXPECT_EQ(ImageNames("10.0.0.4"), (std::vector<std::string>{T::k536To7, T::k537}));
    // Two reads before, the re-read, and the check once back from the last image.
    EXPECT_EQ(Count("10.0.0.4", "LprGetVersion"), 4);

    // Single-image rows: no preparation, no service stop, step 5 first.
    struct Row {
        const char* address;
        int32_t v[3];
        const char* image;
    };
    for (const Row& row : {Row{"10.0.0.5", {5, 1, 7}, T::k517}, Row{"10.0.0.6", {5, 3, 7}, T::k537},
                           Row{"10.0.0.7", {5, 5, 6}, T::k556}, Row{"10.0.0.8", {5, 6, 6}, T::k566},
                           Row{"10.0.0.9", {6, 2, 1}, T::k621}}) {
        auto& cam = sdk.Camera(row.address);
        cam.version[0] = row.v[0];
        cam.version[1] = row.v[1];
        cam.version[2] = row.v[2];
        cam.version[3] = 3;
        EXPECT_EQ(Run(row.address), kImage) << row.address;
        EXPECT_EQ(StepTrail(owner.NotesOf(row.address)), StepsOf({kImageSteps, {100}}))
            << row.address;
        EXPECT_EQ(ImageNames(row.address), std::vector<std::string>{row.image});
        EXPECT_TRUE(Shell(row.address).empty());
    }

    // Any other version: no image, result 3 after the second read, handle closed.
    sdk.Camera("10.0.0.10").versionReplies = {Ok(5, 2, 0, 1)};
    sdk.Camera("10.0.0.10").version[0] = 5;
    sdk.Camera("10.0.0.10").version[1] = 2;
    sdk.Camera("10.0.0.10").version[3] = 1;
    EXPECT_EQ(Run("10.0.0.10"), Waits{});
    EXPECT_EQ(StepTrail(owner.NotesOf("10.0.0.10")), (Steps{103}));
    EXPECT_EQ(ResultOf("10.0.0.10").value, 0);
    EXPECT_EQ(sdk.OpsOf("10.0.0.10"),
              (std::vector<std::string>{"LprOpen", "LprGetVersion", "LprGetVersion", "LprClose"}));
    // No shell command failed anywhere: no log file was written (the image
    // tree and the upgrade history are all the folder holds).
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()),
                            std::filesystem::directory_iterator()),
              2);
    EXPECT_TRUE(std::filesystem::exists(folder.Path() / HISTORY_FILE_NAME));
}

TEST_F(UpgradeSequence, LoginAndVersionFailures) {
    // Code 1: nothing but the log-in, no close, no wait.
    sdk.Camera("10.0.1.1").openFails = true;
    EXPECT_EQ(Run("10.0.1.1", 0x10050), Waits{});
    EXPECT_EQ(StepTrail(owner.NotesOf("10.0.1.1")), (Steps{101}));
    EXPECT_EQ(sdk.OpsOf("10.0.1.1"), std::vector<std::string>{"LprOpen"});
    const FakeSdk::Call open = sdk.CallsOf("10.0.1.1").at(0);
    EXPECT_EQ(open.args, (std::vector<std::string>{"80", "operator", "secret"}))
        << "low 16 bits of the port and the request's own credentials";

    // Code 2: two failed first tries, ten failed second tries, 5 s after each.
    sdk.Camera("10.0.1.2").versionFails = true;
    EXPECT_EQ(Run("10.0.1.2"), Repeat(5000, 12));
    EXPECT_EQ(StepTrail(owner.NotesOf("10.0.1.2")), (Steps{102}));
    EXPECT_EQ(Count("10.0.1.2", "LprGetVersion"), 12);

    // A second read that succeeds with a fourth field of 0 is no read.
    sdk.Camera("10.0.1.3").versionReplies = {Ok(5, 1, 7, 1), Ok(5, 1, 7, 0)};
    EXPECT_EQ(Run("10.0.1.3"), Waits{});
    EXPECT_EQ(StepTrail(owner.NotesOf("10.0.1.3")), (Steps{102}));

    // First read fails twice: no preparation even though the camera is 516.
    sdk.Camera("10.0.1.4").versionReplies = {{-1}, {-1}, Ok(5, 1, 6, 1)};
    EXPECT_EQ(Run("10.0.1.4"), Cat({{5000, 5000}, kStopAvServer, kImage}));
    EXPECT_EQ(StepTrail(owner.NotesOf("10.0.1.4")), StepsOf({kImageSteps, {100}}));

    // The first read's number alone decides the preparation, whatever its
    // fourth field; the second read then finds 5.1.7.
    sdk.Camera("10.0.1.5").versionReplies = {Ok(5, 0, 6, 0), Ok(5, 1, 7, 2)};
    EXPECT_EQ(Run("10.0.1.5"), Cat({kPreparation, kImage}));
    EXPECT_EQ(StepTrail(owner.NotesOf("10.0.1.5")), StepsOf({kPrepSteps, kImageSteps, {100}}));

    // Parts that are not digits make no version number that any image could
    // match (4.11.7 and 0.0.517 would both read as 517): no image, result 3.
    EXPECT_EQ(VersionNumberOf(2147483647, 9, 9), VERSION_NUMBER_UNMATCHED);
    EXPECT_EQ(VersionNumberOf(4, 11, 7), VERSION_NUMBER_UNMATCHED);
    EXPECT_EQ(VersionNumberOf(0, 0, 517), VERSION_NUMBER_UNMATCHED);
    EXPECT_EQ(VersionNumberOf(6, 2, 1), 621);
    sdk.Camera("10.0.1.7").version[0] = 2147483647;
    sdk.Camera("10.0.1.7").version[1] = 9;
    sdk.Camera("10.0.1.7").version[2] = 9;
    sdk.Camera("10.0.1.7").version[3] = 1;
    Run("10.0.1.7");
    EXPECT_EQ(StepTrail(owner.NotesOf("10.0.1.7")), (Steps{103}));

    // Missing request or owner: nothing at all.
    const size_t before = owner.Notes().size();
    const size_t calls = sdk.Calls().size();
    UpgradeRequest orphan = Request("10.0.1.6");
    orphan.owner = nullptr;
    EXPECT_EQ(UpdateDevice(&orphan), -1);
    EXPECT_EQ(UpdateDevice(nullptr), -1);
    EXPECT_EQ(owner.Notes().size(), before);
    EXPECT_EQ(sdk.Calls().size(), calls);
}

TEST_F(UpgradeSequence, TransferOutcomesAndTheRulesOfErrors7And3) {
    auto camera = [&](const char* address, int32_t a, int32_t b, int32_t c,
                      FakeSdk::Transfer transfer) {
        auto& cam = sdk.Camera(address);
        cam.version[0] = a;
        cam.version[1] = b;
        cam.version[2] = c;
        cam.version[3] = 1;
        cam.transfers = {transfer};
    };
    // Refused start: code 4 at once, no step 6, no restart.
    camera("10.0.2.1", 5, 1, 7, {.startResult = -1});
    EXPECT_EQ(Run("10.0.2.1"), Waits{});
    EXPECT_EQ(StepTrail(owner.NotesOf("10.0.2.1")), (Steps{5, 104}));
    EXPECT_EQ(Count("10.0.2.1", "LprReboot"), 0);
    EXPECT_EQ(Count("10.0.2.1", "LprUpdateGetState"), 0);

    // State 4 with error 7 is success for any camera, after the running polls
    // (the camera already runs the image's target, 5.1.7.9).
    camera("10.0.2.2", 5, 1, 7, {.states = {2, 3, 4}, .error = 7});
    sdk.Camera("10.0.2.2").version[3] = 9;
    EXPECT_EQ(Run("10.0.2.2"), (Waits{15000, 3000, 3000, 20000, 30000}));
    EXPECT_EQ(StepTrail(owner.NotesOf("10.0.2.2")), (Steps{5, 6, 100}));

    // State -1 with error 7 is a failure.
    camera("10.0.2.3", 5, 1, 7, {.states = {-1}, .error = 7});
    EXPECT_EQ(Run("10.0.2.3"), (Waits{15000}));
    EXPECT_EQ(StepTrail(owner.NotesOf("10.0.2.3")), (Steps{5, 104}));

    // Error 3 counts only for 621, with state 4 or -1.
    camera("10.0.2.4", 6, 2, 1, {.states = {2, -1}, .error = 3});
    EXPECT_EQ(Run("10.0.2.4"), (Waits{15000, 3000, 20000, 30000}));
    EXPECT_EQ(StepTrail(owner.NotesOf("10.0.2.4")), (Steps{5, 6, 100}));
    camera("10.0.2.5", 6, 2, 1, {.states = {4}, .error = 3});
    EXPECT_EQ(StepTrail((Run("10.0.2.5"), owner.NotesOf("10.0.2.5"))), (Steps{5, 6, 100}));
    camera("10.0.2.6", 5, 1, 7, {.states = {4}, .error = 3});
    EXPECT_EQ(StepTrail((Run("10.0.2.6"), owner.NotesOf("10.0.2.6"))), (Steps{5, 104}));
    camera("10.0.2.7", 6, 2, 1, {.states = {4}, .error = 8});
    EXPECT_EQ(StepTrail((Run("10.0.2.7"), owner.NotesOf("10.0.2.7"))), (Steps{5, 104}));

    // The error is read right after the failed state, on the same thread.
    const auto calls = sdk.Calls();
    for (size_t i = 0; i + 1 < calls.size(); ++i) {
        if (calls[i + 1].op == "LprUpdateGetError") {
            EXPECT_EQ(calls[i].op, "LprUpdateGetState");
            EXPECT_EQ(calls[i].thread, calls[i + 1].thread);
        }
    }
}

TEST_F(UpgradeSequence, TheVersionAfterTheLastImageDecidesTheOutcome) {
    auto camera = [&](const char* address, FakeSdk::Transfer transfer) {
        auto& cam = sdk.Camera(address);
        const int32_t version[4] = {5, 1, 7, 1};
        std::copy(version, version + 4, cam.version);
        cam.transfers = {transfer};
        return &cam;
    };
    auto outcome = [&](const char* address) {
        const RecordedNote r = ResultOf(address);
        return std::to_string(r.value) + " " + std::to_string(r.lParam) + " " + r.versionBefore +
               " " + r.version + " " + std::to_string(r.check);
    };
    // Flashed and back on the image's target: verified success.
    camera("10.0.5.1", {});
    EXPECT_EQ(Run("10.0.5.1"), kImage);
    EXPECT_EQ(outcome("10.0.5.1"), "1 0 5.1.7.1 5.1.7.9 1");
    // Back on any other version than the target: a failure of its own.
    camera("10.0.5.6", {.keepsVersion = true});
    sdk.Camera("10.0.5.6").versionReplies = {Ok(5, 1, 7, 1), Ok(5, 1, 7, 1), Ok(5, 1, 7, 8)};
    Run("10.0.5.6");
    EXPECT_EQ(outcome("10.0.5.6"), "0 7 5.1.7.1 5.1.7.8 1");
    // Says done, comes back on the old version: a failure of its own.
    camera("10.0.5.2", {.keepsVersion = true});
    EXPECT_EQ(Run("10.0.5.2"), kImage);
    EXPECT_EQ(outcome("10.0.5.2"), "0 6 5.1.7.1 5.1.7.1 1");
    // Already installed: no change expected, still a success.
    camera("10.0.5.3", {.states = {4}, .error = 7})->version[3] = 9;
    Run("10.0.5.3");
    EXPECT_EQ(outcome("10.0.5.3"), "1 0 5.1.7.9 5.1.7.9 1");
    // Unreadable at the end, after the re-read's tries and pauses: nobody
    // knows what the camera runs, so it is not a success.
    camera("10.0.5.4", {})->versionFails = true;
    sdk.Camera("10.0.5.4").versionReplies = {Ok(5, 1, 7, 1), Ok(5, 1, 7, 1)};
    EXPECT_EQ(Run("10.0.5.4"), Cat({kImage, Repeat(5000, 20)}));
    EXPECT_EQ(outcome("10.0.5.4"), "0 8 5.1.7.1  2");
    // A run that fails before the end has no version afterwards.
    camera("10.0.5.5", {.states = {4}, .error = 8});
    Run("10.0.5.5");
    EXPECT_EQ(outcome("10.0.5.5"), "0 4 5.1.7.1  0");
}

TEST_F(UpgradeSequence, AnotherDeviceAtTheAddressGetsNothingMore) {
    // A 5.0.6 camera replaced while it restarts after its first image: the
    // second image is never sent, and the result names both devices.
    auto& cam = sdk.Camera("10.0.7.1");
    cam.versionReplies = {Ok(5, 0, 6, 1), Ok(5, 0, 6, 1)};
    cam.serial = "CAM-A";
    cam.serialAfterRestart = "CAM-B";
    Run("10.0.7.1");
    EXPECT_EQ(ResultOf("10.0.7.1").lParam, UPGRADE_ERR_DEVICE_REPLACED);
    EXPECT_EQ(Count("10.0.7.1", "LprUpdateStart"), 0) << "the preparation's restart swapped it";
    EXPECT_EQ(Count("10.0.7.1", "RemoteShellExec"), 2);

    // Swapped by the restart after its only image: the outcome is not this
    // camera's, whatever version the newcomer runs.
    auto& late = sdk.Camera("10.0.7.2");
    late.versionReplies = {Ok(5, 3, 7, 1), Ok(5, 3, 7, 1)};
    late.serial = "CAM-C";
    late.serialAfterRestart = "CAM-D";
    Run("10.0.7.2");
    EXPECT_EQ(ResultOf("10.0.7.2").lParam, UPGRADE_ERR_DEVICE_REPLACED);
    EXPECT_EQ(Count("10.0.7.2", "LprUpdateStart"), 1);
}

TEST_F(UpgradeSequence, TimeoutsAreTheExactSeriesOfWaits) {
    auto& stuck = sdk.Camera("10.0.3.1");
    stuck.version[0] = 5;
    stuck.version[1] = 1;
    stuck.version[2] = 7;
    stuck.version[3] = 1;
    stuck.transfers = {{.states = {2}}};
    EXPECT_EQ(Run("10.0.3.1"), Cat({{15000}, Repeat(3000, 201)}));
    EXPECT_EQ(Count("10.0.3.1", "LprUpdateGetState"), 202);
    EXPECT_EQ(Count("10.0.3.1", "LprReboot"), 0);
    EXPECT_EQ(StepTrail(owner.NotesOf("10.0.3.1")), (Steps{5, 104}));

    // Done on the very last allowed read still counts.
    auto& late = sdk.Camera("10.0.3.2");
    late = stuck;
    std::vector<int32_t> states(201, 2);
    states.push_back(1);
    late.transfers = {{.states = states}};
    EXPECT_EQ(Run("10.0.3.2"), Cat({{15000}, Repeat(3000, 201), {20000, 30000}}));
    EXPECT_EQ(StepTrail(owner.NotesOf("10.0.3.2")), (Steps{5, 6, 100}));

    // A restart that never comes back: 20 s, then 301 polls 1 s apart, no 30 s.
    auto& lost = sdk.Camera("10.0.3.3");
    lost = stuck;
    lost.transfers = {};
    lost.connectAfterPolls = {FakeSdk::kNever};
    EXPECT_EQ(Run("10.0.3.3"), Cat({{15000, 20000}, Repeat(1000, 301)}));
    EXPECT_EQ(Count("10.0.3.3", "LprIsConnected"), 302);
    EXPECT_EQ(StepTrail(owner.NotesOf("10.0.3.3")), (Steps{5, 6, 104}));

    // Back on the last allowed poll.
    auto& slow = sdk.Camera("10.0.3.4");
    slow = stuck;
    slow.transfers = {};
    slow.connectAfterPolls = {301};
    EXPECT_EQ(Run("10.0.3.4"), Cat({{15000, 20000}, Repeat(1000, 301), {30000}}));
    EXPECT_EQ(StepTrail(owner.NotesOf("10.0.3.4")), (Steps{5, 6, 100}));

    // The preparation's restart not coming back is ignored.
    auto& prep = sdk.Camera("10.0.3.5");
    prep.versionReplies = {Ok(5, 0, 6, 1), Ok(5, 3, 7, 1)};
    prep.connectAfterPolls = {FakeSdk::kNever};
    EXPECT_EQ(Run("10.0.3.5"), Cat({{1000, 1000, 20000}, Repeat(1000, 301), kImage}));
    EXPECT_EQ(StepTrail(owner.NotesOf("10.0.3.5")), StepsOf({kPrepSteps, kImageSteps, {100}}));
}

TEST_F(UpgradeSequence, ReReadBetweenImages) {
    // Twenty failed re-reads: code 5, the second image never sent.
    auto& cam = sdk.Camera("10.0.4.1");
    cam.versionReplies = {Ok(5, 0, 6, 1), Ok(5, 0, 6, 1)};
    cam.version[0] = 5;
    cam.versionFails = true;
    EXPECT_EQ(Run("10.0.4.1"), Cat({kPreparation, kImage, Repeat(5000, 20)}));
    EXPECT_EQ(StepTrail(owner.NotesOf("10.0.4.1")), StepsOf({kPrepSteps, kImageSteps, {105}}));
    EXPECT_EQ(Count("10.0.4.1", "LprUpdateStart"), 1);

    // A re-read with a fourth field of 0 fails the same way, without waiting.
    sdk.Camera("10.0.4.2").versionReplies = {Ok(5, 3, 6, 1), Ok(5, 3, 6, 1), Ok(5, 3, 7, 0)};
    EXPECT_EQ(Run("10.0.4.2"), Cat({kPreparation, kImage}));
    EXPECT_EQ(StepTrail(owner.NotesOf("10.0.4.2")), StepsOf({kPrepSteps, kImageSteps, {105}}));

    // The second image keeps the rules of the version read before the first:
    // a 536 camera re-read as 621 still gets no error-3 exception.
    sdk.Camera("10.0.4.3").versionReplies = {Ok(5, 3, 6, 1), Ok(5, 3, 6, 1), Ok(6, 2, 1, 1)};
    sdk.Camera("10.0.4.3").transfers = {{}, {.states = {4}, .error = 3}};
    Run("10.0.4.3");
    EXPECT_EQ(ResultOf("10.0.4.3").lParam, UPGRADE_ERR_SEND);
}

TEST_F(UpgradeSequence, ShellFailuresAreLoggedAndNeverStopTheRun) {
    auto& cam = sdk.Camera("10.0.5.1");
    cam.version[0] = 5;
    cam.version[1] = 1;
    cam.version[2] = 6;
    cam.version[3] = 1;
    for (const char* command :
         {SHELL_CLEAN_BOA_LOG, SHELL_CLEAN_DATABASE, SHELL_FEED_DOG, SHELL_KILL_AV_SERVER}) {
        cam.shellResults[command] = 1;
    }
    EXPECT_EQ(Run("10.0.5.1"), Cat({kPreparation, kStopAvServer, kImage}));
    EXPECT_EQ(ResultOf("10.0.5.1").value, 1);
    const std::string all = CrLf(LOG_CLEAN_BOA_FAILED) + CrLf(LOG_CLEAN_DATABASE_FAILED) +
                            CrLf(LOG_FEED_DOG_FAILED) + CrLf(LOG_KILL_AV_SERVER_FAILED);
    EXPECT_EQ(folder.ReadFile("10.0.5.1_update.log"), all);

    // Only the failing command is logged; a second run appends.
    auto& again = sdk.Camera("10.0.5.1");
    again.version[3] = 1; // back on 5.1.6.1
    again.version[2] = 6;
    again.shellResults = {{SHELL_KILL_AV_SERVER, 127}};
    Run("10.0.5.1");
    EXPECT_EQ(folder.ReadFile("10.0.5.1_update.log"), all + CrLf(LOG_KILL_AV_SERVER_FAILED));
    EXPECT_EQ(StopAvServer("10.0.5.1"), -1);
    again.shellResults.clear();
    EXPECT_EQ(StopAvServer("10.0.5.1"), 0);
}

TEST_F(UpgradeSequence, ImageNamesAndEmptyPaths) {
    // A 516 camera with an empty 517 folder has no image: nothing is sent,
    // not even the preparation's commands.
    std::filesystem::remove_all(folder.Path() / "UpdateFiles/DM3730/517");
    auto& cam = sdk.Camera("10.0.6.1");
    cam.version[0] = 5;
    cam.version[1] = 1;
    cam.version[2] = 6;
    cam.version[3] = 1;
    Run("10.0.6.1");
    EXPECT_TRUE(SentPaths("10.0.6.1").empty());
    EXPECT_EQ(Count("10.0.6.1", "RemoteShellExec"), 0);
    EXPECT_EQ(ResultOf("10.0.6.1").lParam, UPGRADE_ERR_NO_IMAGE);

    // A file name of 128 characters or more is cut to 127 in the note.
    const std::string longName = std::string(196, 'n') + ".bin";
    std::filesystem::remove_all(folder.Path() / "UpdateFiles/DM3730/537");
    const std::string path = folder.AddImage("DM3730/537", longName);
    auto& big = sdk.Camera("10.0.6.2");
    big.version[0] = 5;
    big.version[1] = 3;
    big.version[2] = 7;
    big.version[3] = 1;
    Run("10.0.6.2");
    EXPECT_EQ(SentPaths("10.0.6.2"), std::vector<std::string>{path});
    EXPECT_EQ(ImageNames("10.0.6.2"), std::vector<std::string>{longName.substr(0, 127)});
}

} // namespace
