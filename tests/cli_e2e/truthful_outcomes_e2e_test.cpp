// tolvane-cli against cameras and image folders that lie: a camera that comes
// back on another version, one whose version cannot be read, one silent while
// it flashes, another device taking the address, versions that cannot be told
// apart; and image files that are no images, or the wrong ones. Nothing but
// the target version of the last image counts as success, and a bad image is
// never sent.
#include "camsim_gtest.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

using harness::CamsimProcess;
using harness::ProgramRun;
using harness::RunProgram;
using nlohmann::json;
using namespace std::chrono_literals;

namespace {

constexpr double kScale = 0.01;
const std::string kNet = "127.130.0.";

class TruthfulOutcomes : public ::testing::Test {
protected:
    void SetUp() override { harness::WriteSampleTree(MKFWIMAGE_BINARY, folder.Path()); }

    ProgramRun Cli(std::vector<std::string> args, std::chrono::milliseconds bound) {
        std::vector<std::string> argv = {TOLVANE_CLI_PATH, "--json", "--program-folder",
                                         folder.Path().string()};
        argv.insert(argv.end(), args.begin(), args.end());
        return RunProgram(argv, bound, {{"TOLVANE_TIME_SCALE", std::to_string(kScale)}});
    }

    std::filesystem::path Folder(const std::string& sub) const {
        return folder.Path() / "UpdateFiles" / sub;
    }

    // Leaves `sub` holding only what the caller puts there next.
    void Empty(const std::string& sub) const {
        std::filesystem::remove_all(Folder(sub));
        std::filesystem::create_directories(Folder(sub));
    }

    void Image(const std::string& sub, const std::string& name, const std::string& platform,
               const std::string& version) const {
        const ProgramRun made =
            RunProgram({MKFWIMAGE_BINARY, "image", "--platform", platform, "--version", version,
                        "-o", (Folder(sub) / name).string()},
                       30s);
        ASSERT_EQ(made.exitCode, 0);
    }

    static std::map<std::string, json> Events(const std::string& output, const std::string& kind) {
        std::map<std::string, json> found;
        std::istringstream lines(output);
        for (std::string line; std::getline(lines, line);) {
            const json event = json::parse(line, nullptr, false);
            if (event.is_object() && event.value("event", "") == kind) {
                found[event.value("address", "")] = event;
            }
        }
        return found;
    }

    harness::TempFolder folder{"truthful"};
};

json Camera(const std::string& host, json config) {
    config["address"] = kNet + host;
    return config;
}

// What the camera was asked beyond log-in and version reads.
std::vector<std::string> ChangesAskedOf(const CamsimProcess& sim, const std::string& address) {
    std::vector<std::string> asked;
    for (const json& e : sim.Events()) {
        const std::string request = e.value("request", "");
        if (e.value("camera", "") == address && request.rfind("POST", 0) == 0 &&
            e.value("outcome", "").rfind("401", 0) != 0) {
            asked.push_back(request + " " + e.value("detail", ""));
        }
    }
    return asked;
}

} // namespace

TEST_F(TruthfulOutcomes, OnlyTheLastImagesTargetOnTheSameCameraIsSuccess) {
    // Silent for 12 s of real time while flashing: longer than a state poll's 10 s.
    const json silent = {{"silent_while_flashing", true}};
    const int64_t twelveSeconds = static_cast<int64_t>(12000 / kScale);
    const json fleet = json::array({
        Camera("2", {{"version", "5.1.7.1"}, {"faults", {{"flash_result_version", "5.1.6.9"}}}}),
        // Stays on the intermediate version after the second image.
        Camera("3", {{"version", "5.0.6.1"}, {"faults", {{"flash_result_version", "5.1.6.9"}}}}),
        Camera("4",
               {{"version", "5.1.7.1"}, {"faults", {{"version_unreadable_after_flash", 1000}}}}),
        Camera("5", {{"version", "6.2.1.1"}, {"flash_ms", twelveSeconds}, {"faults", silent}}),
        Camera("6", {{"version", "5.1.7.1"}, {"flash_ms", twelveSeconds}, {"faults", silent}}),
        Camera("7", {{"version", "5.0.6.1"}, {"faults", {{"replaced_after_restart", true}}}}),
        Camera("8", {{"version", {4, 11, 7, 1}}, {"platform", "DM3730"}}),
        Camera("9", {{"version", {0, 0, 517, 1}}, {"platform", "DM3730"}}),
        Camera("10", {{"version", "5.1.7.1"}}),
    });
    CamsimProcess sim(CAMSIM_BINARY,
                      harness::FleetArgs(folder.Path() / "fleet.json", fleet, kScale));
    ASSERT_TRUE(sim.WaitReady()) << "camsim did not start: " << sim.Errors();

    std::vector<std::string> args = {"upgrade", "--csv", (folder.Path() / "out.csv").string()};
    for (const json& camera : fleet) {
        args.push_back(camera["address"]);
    }
    const ProgramRun run = Cli(args, 120s);
    ASSERT_FALSE(run.timedOut) << run.output;
    EXPECT_EQ(run.exitCode, 1);
    std::map<std::string, json> results = Events(run.output, "result");
    auto outcome = [&](const std::string& host) {
        const json& r = results[kNet + host];
        return r["code"].dump() + " " + r["version_expected"].dump() + " " +
               r["version_after"].dump() + " " + r["verified"].dump();
    };
    EXPECT_EQ(outcome("2"), R"(7 "5.1.7.9" "5.1.6.9" true)");
    EXPECT_EQ(outcome("3"), R"(7 "5.1.7.9" "5.1.6.9" true)");
    EXPECT_EQ(outcome("4"), R"(8 "5.1.7.9" null false)");
    EXPECT_EQ(outcome("5"), R"(0 "6.2.1.9" "6.2.1.9" true)");
    EXPECT_EQ(outcome("6"), R"(0 "5.1.7.9" "5.1.7.9" true)");
    EXPECT_EQ(results[kNet + "2"]["text"], "升级设备失败，升级后版本与镜像版本不符！");
    EXPECT_EQ(results[kNet + "2"]["detail"], "期望版本5.1.7.9，实际版本5.1.6.9");
    EXPECT_EQ(results[kNet + "4"]["text"], "升级结果未确认，请检查设备版本！");
    EXPECT_FALSE(results[kNet + "4"]["success"].get<bool>());

    // Replaced during the preparation's restart: nothing more is sent to the newcomer.
    EXPECT_EQ(results[kNet + "7"]["code"], 9);
    EXPECT_EQ(results[kNet + "7"]["text"], "升级设备失败，设备已更换！");
    EXPECT_NE(results[kNet + "7"]["detail"].get<std::string>().find("DM8127"), std::string::npos);
    EXPECT_EQ(
        ChangesAskedOf(sim, kNet + "7"),
        (std::vector<std::string>{"POST /api/v1/shell rm /mnt/log/boa_log/*",
                                  "POST /api/v1/shell rm /mnt/log/ivs* ", "POST /api/v1/reboot "}));

    // Versions whose parts are not digits match no image, and are shown.
    for (const std::string host : {"8", "9"}) {
        EXPECT_EQ(results[kNet + host]["code"], 3) << host;
        EXPECT_TRUE(ChangesAskedOf(sim, kNet + host).empty()) << host;
    }
    EXPECT_EQ(results[kNet + "8"]["version_before"], "4.11.7.1");
    EXPECT_EQ(results[kNet + "9"]["detail"], "设备版本0.0.517.1");
    EXPECT_EQ(results[kNet + "10"]["code"], 0);

    const json summary = Events(run.output, "summary")[""];
    EXPECT_EQ(summary["succeeded"], 3);
    EXPECT_EQ(summary["failed"], 6);

    // The CSV and the history carry what the outcome rests on.
    std::ifstream csv(folder.Path() / "out.csv");
    std::stringstream csvText;
    csvText << csv.rdbuf();
    EXPECT_NE(csvText.str().find("version_expected,verified,detail"), std::string::npos);
    EXPECT_NE(csvText.str().find("5.1.7.9,false,"), std::string::npos) << csvText.str();
    std::ifstream history(folder.Path() / "upgrade_history.jsonl");
    int lines = 0;
    for (std::string line; std::getline(history, line); ++lines) {
        const json entry = json::parse(line);
        EXPECT_EQ(entry["verified"], !entry["version_after"].get<std::string>().empty()) << line;
        EXPECT_TRUE(entry.contains("version_expected")) << line;
    }
    EXPECT_EQ(lines, 9);
}

TEST_F(TruthfulOutcomes, BadImagesAreRefusedBeforeAnythingIsSent) {
    Empty("DM3730/517");
    ASSERT_EQ(::mkfifo((Folder("DM3730/517") / "DM3730_V5.1.7.bin").c_str(), 0600), 0);
    Empty("DM3730/537");
    Image("DM3730/537", "DM3730_V5.3.7.bin", "DM8127", "5.3.7.9");
    Image("DM8127/556", "DM8127_V556_second.bin", "DM8127", "5.5.6.8");
    Empty("DM3730/536_To_7");
    Image("DM3730/536_To_7", "DM3730_536_to_537.bin", "DM3730", "5.3.7.9");
    Empty("HS3516/621");
    std::ofstream(Folder("HS3516/621") / "HS3516_V6.2.1.bin").close();
    Empty("DM3730/from_50x");
    std::filesystem::create_directories(Folder("DM3730/from_50x") / "x.bin");
    const json fleet = json::array({
        Camera("20", {{"version", "5.1.7.1"}}),  // a pipe: never opened for reading
        Camera("21", {{"version", "5.3.7.1"}}),  // another platform's image
        Camera("22", {{"version", "5.5.6.1"}}),  // two images in one folder
        Camera("23", {{"version", "5.6.6.12"}}), // the image is older than the camera
        Camera("24", {{"version", "6.2.1.1"}}),  // 0 bytes
        Camera("25", {{"version", "5.3.6.1"}}),  // 5.3.7 in the 5.3.6 folder, before preparation
        Camera("26", {{"version", "5.0.6.1"}}),  // a folder named like an image
    });
    const std::vector<int> faults = {2, 6, 11, 8, 4, 7, 2};
    CamsimProcess sim(CAMSIM_BINARY,
                      harness::FleetArgs(folder.Path() / "fleet.json", fleet, kScale));
    ASSERT_TRUE(sim.WaitReady()) << "camsim did not start: " << sim.Errors();
    std::vector<std::string> addresses;
    for (const json& camera : fleet) {
        addresses.push_back(camera["address"]);
    }

    std::vector<std::string> planArgs = {"plan"};
    planArgs.insert(planArgs.end(), addresses.begin(), addresses.end());
    const ProgramRun plan = Cli(planArgs, 30s);
    ASSERT_FALSE(plan.timedOut) << plan.output;
    EXPECT_EQ(plan.exitCode, 1);
    std::map<std::string, json> plans = Events(plan.output, "plan");

    std::vector<std::string> upgradeArgs = {"upgrade"};
    upgradeArgs.insert(upgradeArgs.end(), addresses.begin(), addresses.end());
    const ProgramRun upgrade = Cli(upgradeArgs, 60s);
    ASSERT_FALSE(upgrade.timedOut) << "an image check blocked: " << upgrade.output;
    EXPECT_EQ(upgrade.exitCode, 1);
    std::map<std::string, json> results = Events(upgrade.output, "result");

    for (size_t i = 0; i < addresses.size(); ++i) {
        const std::string& address = addresses[i];
        const json& checks = plans[address]["image_checks"];
        ASSERT_FALSE(checks.empty()) << address << plan.output;
        EXPECT_EQ(plans[address]["code"], 10) << address;
        EXPECT_EQ(checks.back()["fault"], faults[i]) << address << checks.dump();
        EXPECT_EQ(results[address]["code"], 10) << address;
        EXPECT_EQ(results[address]["text"], "升级设备失败，升级镜像文件有误！") << address;
        EXPECT_NE(results[address]["detail"].get<std::string>().find(".bin"), std::string::npos)
            << address;
        EXPECT_TRUE(ChangesAskedOf(sim, address).empty()) << address;
    }
    // The good images of the same tree pass, and the plan says their targets.
    EXPECT_EQ(plans[kNet + "26"]["image_checks"].size(), 1u);
    EXPECT_EQ(plans[kNet + "23"]["image_checks"][0]["target"], "5.6.6.9");
}
