// The network SDK's control calls against an in-process camera on loopback:
// log-in, version, connection check, restart, shell, and the handle rules.
#include "mini_camera.h"
#include "sdk/lpr_sdk.h"

#include <gtest/gtest.h>

using sdktest::MiniCamera;
using sdktest::MiniCameraScript;

namespace {

const LprSdk& Sdk() {
    return LprNetworkSdk();
}

TEST(SdkCalls, LogInReadsVersionAndPrefersSha256WhateverTheOrder) {
    for (bool md5First : {false, true}) {
        MiniCameraScript script;
        script.md5ChallengeFirst = md5First;
        script.version = {5, 3, 6, -2};
        MiniCamera camera(script);
        Sdk().LprSetup();
        LprHandle handle = Sdk().LprOpen("127.0.0.1", camera.Port(), "admin", "ploma");
        ASSERT_NE(handle, nullptr);
        int32_t v[4] = {0, 0, 0, 0};
        ASSERT_EQ(Sdk().LprGetVersion(handle, &v[0], &v[1], &v[2], &v[3]), 0);
        EXPECT_EQ(v[0], 5);
        EXPECT_EQ(v[1], 3);
        EXPECT_EQ(v[2], 6);
        EXPECT_EQ(v[3], -2);
        uint8_t status[2] = {0, 0};
        Sdk().LprIsConnected(handle, status);
        EXPECT_EQ(status[0], 1);
        EXPECT_EQ(status[1], 0);
        for (const std::string& algorithm : camera.AlgorithmsUsed()) {
            EXPECT_EQ(algorithm, "SHA-256") << "MD5 first: " << md5First;
        }
        EXPECT_EQ(camera.AlgorithmsUsed().size(), 3u);
        EXPECT_EQ(Sdk().LprClose(handle), 0);
    }
}

TEST(SdkCalls, Md5IsUsedOnlyWhenItIsAllTheCameraOffers) {
    MiniCameraScript script;
    script.offerSha256 = false;
    MiniCamera camera(script);
    LprHandle handle = Sdk().LprOpen("127.0.0.1", camera.Port(), "admin", "ploma");
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(camera.AlgorithmsUsed(), std::vector<std::string>{"MD5"});
    Sdk().LprClose(handle);
}

TEST(SdkCalls, WrongCredentialsOrBadArgumentsGiveNoHandle) {
    MiniCamera camera(MiniCameraScript{});
    EXPECT_EQ(Sdk().LprOpen("127.0.0.1", camera.Port(), "admin", "wrong"), nullptr);
    EXPECT_EQ(Sdk().LprOpen("127.0.0.1", camera.Port(), "root", "ploma"), nullptr);
    EXPECT_TRUE(camera.AlgorithmsUsed().empty());
    // Nothing but a dotted IPv4 address ever reaches a URL.
    EXPECT_EQ(Sdk().LprOpen("127.0.0.1/api?x=", camera.Port(), "admin", "ploma"), nullptr);
    EXPECT_EQ(Sdk().LprOpen("localhost", camera.Port(), "admin", "ploma"), nullptr);
    EXPECT_EQ(Sdk().LprOpen(nullptr, camera.Port(), "admin", "ploma"), nullptr);
    EXPECT_EQ(Sdk().LprOpen("127.0.0.1", 0, "admin", "ploma"), nullptr);
    EXPECT_EQ(Sdk().LprOpen("127.0.0.1", camera.Port(), nullptr, "ploma"), nullptr);
    // Only the low 16 bits of the port count.
    LprHandle handle = Sdk().LprOpen("127.0.0.1", 0x50000u | camera.Port(), "admin", "ploma");
    EXPECT_NE(handle, nullptr);
    Sdk().LprClose(handle);
}

TEST(SdkCalls, StaleAndUnknownHandlesFailWithoutTouchingMemory) {
    MiniCamera camera(MiniCameraScript{});
    LprHandle handle = Sdk().LprOpen("127.0.0.1", camera.Port(), "admin", "ploma");
    ASSERT_NE(handle, nullptr);
    ASSERT_EQ(Sdk().LprClose(handle), 0);
    LprHandle made_up = reinterpret_cast<LprHandle>(static_cast<uintptr_t>(0xdeadbeef));
    for (LprHandle bad : {handle, made_up, static_cast<LprHandle>(nullptr)}) {
        int32_t v[4] = {7, 7, 7, 7};
        EXPECT_NE(Sdk().LprGetVersion(bad, &v[0], &v[1], &v[2], &v[3]), 0);
        EXPECT_EQ(v[0], 7);
        uint8_t status[2] = {0, 0};
        Sdk().LprIsConnected(bad, status);
        EXPECT_EQ(status[0], 0);
        EXPECT_EQ(Sdk().LprUpdateStart(bad, "/etc/hostname"), -1);
        EXPECT_EQ(Sdk().LprUpdateGetState(bad), LPR_UPDATE_STATE_TRANSPORT_FAILED);
        EXPECT_EQ(Sdk().LprUpdateGetError(), LPR_ERR_NOT_CONNECTED);
        EXPECT_NE(Sdk().LprReboot(bad), 0);
        EXPECT_NE(Sdk().LprClose(bad), 0);
    }
}

TEST(SdkCalls, RebootAndShellGoThroughTheHandleOfThatAddress) {
    MiniCameraScript script;
    MiniCamera camera(script, "127.0.0.1");
    // No handle for the address yet: nothing is sent.
    EXPECT_NE(Sdk().RemoteShellExec("127.0.0.1", "./feeddog &"), 0);
    LprHandle handle = Sdk().LprOpen("127.0.0.1", camera.Port(), "admin", "ploma");
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(Sdk().RemoteShellExec("127.0.0.1", "rm /mnt/log/ivs* "), 0);
    EXPECT_EQ(Sdk().LprReboot(handle), 0);
    // Too long for the camera's shell: refused before anything is sent.
    std::string tooLong(257, 'x');
    EXPECT_NE(Sdk().RemoteShellExec("127.0.0.1", tooLong.c_str()), 0);
    EXPECT_NE(Sdk().RemoteShellExec("127.0.0.2", "./feeddog &"), 0);
    auto requests = camera.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[1].method + " " + requests[1].target, "POST /api/v1/shell");
    EXPECT_EQ(requests[1].body, R"({"command":"rm /mnt/log/ivs* "})");
    EXPECT_EQ(requests[2].method + " " + requests[2].target, "POST /api/v1/reboot");
    Sdk().LprClose(handle);
}

TEST(SdkCalls, ShellExitCodeDecidesTheResult) {
    MiniCameraScript script;
    script.shellExit = 127;
    MiniCamera camera(script);
    LprHandle handle = Sdk().LprOpen("127.0.0.1", camera.Port(), "admin", "ploma");
    ASSERT_NE(handle, nullptr);
    EXPECT_NE(Sdk().RemoteShellExec("127.0.0.1", "killall av_server.out"), 0);
    Sdk().LprClose(handle);
}

} // namespace
