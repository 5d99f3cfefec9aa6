// The JSON the SDK reads from cameras: what is accepted, what is dropped.
#include "sdk/camera_messages.h"

#include <gtest/gtest.h>

using namespace lpr;

namespace {

const char kNonce[] = "00112233aabbccdd";

std::string HelloWith(const std::string& fields) {
    return std::string(R"({"op":"hello","v":1,"nonce":"00112233aabbccdd",)") + fields + "}";
}

TEST(CameraMessages, ProbeIsTheProtocolsObject) {
    auto hello = ParseHello(MakeProbe(kNonce), kNonce);
    EXPECT_FALSE(hello); // a probe is not a hello
    std::string probe = MakeProbe(kNonce);
    EXPECT_EQ(probe, R"({"op":"probe","v":1,"nonce":"00112233aabbccdd"})");
    EXPECT_LE(probe.size(), 512u);
}

TEST(CameraMessages, HelloNeedsOurNonceAndAPortInRange) {
    auto good = ParseHello(HelloWith(R"("port":8080,"model":"m","serial":"s","version":"1.2.3.4")"),
                           kNonce);
    ASSERT_TRUE(good);
    EXPECT_EQ(good->port, 8080);
    EXPECT_EQ(good->model, "m");
    EXPECT_EQ(good->version, "1.2.3.4");
    EXPECT_TRUE(ParseHello(HelloWith(R"("port":1)"), kNonce));
    EXPECT_TRUE(ParseHello(HelloWith(R"("port":65535,"model":5)"), kNonce)); // odd model: kept
    for (const char* port :
         {"0", "65536", "-80", "80.5", "\"80\"", "true", "null", "[80]", "18446744073709551696"}) {
        EXPECT_FALSE(ParseHello(HelloWith(std::string(R"("port":)") + port), kNonce)) << port;
    }
    EXPECT_FALSE(ParseHello(HelloWith(R"("model":"m")"), kNonce)); // no port
    EXPECT_FALSE(ParseHello(HelloWith(R"("port":80)"), "ffffffffffffffff"));
    EXPECT_FALSE(ParseHello(R"({"op":"HELLO","nonce":"00112233aabbccdd","port":80})", kNonce));
    EXPECT_FALSE(ParseHello(R"({"nonce":"00112233aabbccdd","port":80})", kNonce));
    EXPECT_FALSE(ParseHello("not json", kNonce));
    EXPECT_FALSE(ParseHello("", kNonce));
    std::string padded = HelloWith(R"("port":80,"model":")" + std::string(1000, 'x') + "\"");
    ASSERT_GT(padded.size(), kMaxHelloBytes);
    EXPECT_FALSE(ParseHello(padded, kNonce));
}

TEST(CameraMessages, DeviceVersionIsFourSigned32BitIntegers) {
    auto info = ParseDeviceInfo(
        R"({"model":"LPR","serial":"X1","platform":"HS3516","version":[6,2,-1,2147483647]})");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->platform, "HS3516");
    EXPECT_EQ(info->version, (std::array<int32_t, 4>{6, 2, -1, 2147483647}));
    EXPECT_TRUE(ParseDeviceInfo(R"({"version":[0,0,0,-2147483648]})"));
    for (const char* bad : {R"({"version":[1,2,3]})", R"({"version":[1,2,3,4,5]})",
                            R"({"version":[1,2,3,2147483648]})", R"({"version":[1,2,3,4.0]})",
                            R"({"version":"1.2.3.4"})", R"({"model":"m"})", R"([1,2,3,4])",
                            R"({"version":[1,2,3,null]})", "{"}) {
        EXPECT_FALSE(ParseDeviceInfo(bad)) << bad;
    }
    std::string huge = R"({"version":[1,2,3,4],"x":")" + std::string(kMaxAnswerBytes, 'a') + "\"}";
    EXPECT_FALSE(ParseDeviceInfo(huge));
}

TEST(CameraMessages, FirmwareStatusAndErrorAnswers) {
    auto flashing = ParseFirmwareStatus(R"({"state":"flashing","error":0,"progress":42})");
    ASSERT_TRUE(flashing);
    EXPECT_EQ(flashing->state, FirmwareState::Flashing);
    EXPECT_EQ(flashing->progress, 42);
    auto failed = ParseFirmwareStatus(R"({"state":"failed","error":8})");
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->state, FirmwareState::Failed);
    EXPECT_EQ(failed->error, 8);
    EXPECT_TRUE(ParseFirmwareStatus(R"({"state":"done"})"));
    EXPECT_TRUE(ParseFirmwareStatus(R"({"state":"idle","error":0,"progress":0})"));
    EXPECT_FALSE(ParseFirmwareStatus(R"({"state":"Done"})"));
    EXPECT_FALSE(ParseFirmwareStatus(R"({"state":3})"));
    EXPECT_FALSE(ParseFirmwareStatus(R"({"error":8})"));

    EXPECT_EQ(ParseErrorCode(R"({"error":7,"message":"already installed"})"), 7);
    EXPECT_FALSE(ParseErrorCode(R"({"error":0})"));
    EXPECT_FALSE(ParseErrorCode(R"({"error":-3})"));
    EXPECT_FALSE(ParseErrorCode(R"({"error":"7"})"));
    EXPECT_FALSE(ParseErrorCode(R"({"error":4294967303})"));
    EXPECT_FALSE(ParseErrorCode(""));
}

TEST(CameraMessages, ShellRequestAndResult) {
    EXPECT_EQ(MakeShellRequest("rm /mnt/log/ivs* "), R"({"command":"rm /mnt/log/ivs* "})");
    EXPECT_EQ(MakeShellRequest(R"(echo "a\b")"), R"({"command":"echo \"a\\b\""})");
    EXPECT_TRUE(MakeShellRequest(std::string(256, 'x')));
    EXPECT_FALSE(MakeShellRequest(std::string(257, 'x')));
    EXPECT_FALSE(MakeShellRequest("\xff\xfe")); // JSON cannot carry it
    auto result = ParseShellResult(R"({"exit":127,"output":"not found"})");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->exitCode, 127);
    EXPECT_EQ(result->output, "not found");
    EXPECT_FALSE(ParseShellResult(R"({"output":"x"})"));
    EXPECT_FALSE(ParseShellResult(R"({"exit":"0"})"));
}

} // namespace
