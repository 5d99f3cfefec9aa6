// Faults a simulated camera can be told to show, one camera per fault, all in
// one camsim process.
#include "camsim_gtest.h"
#include "http_client.h"
#include "test_images.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <thread>

namespace camsim_test {

using harness::CamsimProcess;
using harness::WriteTempFile;
namespace {

using nlohmann::json;
using namespace std::chrono_literals;

constexpr int kPort = 8080;

// Each test gets its own camsim with one camera at 127.77.<block>.2 (and a
// discovery port of its own), so tests can run in parallel.
struct OneCamera {
    std::string address;
    std::filesystem::path fleet;
    std::unique_ptr<CamsimProcess> sim;
    ~OneCamera() {
        sim.reset();
        std::filesystem::remove(fleet);
    }
};

std::unique_ptr<OneCamera> startCamera(int block, const std::string& extraFields) {
    auto one = std::make_unique<OneCamera>();
    one->address = "127.77." + std::to_string(block) + ".2";
    one->fleet = WriteTempFile(
        "fleet" + std::to_string(block) + ".json",
        R"([{"address":")" + one->address +
            R"(","port":8080,"version":"5.1.7.1","restart_ms":2000,"flash_ms":1000,)" +
            extraFields + "}]");
    one->sim = std::make_unique<CamsimProcess>(
        CAMSIM_BINARY,
        std::vector<std::string>{"--fleet", one->fleet.string(), "--time-scale", "0.1"});
    EXPECT_TRUE(one->sim->WaitReady()) << one->sim->Errors();
    return one;
}

TEST(CamsimFaults, VersionReadsFailAfterTheLoginReadThenRecover) {
    auto one = startCamera(10, R"("faults":{"version_unreadable_reads":2})");
    const std::string cam = one->address;
    EXPECT_EQ(get(cam, kPort, "/api/v1/device").status, 200);
    for (int i = 0; i < 2; ++i) {
        HttpResult r = get(cam, kPort, "/api/v1/device");
        EXPECT_EQ(r.status, 503) << i;
        EXPECT_EQ(bodyOf(r)["error"], 10);
    }
    EXPECT_EQ(get(cam, kPort, "/api/v1/device").status, 200);
}

TEST(CamsimFaults, VersionReadsFailAfterTheConnectionCheckFollowingAFlash) {
    auto one = startCamera(28, R"("faults":{"version_unreadable_after_flash":2})");
    const std::string cam = one->address;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(get(cam, kPort, "/api/v1/device").status, 200) << "before any flash, read " << i;
    }
    TestImage image = makeImage("DM3730", {5, 1, 7, 9});
    ASSERT_EQ(uploadImage(cam, kPort, image.bytes, image.sha256).status, 202);
    ASSERT_FALSE(one->sim->WaitEvent(cam, "flash", "done", 3s).is_null());
    ASSERT_EQ(postJson(cam, kPort, "/api/v1/reboot", "").status, 202);
    ASSERT_FALSE(one->sim->WaitEvent(cam, "restart", "up", 3s).is_null());

    HttpResult check = get(cam, kPort, "/api/v1/device");
    EXPECT_EQ(check.status, 200);
    EXPECT_EQ(bodyOf(check)["version"], json({5, 1, 7, 9}));
    EXPECT_EQ(get(cam, kPort, "/api/v1/device").status, 503);
    EXPECT_EQ(get(cam, kPort, "/api/v1/device").status, 503);
    EXPECT_EQ(get(cam, kPort, "/api/v1/device").status, 200);

    // A restart with nothing flashed brings no unreadable reads.
    ASSERT_EQ(postJson(cam, kPort, "/api/v1/reboot", "").status, 202);
    auto deadline = std::chrono::steady_clock::now() + 3s;
    HttpResult back;
    while ((back = get(cam, kPort, "/api/v1/device")).status != 200 &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_EQ(back.status, 200);
    EXPECT_EQ(get(cam, kPort, "/api/v1/device").status, 200);
}

TEST(CamsimFaults, FourthZeroShowsInTheDeviceAnswer) {
    auto one = startCamera(11, R"("faults":{"fourth_zero":true})");
    EXPECT_EQ(bodyOf(get(one->address, kPort, "/api/v1/device"))["version"], json({5, 1, 7, 0}));
}

TEST(CamsimFaults, AFailingShellCommandAnswersItsCodeAndOthersStillWork) {
    auto one = startCamera(12, R"("faults":{"shell_fail":{"./feeddog &":3}})");
    const std::string cam = one->address;
    EXPECT_EQ(bodyOf(postJson(cam, kPort, "/api/v1/shell", R"({"command":"./feeddog &"})"))["exit"],
              3);
    EXPECT_EQ(bodyOf(postJson(cam, kPort, "/api/v1/shell",
                              R"({"command":"killall av_server.out"})"))["exit"],
              0);
}

TEST(CamsimFaults, FlashFailureEndsInErrorEightWithoutARestart) {
    auto one = startCamera(13, R"("faults":{"flash_fail":true})");
    const std::string cam = one->address;
    TestImage image = makeImage("DM3730", {5, 1, 7, 9});
    ASSERT_EQ(uploadImage(cam, kPort, image.bytes, image.sha256).status, 202);
    ASSERT_FALSE(one->sim->WaitEvent(cam, "flash", "failed", 3s).is_null());
    EXPECT_EQ(bodyOf(get(cam, kPort, "/api/v1/firmware")),
              json({{"state", "failed"}, {"error", 8}, {"progress", 0}}));
    EXPECT_EQ(bodyOf(get(cam, kPort, "/api/v1/device"))["version"], json({5, 1, 7, 1}));
}

TEST(CamsimFaults, ACameraThatNeverReturnsStaysRefused) {
    auto one = startCamera(14, R"("faults":{"no_return_after_restart":true})");
    const std::string cam = one->address;
    ASSERT_EQ(postJson(cam, kPort, "/api/v1/reboot", "").status, 202);
    // Three restart times (3 x 200 ms) later it is still down.
    std::this_thread::sleep_for(600ms);
    EXPECT_EQ(get(cam, kPort, "/api/v1/device").curlCode, 7);
    EXPECT_FALSE(one->sim->WaitEvent(cam, "restart", "down for good", 0ms).is_null());
    EXPECT_TRUE(one->sim->WaitEvent(cam, "restart", "up", 0ms).is_null());
}

TEST(CamsimFaults, ADroppedUploadLosesTheConnectionAndFailsWithErrorFive) {
    auto one = startCamera(15, R"("faults":{"drop_upload_at_percent":50})");
    const std::string cam = one->address;
    TestImage image = makeImage("DM3730", {5, 1, 7, 9}, 2 * 1024 * 1024);
    HttpResult r = uploadImage(cam, kPort, image.bytes, image.sha256);
    EXPECT_FALSE(r.ok() && r.status != 0) << "status " << r.status << " " << r.body;
    json lost = one->sim->WaitEvent(cam, "POST /api/v1/firmware", "upload lost", 3s);
    ASSERT_FALSE(lost.is_null());
    EXPECT_EQ(lost["detail"], std::to_string(image.bytes.size() / 2) + " of " +
                                  std::to_string(image.bytes.size()) + " bytes");
    EXPECT_EQ(bodyOf(get(cam, kPort, "/api/v1/firmware"))["error"], 5);
}

TEST(CamsimFaults, ASilentCameraAcceptsButNeverAnswers) {
    auto one = startCamera(16, R"("faults":{"stop_answering":true})");
    HttpCall call;
    call.url = urlOf(one->address, kPort, "/api/v1/device");
    call.timeout = 700ms;
    auto start = std::chrono::steady_clock::now();
    HttpResult r = perform(call);
    EXPECT_EQ(r.curlCode, 28) << "timeout expected, got status " << r.status;
    EXPECT_GE(std::chrono::steady_clock::now() - start, 650ms);

    EXPECT_FALSE(one->sim->WaitEvent(one->address, "connect", "no answer", 0ms).is_null());
}

TEST(CamsimFaults, ACameraCanGoSilentAfterSomeRequests) {
    // Two requests are one Digest round trip: challenge and answer.
    auto one = startCamera(19, R"("faults":{"stop_answering_after":2})");
    EXPECT_EQ(get(one->address, kPort, "/api/v1/device").status, 200);
    HttpCall call;
    call.url = urlOf(one->address, kPort, "/api/v1/device");
    call.timeout = 700ms;
    EXPECT_EQ(perform(call).curlCode, 28);
}

TEST(CamsimFaults, TrickledAnswersArriveWholeButSlowly) {
    auto one = startCamera(17, R"("faults":{"trickle_ms":3})");
    auto start = std::chrono::steady_clock::now();
    HttpResult r = get(one->address, kPort, "/api/v1/device");
    auto took = std::chrono::steady_clock::now() - start;
    ASSERT_EQ(r.status, 200);
    EXPECT_EQ(bodyOf(r)["version"], json({5, 1, 7, 1}));
    // Two answers (challenge and device) of well over 100 bytes, 3 ms each.
    EXPECT_GE(took, 600ms);
}

TEST(CamsimFaults, UploadsAreTakenAtTheConfiguredScaledSpeed) {
    auto one = startCamera(18, R"("upload_kib_s":2048)");
    // 2048 KiB/s at time scale 0.1 is 20 MiB/s: 4 MiB take at least 0.2 s.
    TestImage image = makeImage("DM3730", {5, 1, 7, 9}, 4 * 1024 * 1024);
    auto start = std::chrono::steady_clock::now();
    HttpResult r = uploadImage(one->address, kPort, image.bytes, image.sha256);
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(r.status, 202) << r.body;
    EXPECT_GE(took, 190ms);
    EXPECT_LT(took, 5s);
}

} // namespace
} // namespace camsim_test
