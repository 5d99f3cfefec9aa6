// Image transfers of the network SDK against in-process cameras: what goes
// on the wire, the states the engine polls, and every way a transfer fails.
#include "mini_camera.h"
#include "sdk/firmware_upload.h"
#include "sdk/hashing.h"
#include "sdk/lpr_sdk.h"
#include "temp_image.h"

#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;
using sdktest::MiniCamera;
using sdktest::MiniCameraScript;
using sdktest::PeerConnection;
using sdktest::ScriptedPeer;
using sdktest::TempImage;

namespace {

const LprSdk& Sdk() {
    return LprNetworkSdk();
}

std::string FileSha256(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY);
    uint64_t size = 0;
    std::string sha = lpr::Sha256OfFile(fd, size).value_or("");
    close(fd);
    return sha;
}

// Polls until the state leaves "sending"; the states seen after that.
std::vector<int32_t> StatesAfterSending(LprHandle handle, int reads) {
    auto deadline = std::chrono::steady_clock::now() + 30s;
    int32_t state = Sdk().LprUpdateGetState(handle);
    while (state == LPR_UPDATE_STATE_SENDING && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(5ms);
        state = Sdk().LprUpdateGetState(handle);
    }
    std::vector<int32_t> states = {state};
    for (int i = 1; i < reads; ++i) {
        states.push_back(Sdk().LprUpdateGetState(handle));
    }
    return states;
}

struct Opened {
    explicit Opened(const MiniCamera& camera)
        : handle(Sdk().LprOpen(camera.Address().c_str(), camera.Port(), "admin", "ploma")) {}
    ~Opened() { Sdk().LprClose(handle); }
    LprHandle handle;
};

TEST(SdkUpload, SendsTheExactFileWithItsChecksumThenFollowsFlashing) {
    TempImage image(3 * 1024 * 1024 + 17);
    MiniCameraScript script;
    script.firmwareStates = {R"({"state":"flashing","error":0,"progress":10})",
                             R"({"state":"flashing","error":0,"progress":90})",
                             R"({"state":"done","error":0,"progress":100})"};
    MiniCamera camera(script);
    Opened camera1(camera);
    ASSERT_NE(camera1.handle, nullptr);
    ASSERT_EQ(Sdk().LprUpdateStart(camera1.handle, image.Path().c_str()), 0);
    EXPECT_EQ(StatesAfterSending(camera1.handle, 5),
              (std::vector<int32_t>{3, 3, 1, 1, 1})); // the outcome is kept once seen

    auto requests = camera.Requests();
    ASSERT_EQ(requests.size(), 5u); // device, upload, three polls (then kept)
    const auto& upload = requests[1];
    EXPECT_EQ(upload.method + " " + upload.target, "POST /api/v1/firmware");
    EXPECT_EQ(upload.Header("content-length"), std::to_string(3 * 1024 * 1024 + 17));
    EXPECT_EQ(upload.Header("content-type"), "application/octet-stream");
    EXPECT_EQ(upload.bodyBytes, 3u * 1024 * 1024 + 17);
    EXPECT_EQ(upload.Header("x-firmware-sha256"), FileSha256(image.Path()));
    EXPECT_EQ(upload.bodySha256, FileSha256(image.Path()));
    EXPECT_TRUE(upload.Header("expect").empty());
}

TEST(SdkUpload, CameraRefusalsAndFailuresCarryTheCameraCodeOnTheCallingThread) {
    TempImage image(4096);
    struct Case {
        int status;
        std::string answer;
        std::vector<std::string> states;
        int32_t wantState;
        int32_t wantError;
    };
    const std::vector<Case> cases = {
        {400, R"({"error":7,"message":"already installed"})", {}, 4, 7},
        {400, R"({"error":5,"message":"checksum"})", {}, 4, 5},
        {409, "", {}, 4, 9},         // busy without a readable body
        {400, "<html>", {}, -1, 11}, // an answer that tells no outcome
        {401, "{}", {}, -1, 2},      // credentials withdrawn meanwhile
        {202, "{}", {R"({"state":"failed","error":8,"progress":40})"}, 4, 8},
        {202, "{}", {R"({"state":"failed","error":0})"}, 4, 8},
        {202, "{}", {R"({"state":"idle","error":0,"progress":0})"}, -1, 3},
        {202, "{}", {"close"}, -1, 3}, // restarts on its own after flashing
        {202, "{}", {R"({"state":"rebooting"})"}, -1, 3},
    };
    for (const Case& c : cases) {
        MiniCameraScript script;
        script.uploadStatus = c.status;
        script.uploadAnswer = c.answer;
        if (!c.states.empty()) {
            script.firmwareStates = c.states;
        }
        MiniCamera camera(script);
        Opened opened(camera);
        ASSERT_NE(opened.handle, nullptr);
        ASSERT_EQ(Sdk().LprUpdateStart(opened.handle, image.Path().c_str()), 0);
        EXPECT_EQ(StatesAfterSending(opened.handle, 1)[0], c.wantState) << c.status << c.answer;
        EXPECT_EQ(Sdk().LprUpdateGetError(), c.wantError) << c.status << c.answer;
        // Another thread's error is its own, untouched by this failure.
        int32_t other = -99;
        std::thread([&] { other = Sdk().LprUpdateGetError(); }).join();
        EXPECT_EQ(other, 0);
    }
}

TEST(SdkUpload, LostOrMissingCameraFailsWithTheTransportCode) {
    TempImage image(8 * 1024 * 1024);
    {
        MiniCameraScript script;
        script.cutUploadAfterBytes = 1024 * 1024; // vanishes mid-upload
        MiniCamera camera(script);
        Opened opened(camera);
        ASSERT_EQ(Sdk().LprUpdateStart(opened.handle, image.Path().c_str()), 0);
        EXPECT_EQ(StatesAfterSending(opened.handle, 1)[0], -1);
        EXPECT_EQ(Sdk().LprUpdateGetError(), LPR_ERR_LOST_WHILE_SENDING);
    }
    {
        // Stops reading mid-upload on the connection reused from the
        // challenge: a stall, not a failure to connect.
        MiniCameraScript script;
        script.cutUploadAfterBytes = 1024 * 1024;
        script.stallInsteadOfCut = true;
        MiniCamera camera(script);
        Opened opened(camera);
        lpr::UploadLimits limits;
        limits.lowSpeedSeconds = 2;
        lpr::FirmwareUpload upload(limits);
        ASSERT_TRUE(upload.Start({"127.0.0.1", camera.Port(), {"admin", "ploma"}}, image.Path()));
        // Bounded by time, not by a count of polls: hashing the image before
        // it goes out takes seconds in a sanitized build on a busy machine.
        const auto deadline = std::chrono::steady_clock::now() + 30s;
        lpr::UploadOutcome outcome = upload.Query();
        while (outcome.state == LPR_UPDATE_STATE_SENDING &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(10ms);
            outcome = upload.Query();
        }
        EXPECT_EQ(outcome.state, -1);
        EXPECT_EQ(outcome.error, LPR_ERR_TIMEOUT);
    }
    {
        // Took the image, then went away for good: the polls find nobody.
        MiniCameraScript script;
        script.firmwareStates = {R"({"state":"flashing","error":0,"progress":1})"};
        MiniCamera camera(script);
        Opened opened(camera);
        ASSERT_EQ(Sdk().LprUpdateStart(opened.handle, image.Path().c_str()), 0);
        EXPECT_EQ(StatesAfterSending(opened.handle, 1)[0], 3);
        camera.Vanish();
        EXPECT_EQ(Sdk().LprUpdateGetState(opened.handle), -1);
        EXPECT_EQ(Sdk().LprUpdateGetError(), LPR_ERR_CONNECTION_LOST);
    }
    {
        // Gone before the upload started: cannot connect.
        MiniCamera camera(MiniCameraScript{});
        Opened opened(camera);
        camera.Vanish();
        ASSERT_EQ(Sdk().LprUpdateStart(opened.handle, image.Path().c_str()), 0);
        EXPECT_EQ(StatesAfterSending(opened.handle, 1)[0], -1);
        EXPECT_EQ(Sdk().LprUpdateGetError(), LPR_ERR_NOT_CONNECTED);
    }
}

TEST(SdkUpload, FilesThatCannotBeSentAreRefusedAtOnce) {
    MiniCamera camera(MiniCameraScript{});
    Opened opened(camera);
    ASSERT_NE(opened.handle, nullptr);
    EXPECT_EQ(Sdk().LprUpdateStart(opened.handle, "/nonexistent/image.bin"), -1);
    EXPECT_EQ(Sdk().LprUpdateStart(opened.handle, "/tmp"), -1);
    EXPECT_EQ(Sdk().LprUpdateStart(opened.handle, nullptr), -1);
    EXPECT_EQ(camera.Requests().size(), 1u); // only the log-in
}

TEST(SdkUpload, StalledPeerFailsWithTimeoutAndStopReturnsPromptly) {
    TempImage image(32 * 1024 * 1024);
    // Reads the request head, then neither reads nor answers.
    ScriptedPeer stalled([](PeerConnection& connection) { connection.HoldSilently(); });
    lpr::CameraEndpoint endpoint{"127.0.0.1", stalled.Port(), {"admin", "ploma"}};
    {
        lpr::UploadLimits limits;
        limits.lowSpeedSeconds = 2;
        lpr::FirmwareUpload upload(limits);
        ASSERT_TRUE(upload.Start(endpoint, image.Path()));
        auto started = std::chrono::steady_clock::now();
        lpr::UploadOutcome outcome = upload.Query();
        while (outcome.state == LPR_UPDATE_STATE_SENDING &&
               std::chrono::steady_clock::now() - started < 20s) {
            std::this_thread::sleep_for(20ms);
            outcome = upload.Query();
        }
        EXPECT_EQ(outcome.state, -1);
        EXPECT_EQ(outcome.error, LPR_ERR_TIMEOUT);
        EXPECT_LT(std::chrono::steady_clock::now() - started, 6s);
    }
    {
        lpr::FirmwareUpload upload; // the SDK's own limits: 15 s without progress
        ASSERT_TRUE(upload.Start(endpoint, image.Path()));
        std::this_thread::sleep_for(300ms);
        EXPECT_EQ(upload.Query().state, LPR_UPDATE_STATE_SENDING);
        EXPECT_FALSE(upload.Start(endpoint, image.Path())); // one transfer at a time
        auto stopping = std::chrono::steady_clock::now();
        upload.Stop();
        EXPECT_LT(std::chrono::steady_clock::now() - stopping, 2500ms);
    }
}

} // namespace
