// lprctl against the camera simulator: what it prints and the exit code of
// every kind of failure.
#include "camsim_gtest.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <thread>
#include <unistd.h>

using harness::CamsimProcess;
using namespace std::chrono_literals;

namespace {

// Runs lprctl; "18080" in the arguments stands for this process's camera port.
// English unless the environment given says otherwise.
harness::ProgramRun Lprctl(std::vector<std::string> args,
                           const std::map<std::string, std::string>& env = {
                               {"TOLVANE_LANG", "en"}}) {
    for (std::string& arg : args) {
        arg = harness::WithCameraPort(arg);
    }
    const std::vector<std::string> lprctl =
        harness::ProgramCommand("TOLVANE_TEST_LPRCTL", LPRCTL_BINARY);
    args.insert(args.begin(), lprctl.begin(), lprctl.end());
    return harness::RunProgram(args, std::chrono::seconds(60), env);
}

// No override and the C locale: the default language.
const std::map<std::string, std::string> kDefaultLanguage = {
    {"TOLVANE_LANG", ""}, {"LC_ALL", ""}, {"LC_MESSAGES", ""}, {"LANG", "C"}};

int Exit(const std::vector<std::string>& args) {
    return Lprctl(args).exitCode;
}

TEST(Lprctl, EveryFailureHasItsOwnExitCode) {
    char fleetName[] = "/tmp/lprctl_fleet_XXXXXX";
    close(mkstemp(fleetName));
    std::ofstream(fleetName) << harness::WithCameraPort(
        R"({"defaults":{"port":18080,"version":"5.1.7.2"},"cameras":[
        {"address":"127.61.6.2"},
        {"address":"127.61.6.3","faults":{"flash_fail":true}},
        {"address":"127.61.6.4","faults":{"drop_upload_at_percent":10}}]})");
    CamsimProcess sim(CAMSIM_BINARY, {"--fleet", fleetName, "--time-scale", "0.01"});
    ASSERT_TRUE(sim.WaitReady());
    // Not ASCII: the image path must arrive whole on every platform.
    char imageName[] = "/tmp/lprctl_固件_XXXXXX";
    close(mkstemp(imageName));
    ASSERT_EQ(harness::RunProgram({MKFWIMAGE_BINARY, "image", "--platform", "DM3730", "--version",
                                   "5.1.7.3", "--payload-size", "3000000", "-o", imageName})
                  .exitCode,
              0);

    // Arguments.
    EXPECT_EQ(Exit({}), 1);
    EXPECT_EQ(Exit({"version"}), 1);
    EXPECT_EQ(Exit({"version", "127.61.6"}), 1);
    EXPECT_EQ(Exit({"version", "127.61.6.2:0"}), 1);
    EXPECT_EQ(Exit({"version", "127.61.6.2:65536"}), 1);
    EXPECT_EQ(Exit({"version", "127.61.6.2:018080"}), 1); // leading zero
    EXPECT_EQ(Exit({"search", "--seconds", "0"}), 1);
    EXPECT_EQ(Exit({"shell", "127.61.6.2:18080", std::string(257, 'x')}), 1);
    EXPECT_EQ(Exit({"--help"}), 0);

    // Log-in, version, shell.
    auto version = Lprctl({"version", "127.61.6.2:18080"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.output, "5.1.7.2\n");
    EXPECT_EQ(Exit({"version", "127.61.6.2:18080", "--password", "nope"}), 2);
    EXPECT_EQ(Exit({"version", "127.61.6.9:18080"}), 2);
    EXPECT_EQ(Exit({"shell", "127.61.6.2:18080", "./feeddog &"}), 0);
    EXPECT_EQ(Exit({"shell", "127.61.6.2:18080", "cat /etc/passwd"}), 3);

    // Status words and help in the chosen language, Chinese by default; a bad
    // --lang is a bad argument, a bad TOLVANE_LANG leaves the choice to the locale.
    const std::vector<std::string> feed = {"shell", "127.61.6.2:18080", "./feeddog &"};
    EXPECT_EQ(Lprctl(feed, kDefaultLanguage).output, "成功\n");
    EXPECT_EQ(Lprctl(feed, {{"TOLVANE_LANG", ""}, {"LC_ALL", "en_GB.UTF-8"}}).output, "ok\n");
    EXPECT_EQ(Lprctl(feed, {{"TOLVANE_LANG", "en"}, {"LC_ALL", "zh_CN.UTF-8"}}).output, "ok\n");
    auto warned = Lprctl(feed, {{"TOLVANE_LANG", "fr"}, {"LC_ALL", "en_US.UTF-8"}});
    EXPECT_EQ(warned.exitCode, 0);
    EXPECT_EQ(warned.output, "ok\n");
    std::vector<std::string> badLang = feed;
    badLang.insert(badLang.end(), {"--lang", "fr"});
    EXPECT_EQ(Exit(badLang), 1);
    auto chineseHelp = Lprctl({"--help"}, kDefaultLanguage);
    EXPECT_NE(chineseHelp.output.find("退出码："), std::string::npos) << chineseHelp.output;
    EXPECT_NE(chineseHelp.output.find("执行一条维护 shell 命令"), std::string::npos);
    auto englishHelp = Lprctl({"--lang=en", "--help"}, kDefaultLanguage);
    EXPECT_NE(englishHelp.output.find("Exit codes:"), std::string::npos) << englishHelp.output;
    EXPECT_NE(englishHelp.output.find("run one maintenance shell command"), std::string::npos);

    // Upgrades.
    EXPECT_EQ(Exit({"upgrade", "127.61.6.2:18080", "/nonexistent.bin"}), 6);
    auto upgraded = Lprctl({"upgrade", "127.61.6.2:18080", imageName, "--wait-restart"});
    EXPECT_EQ(upgraded.exitCode, 0);
    EXPECT_EQ(upgraded.output.rfind("sending", 0), 0u) << upgraded.output;
    EXPECT_NE(upgraded.output.find("done"), std::string::npos);
    EXPECT_NE(upgraded.output.find("running 5.1.7.3\n"), std::string::npos) << upgraded.output;
    EXPECT_EQ(Exit({"upgrade", "127.61.6.2:18080", imageName}), 4); // already installed
    EXPECT_EQ(Exit({"upgrade", "127.61.6.3:18080", imageName}), 4); // flash fails
    EXPECT_EQ(Exit({"upgrade", "127.61.6.4:18080", imageName}), 5); // drops the upload
    EXPECT_EQ(Exit({"reboot", "127.61.6.3:18080", "--wait"}), 0);

    // Search, on this test's own discovery port.
    setenv("TOLVANE_DISCOVERY_PORT", std::to_string(sim.DiscoveryPort()).c_str(), 1);
    auto found = Lprctl({"search", "--seconds", "1"});
    EXPECT_EQ(found.exitCode, 0);
    for (const char* camera : {"127.61.6.2:18080\n", "127.61.6.3:18080\n", "127.61.6.4:18080\n"}) {
        EXPECT_NE(found.output.find(harness::WithCameraPort(camera)), std::string::npos)
            << found.output;
    }
    harness::SilentUdpPort silent;
    setenv("TOLVANE_DISCOVERY_PORT", std::to_string(silent.Port()).c_str(), 1);
    auto none = Lprctl({"search", "--seconds", "1"});
    unsetenv("TOLVANE_DISCOVERY_PORT");
    // Other cameras on this machine may answer on the default port, never on a fresh one.
    EXPECT_EQ(none.exitCode, 8) << none.output;
    unlink(fleetName);
    unlink(imageName);
}

TEST(Lprctl, PasswordSourcesInOrderAndControlCharactersNeverSent) {
    harness::TempFolder folder("lprctl_password");
    CamsimProcess sim(CAMSIM_BINARY, {"--count", "1", "--base", "127.61.7.2", "--port",
                                      harness::WithCameraPort("18080"), "--password", "s3cret"});
    ASSERT_TRUE(sim.WaitReady());
    const std::string camera = "127.61.7.2:18080";
    auto run = [&](std::vector<std::string> args, std::map<std::string, std::string> env = {}) {
        for (std::string& arg : args) {
            arg = harness::WithCameraPort(arg);
        }
        const std::vector<std::string> lprctl =
            harness::ProgramCommand("TOLVANE_TEST_LPRCTL", LPRCTL_BINARY);
        args.insert(args.begin(), lprctl.begin(), lprctl.end());
        env.try_emplace("TOLVANE_LANG", "en");
        return harness::RunProgram(args, std::chrono::seconds(60), env);
    };
    auto writeFile = [&](const char* name, const std::string& text) {
        std::ofstream(folder.Path() / name, std::ios::binary) << text;
        return (folder.Path() / name).string();
    };
    const std::string right = writeFile("right", "s3cret\r\nsecond line\n");
    const std::string wrong = writeFile("wrong", "nope\n");

    // Refused before anything reaches the camera, wherever the text comes from.
    EXPECT_EQ(run({"version", camera, "--user", "ad\nmin", "--password", "s3cret"}).exitCode, 1);
    EXPECT_EQ(run({"version", camera, "--password", "s3cret\r\nX: 1"}).exitCode, 1);
    EXPECT_EQ(run({"version", camera}, {{"TOLVANE_PASSWORD", "s3\x7f"
                                                             "cret"}})
                  .exitCode,
              1);
    EXPECT_EQ(run({"version", camera, "--password-file", writeFile("bad", "s3\tcret\n")}).exitCode,
              1);
    EXPECT_EQ(sim.EventLogText(), "");

    // Flag, then file, then environment, then the default.
    EXPECT_EQ(run({"version", camera}).exitCode, 2); // default password
    EXPECT_EQ(run({"version", camera}, {{"TOLVANE_PASSWORD", "s3cret"}}).exitCode, 0);
    EXPECT_EQ(
        run({"version", camera, "--password-file", right}, {{"TOLVANE_PASSWORD", "nope"}}).exitCode,
        0);
    EXPECT_EQ(run({"version", camera, "--password", "s3cret", "--password-file", wrong}).exitCode,
              0);
    EXPECT_EQ(run({"version", camera, "--password", "nope", "--password-file", right}).exitCode, 2);
    EXPECT_EQ(run({"version", camera, "--password-file", "/nonexistent/pw"}).exitCode, 1);
    EXPECT_EQ(run({"version", camera, "--password-file", folder.Path().string()}).exitCode, 1);

    // Help never shows a password, neither the default nor one given.
    for (const char* command : {"version", "upgrade", "reboot", "shell"}) {
        auto help = run({command, "--help"}, {{"TOLVANE_PASSWORD", "s3cret"}});
        EXPECT_EQ(help.exitCode, 0);
        EXPECT_NE(help.output.find("--password-file"), std::string::npos) << command;
        EXPECT_EQ(help.output.find("ploma"), std::string::npos) << help.output;
        EXPECT_EQ(help.output.find("s3cret"), std::string::npos) << help.output;
    }
}

// Cameras that stall, each at another point: every command ends within its
// bound (log-in and requests 10 s, an upload 15 s without progress) or, for
// a cancelled upload, right after lprctl gives up. Run at once, so that one
// stall never waits for another.
TEST(Lprctl, StallingCamerasEndWithinTheirBounds) {
    harness::TempFolder folder("lprctl_stalls");
    const std::string fleet = (folder.Path() / "fleet.json").string();
    std::ofstream(fleet) << harness::WithCameraPort(
        R"({"defaults":{"port":18080,"version":"5.1.7.2"},"cameras":[
        {"address":"127.110.2.2","faults":{"stop_answering":true}},
        {"address":"127.110.2.3","faults":{"trickle_ms":60}},
        {"address":"127.110.2.4","faults":{"stop_answering_after":2}},
        {"address":"127.110.2.5","faults":{"stop_answering_after":2}},
        {"address":"127.110.2.6","upload_kib_s":1}]})");
    CamsimProcess sim(CAMSIM_BINARY, {"--fleet", fleet, "--time-scale", "1"});
    ASSERT_TRUE(sim.WaitReady()) << sim.Errors();
    const std::string image = (folder.Path() / "固件.bin").string();
    ASSERT_EQ(harness::RunProgram({MKFWIMAGE_BINARY, "image", "--platform", "DM3730", "--version",
                                   "5.1.7.3", "--payload-size", "3000000", "-o", image})
                  .exitCode,
              0);
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::chrono::milliseconds least; // the bound it waits out
        std::chrono::milliseconds most;  // that bound, with room for a loaded machine
    };
    const std::vector<Case> cases = {
        {{"version", "127.110.2.2:18080"}, 2, 9500ms, 15s},         // silent
        {{"version", "127.110.2.3:18080"}, 2, 9500ms, 15s},         // trickling
        {{"version", "127.110.2.4:18080"}, 3, 9500ms, 15s},         // silent after the log-in
        {{"upgrade", "127.110.2.5:18080", image}, 7, 14500ms, 20s}, // silent to the upload
        {{"upgrade", "127.110.2.6:18080", image, "--timeout", "10"}, 7, 10s, 15s}, // cancelled
    };
    // Under Wine the first program of a prefix starts its server: not part of any bound.
    EXPECT_EQ(Lprctl({"--help"}).exitCode, 0);
    std::vector<harness::ProgramRun> runs(cases.size());
    std::vector<std::chrono::milliseconds> took(cases.size());
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        threads.emplace_back([&, i] {
            const auto start = std::chrono::steady_clock::now();
            runs[i] = Lprctl(cases[i].args);
            took[i] = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now() - start);
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const std::string what = cases[i].args[0] + " " + cases[i].args[1];
        std::printf("%s: exit %d after %.1f s\n", what.c_str(), runs[i].exitCode,
                    static_cast<double>(took[i].count()) / 1000);
        EXPECT_EQ(runs[i].exitCode, cases[i].exitCode) << what << "\n" << runs[i].output;
        EXPECT_GE(took[i], cases[i].least) << what;
        EXPECT_LE(took[i], cases[i].most) << what;
    }
}

} // namespace
