// camsim as a process, driven over HTTP with libcurl: the upgrade round trip,
// upload refusals, the self-restarting platform and authentication.
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

// Polls the upload state until it leaves "flashing" (or the camera goes away).
json waitFlashEnd(const std::string& address, std::chrono::milliseconds timeout) {
    auto until = std::chrono::steady_clock::now() + timeout;
    json last;
    while (std::chrono::steady_clock::now() < until) {
        HttpResult r = get(address, kPort, "/api/v1/firmware");
        if (!r.ok()) {
            return nullptr;
        }
        last = bodyOf(r);
        if (last["state"] != "flashing") {
            return last;
        }
        std::this_thread::sleep_for(20ms);
    }
    return last;
}

std::vector<std::string> answeredRequests(const CamsimProcess& sim, const std::string& camera) {
    std::vector<std::string> seen;
    for (const auto& e : sim.Events()) {
        if (e["camera"] == camera && e["outcome"].get<std::string>().rfind("401", 0) != 0) {
            seen.push_back(e["request"].get<std::string>() + " " + e["outcome"].get<std::string>());
        }
    }
    return seen;
}

TEST(CamsimControl, UpgradeRoundTripReportsTheNewVersionOnlyAfterTheRestart) {
    const std::string cam = "127.77.1.2";
    CamsimProcess sim(CAMSIM_BINARY, {"--count", "1", "--base", cam, "--port",
                                      std::to_string(kPort), "--version", "5.0.6.3", "--restart-ms",
                                      "3000", "--flash-ms", "2000", "--time-scale", "0.1"});
    ASSERT_TRUE(sim.WaitReady()) << sim.Errors();

    HttpResult device = get(cam, kPort, "/api/v1/device");
    ASSERT_EQ(device.status, 200) << device.body;
    EXPECT_EQ(bodyOf(device)["version"], json({5, 0, 6, 3}));
    EXPECT_EQ(bodyOf(device)["platform"], "DM3730");

    for (const char* command : {"rm /mnt/log/boa_log/*", "rm /mnt/log/ivs* "}) {
        HttpResult shell =
            postJson(cam, kPort, "/api/v1/shell", json({{"command", command}}).dump());
        ASSERT_EQ(shell.status, 200);
        EXPECT_EQ(bodyOf(shell)["exit"], 0) << command;
    }
    HttpResult unknown = postJson(cam, kPort, "/api/v1/shell", R"({"command":"cat /etc/passwd"})");
    EXPECT_EQ(bodyOf(unknown)["exit"], 127);
    EXPECT_EQ(postJson(cam, kPort, "/api/v1/shell", R"({"cmd":"x"})").status, 400);
    EXPECT_EQ(
        postJson(cam, kPort, "/api/v1/shell", json({{"command", std::string(257, 'a')}}).dump())
            .status,
        400);

    TestImage image = makeImage("DM3730", {5, 1, 6, 9}, 300000);
    HttpResult upload = uploadImage(cam, kPort, image.bytes, image.sha256);
    ASSERT_EQ(upload.status, 202) << upload.body;
    EXPECT_EQ(bodyOf(upload)["state"], "flashing");
    // A second image while the first one is flashing is refused as busy,
    // and the running flash carries on.
    HttpResult second = uploadImage(cam, kPort, image.bytes, image.sha256);
    EXPECT_EQ(second.status, 409);
    EXPECT_EQ(bodyOf(second)["error"], 9);
    HttpResult flashing = get(cam, kPort, "/api/v1/firmware");
    EXPECT_EQ(bodyOf(flashing)["state"], "flashing");
    EXPECT_LT(bodyOf(flashing)["progress"].get<int>(), 100);

    json end = waitFlashEnd(cam, 5s);
    EXPECT_EQ(end, json({{"state", "done"}, {"error", 0}, {"progress", 100}}));
    EXPECT_EQ(bodyOf(get(cam, kPort, "/api/v1/device"))["version"], json({5, 0, 6, 3}));

    HttpResult reboot = postJson(cam, kPort, "/api/v1/reboot", "");
    EXPECT_EQ(reboot.status, 202);
    HttpResult during = get(cam, kPort, "/api/v1/device");
    EXPECT_EQ(during.curlCode, 7) << "connection must be refused while restarting";

    json up = sim.WaitEvent(cam, "restart", "up", 5s);
    ASSERT_FALSE(up.is_null());
    json down = sim.WaitEvent(cam, "restart", "down", 0ms);
    // Down for the restart time: 3000 ms of camera time, 300 ms real.
    EXPECT_GE(up["t_ms"].get<int>() - down["t_ms"].get<int>(), 295);
    EXPECT_GE(up["t_sim_ms"].get<int>() - down["t_sim_ms"].get<int>(), 2950);

    HttpResult after = get(cam, kPort, "/api/v1/device");
    ASSERT_EQ(after.status, 200);
    EXPECT_EQ(bodyOf(after)["version"], json({5, 1, 6, 9}));
    EXPECT_EQ(bodyOf(get(cam, kPort, "/api/v1/firmware"))["state"], "idle");
    // The same image again is already installed.
    HttpResult again = uploadImage(cam, kPort, image.bytes, image.sha256);
    EXPECT_EQ(bodyOf(again)["error"], 7);

    std::vector<std::string> expected = {
        "GET /api/v1/device 200",
        "POST /api/v1/shell 200 exit 0 (removed 2 boa log file(s))",
        "POST /api/v1/shell 200 exit 0 (removed 3 ivs file(s))",
        "POST /api/v1/shell 200 exit 127 (unknown command)",
        "POST /api/v1/shell 400 bad body",
        "POST /api/v1/shell 400 command too long",
        "POST /api/v1/firmware receiving",
        "POST /api/v1/firmware 202 flashing",
        "POST /api/v1/firmware 409 error 9",
        "GET /api/v1/firmware 200",
    };
    auto seen = answeredRequests(sim, cam);
    ASSERT_GE(seen.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(seen.begin(), seen.begin() + expected.size()), expected);
    auto tailFrom = std::find(seen.begin(), seen.end(), "flash done");
    std::vector<std::string> tail(tailFrom, seen.end());
    std::vector<std::string> expectedTail = {"flash done",
                                             "GET /api/v1/firmware 200",
                                             "GET /api/v1/device 200",
                                             "POST /api/v1/reboot 202",
                                             "restart down",
                                             "restart up",
                                             "GET /api/v1/device 200",
                                             "GET /api/v1/firmware 200",
                                             "POST /api/v1/firmware receiving",
                                             "POST /api/v1/firmware 400 error 7"};
    EXPECT_EQ(tail, expectedTail);
    EXPECT_EQ(sim.Stop(), 0);
}

TEST(CamsimControl, RefusedUploadsLeaveTheStateFailedWithTheirCode) {
    const std::string cam = "127.77.2.2";
    CamsimProcess sim(CAMSIM_BINARY, {"--count", "1", "--base", cam, "--port",
                                      std::to_string(kPort), "--version", "5.5.6.1"});
    ASSERT_TRUE(sim.WaitReady()) << sim.Errors();

    auto expectRefusal = [&](const std::vector<unsigned char>& body, const std::string& sha,
                             int code, const char* what) {
        HttpResult r = uploadImage(cam, kPort, body, sha);
        EXPECT_EQ(r.status, 400) << what << ": " << r.body;
        EXPECT_EQ(bodyOf(r)["error"], code) << what;
        EXPECT_EQ(bodyOf(get(cam, kPort, "/api/v1/firmware")),
                  json({{"state", "failed"}, {"error", code}, {"progress", 0}}))
            << what;
    };
    TestImage good = makeImage("DM8127", {5, 5, 6, 9});
    std::vector<unsigned char> garbage(5000, 0x5a);
    expectRefusal(garbage, sha256Of(garbage), 4, "not an image");
    expectRefusal(good.bytes, sha256Of(garbage), 5, "checksum of another body");
    expectRefusal(good.bytes, "", 5, "no checksum header");
    TestImage otherPlatform = makeImage("DM3730", {5, 1, 7, 9});
    expectRefusal(otherPlatform.bytes, otherPlatform.sha256, 6, "other platform");
    TestImage same = makeImage("DM8127", {5, 5, 6, 1});
    expectRefusal(same.bytes, same.sha256, 7, "running version");

    // A good image after the refusals is taken.
    EXPECT_EQ(uploadImage(cam, kPort, good.bytes, good.sha256).status, 202);
}

TEST(CamsimControl, Hs3516RestartsByItselfWhenFlashingEnds) {
    const std::string cam = "127.77.3.2";
    CamsimProcess sim(CAMSIM_BINARY, {"--count", "1", "--base", cam, "--port",
                                      std::to_string(kPort), "--version", "6.2.1.2", "--restart-ms",
                                      "5000", "--flash-ms", "3000", "--time-scale", "0.1"});
    ASSERT_TRUE(sim.WaitReady()) << sim.Errors();
    TestImage image = makeImage("HS3516", {6, 2, 1, 9});
    ASSERT_EQ(uploadImage(cam, kPort, image.bytes, image.sha256).status, 202);

    // Polling sees "flashing" and then loses the camera: never "done".
    json end = waitFlashEnd(cam, 5s);
    EXPECT_TRUE(end.is_null()) << end.dump();
    ASSERT_FALSE(sim.WaitEvent(cam, "restart", "up", 5s).is_null());
    EXPECT_FALSE(sim.WaitEvent(cam, "restart", "down", 0ms)["detail"] != "flashing ended");
    EXPECT_EQ(bodyOf(get(cam, kPort, "/api/v1/device"))["version"], json({6, 2, 1, 9}));
}

TEST(CamsimControl, OnlyRightDigestCredentialsGetIn) {
    const std::string cam = "127.77.4.2";
    auto fleet = WriteTempFile("auth.json", R"({"defaults":{"port":8080},"cameras":[
        {"address":"127.77.4.2","version":"5.1.7.1","user":"root","password":"s3cret"},
        {"address":"127.77.4.3","version":"5.1.7.1","faults":{"refuse_login":true}}]})");
    CamsimProcess sim(CAMSIM_BINARY, {"--fleet", fleet.string()});
    ASSERT_TRUE(sim.WaitReady()) << sim.Errors();

    HttpCall call;
    call.url = urlOf(cam, kPort, "/api/v1/device");
    call.user = "root";
    call.password = "s3cret";
    EXPECT_EQ(perform(call).status, 200);
    call.password = "wrong";
    HttpResult wrong = perform(call);
    EXPECT_EQ(wrong.status, 401);
    EXPECT_EQ(bodyOf(wrong)["error"], 2);
    call.password = "s3cret";
    call.digest = false; // Basic, even with the right password
    EXPECT_EQ(perform(call).status, 401);

    EXPECT_EQ(get("127.77.4.3", kPort, "/api/v1/device").status, 401);
    EXPECT_FALSE(
        sim.WaitEvent("127.77.4.3", "GET /api/v1/device", "401 wrong credentials", 0ms).is_null());

    call.digest = true;
    call.url = urlOf(cam, kPort, "/api/v1/nothing");
    EXPECT_EQ(perform(call).status, 404);
    call.url = urlOf(cam, kPort, "/api/v1/reboot");
    HttpResult wrongMethod = perform(call);
    EXPECT_EQ(wrongMethod.status, 405);
    EXPECT_EQ(bodyOf(wrongMethod)["error"], 4);
    std::remove(fleet.c_str());
}

} // namespace
} // namespace camsim_test
