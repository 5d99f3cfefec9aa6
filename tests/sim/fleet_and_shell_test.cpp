#include "camera_config.h"
#include "maintenance_shell.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace camsim {
namespace {

std::string errorOf(const std::string& fleetText) {
    try {
        auto fleet = parseFleet(fleetText);
        validateFleet(fleet);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return {};
}

TEST(Fleet, DefaultsMergeUnderEachCameraAndFillTheGaps) {
    auto fleet = parseFleet(R"({"defaults":{"port":8080,"restart_ms":100,
        "faults":{"flash_fail":true,"shell_fail":{"./feeddog &":3}}},
      "cameras":[{"address":"127.0.0.2","version":[5,0,6,3]},
                 {"address":"127.0.0.3","version":"6.2.1.2","port":9000,"faults":{"fourth_zero":true}}]})");
    validateFleet(fleet);
    ASSERT_EQ(fleet.size(), 2u);
    EXPECT_EQ(fleet[0].port, 8080);
    EXPECT_EQ(fleet[0].restartMs, 100);
    EXPECT_EQ(fleet[0].platform, "DM3730");
    EXPECT_EQ(fleet[0].user, "admin");
    EXPECT_EQ(fleet[0].password, "ploma");
    EXPECT_FALSE(fleet[0].model.empty());
    EXPECT_TRUE(fleet[0].faults.flashFail);
    EXPECT_EQ(fleet[0].faults.shellFail.at("./feeddog &"), 3);
    EXPECT_EQ(fleet[1].port, 9000);
    EXPECT_EQ(fleet[1].platform, "HS3516");
    // Faults merge key by key: the camera's own fault keeps the defaults' ones.
    EXPECT_TRUE(fleet[1].faults.fourthZero);
    EXPECT_TRUE(fleet[1].faults.flashFail);
    EXPECT_NE(fleet[0].serial, fleet[1].serial);

    auto plain = parseFleet(R"([{"address":"127.0.0.9","version":"5.5.6.1","platform":"DM8127"}])");
    validateFleet(plain);
    EXPECT_EQ(plain[0].port, 80);
}

TEST(Fleet, BadEntriesNameTheCameraAndTheField) {
    EXPECT_NE(errorOf("[{\"address\":\"127.0.0.2\",\"versoin\":\"5.1.7.1\"}]")
                  .find("camera 1: camera: unknown field \"versoin\""),
              std::string::npos);
    EXPECT_NE(
        errorOf(R"([{"address":"127.0.0.2"},{"address":"127.0.0.3","faults":{"flash_fial":true}}])")
            .find("camera 2"),
        std::string::npos);
    EXPECT_NE(errorOf(R"([{"address":"127.0.0.2","port":0}])").find("port"), std::string::npos);
    EXPECT_NE(errorOf(R"([{"address":"127.0.0.2","port":70000}])").find("port"), std::string::npos);
    EXPECT_NE(errorOf(R"([{"address":"localhost"}])").find("not a dotted IPv4"), std::string::npos);
    EXPECT_NE(errorOf(R"([{"address":"127.0.0.2","version":"5.1.7"}])").find("version"),
              std::string::npos);
    EXPECT_NE(errorOf(R"([{"address":"127.0.0.2","version":[5,1,7,4294967296]}])").find("version"),
              std::string::npos);
    EXPECT_NE(errorOf(R"([{"address":"127.0.0.2","version":"7.0.0.1"}])").find("no platform"),
              std::string::npos);
    EXPECT_NE(errorOf(R"([{"address":"127.0.0.2","platform":"X1"}])").find("platform"),
              std::string::npos);
    EXPECT_NE(errorOf(R"([{"address":"127.0.0.2","faults":{"drop_upload_at_percent":100}}])")
                  .find("drop_upload_at_percent"),
              std::string::npos);
    EXPECT_NE(
        errorOf(R"([{"address":"127.0.0.2","faults":{"shell_fail":{"ls":0}}}])").find("exit code"),
        std::string::npos);
    EXPECT_NE(errorOf(R"([{"address":"127.0.0.2","port":81},{"address":"127.0.0.2","port":81}])")
                  .find("used twice"),
              std::string::npos);
    EXPECT_NE(errorOf(R"([{"address":"127.0.0.2","user":"a:b"}])").find("user"), std::string::npos);
    EXPECT_NE(errorOf(R"([{"port":81}])").find("address is missing"), std::string::npos);
    EXPECT_NE(errorOf("[{").find("not valid JSON"), std::string::npos);
    // 2^64-1 once passed as -1; brackets nested beyond any fleet's need once
    // overflowed the stack.
    EXPECT_NE(errorOf(R"([{"address":"127.0.0.2","version":[5,1,7,18446744073709551615]}])")
                  .find("version"),
              std::string::npos);
    EXPECT_NE(errorOf(std::string(200000, '[') + std::string(200000, ']')).find("nests deeper"),
              std::string::npos);
    EXPECT_NE(errorOf(R"({"camera":[]})").find("unknown field"), std::string::npos);
    // Same address on two ports is two cameras.
    EXPECT_EQ(errorOf(R"([{"address":"127.0.0.2","port":81},{"address":"127.0.0.2","port":82}])"),
              "");
}

TEST(Fleet, AddressRangesStepAcrossOctetsAndStopAtTheEnd) {
    EXPECT_EQ(addressAfter("127.0.0.2", 0), "127.0.0.2");
    EXPECT_EQ(addressAfter("127.0.0.250", 10), "127.0.1.4");
    EXPECT_EQ(addressAfter("127.3.255.255", 1), "127.4.0.0");
    EXPECT_THROW(addressAfter("255.255.255.250", 6), std::runtime_error);
    EXPECT_THROW(addressAfter("127.0.0", 1), std::runtime_error);
}

TEST(MaintenanceShell, EmulatesTheFourCommandsOnItsOwnState) {
    ShellState state;
    const std::map<std::string, int> none;
    ASSERT_FALSE(state.boaLogs.empty());
    ASSERT_FALSE(state.ivsFiles.empty());

    EXPECT_EQ(runShellCommand(state, "rm /mnt/log/boa_log/*", none).exit, 0);
    EXPECT_TRUE(state.boaLogs.empty());
    EXPECT_FALSE(state.ivsFiles.empty());
    // The tool sends this one with a trailing blank.
    EXPECT_EQ(runShellCommand(state, "rm /mnt/log/ivs* ", none).exit, 0);
    EXPECT_TRUE(state.ivsFiles.empty());
    EXPECT_EQ(runShellCommand(state, "./feeddog &", none).exit, 0);
    EXPECT_TRUE(state.feeddogRunning);
    EXPECT_EQ(runShellCommand(state, "killall av_server.out", none).exit, 0);
    EXPECT_FALSE(state.avServerRunning);
    // Running them again still succeeds.
    EXPECT_EQ(runShellCommand(state, "rm /mnt/log/boa_log/*", none).exit, 0);

    for (const char* other : {"rm -rf /", "reboot", "rm /mnt/log/boa_log", "ls; ./feeddog &", ""}) {
        ShellResult r = runShellCommand(state, other, none);
        EXPECT_EQ(r.exit, 127) << other;
    }

    rebootShellState(state);
    EXPECT_TRUE(state.avServerRunning);
    EXPECT_FALSE(state.feeddogRunning);
    EXPECT_FALSE(state.boaLogs.empty());
}

TEST(MaintenanceShell, ConfiguredFailuresAnswerTheirCodeAndChangeNothing) {
    ShellState state;
    const std::map<std::string, int> failures = {{"rm /mnt/log/ivs*", 2},
                                                 {"killall av_server.out", 1}};
    EXPECT_EQ(runShellCommand(state, "rm /mnt/log/ivs* ", failures).exit, 2);
    EXPECT_FALSE(state.ivsFiles.empty());
    EXPECT_EQ(runShellCommand(state, "killall av_server.out", failures).exit, 1);
    EXPECT_TRUE(state.avServerRunning);
    EXPECT_EQ(runShellCommand(state, "./feeddog &", failures).exit, 0);
}

} // namespace
} // namespace camsim
