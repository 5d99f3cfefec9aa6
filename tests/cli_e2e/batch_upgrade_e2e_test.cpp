// tolvane-cli with the network SDK against camsim, time scaled down: a fleet
// with a camera of every version row and cameras with faults, upgraded in one
// batch; then a search that lists the cameras with their versions.
#include "camsim_gtest.h"

#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <sstream>

using harness::CamsimProcess;
using harness::ProgramRun;
using harness::RunProgram;
using nlohmann::json;
using namespace std::chrono_literals;

namespace {

constexpr double kScale = 0.01;

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// What a camera was made to do, in order: shell commands, uploads taken or
// refused, flash outcomes and restart requests. t is the camera's time.
struct Step {
    std::string what;
    int64_t t = 0;
};

std::vector<Step> TrailOf(const std::vector<json>& events, const std::string& camera) {
    std::vector<Step> trail;
    for (const json& e : events) {
        if (!e.is_object() || e.value("camera", "") != camera) {
            continue;
        }
        const std::string request = e.value("request", "");
        const std::string outcome = e.value("outcome", "");
        const std::string detail = e.value("detail", "");
        const int64_t t = e.value("t_sim_ms", int64_t{0});
        if (request == "POST /api/v1/shell" && outcome.rfind("401", 0) != 0) {
            trail.push_back({"shell " + detail, t});
        } else if (request == "POST /api/v1/reboot" && outcome == "202") {
            trail.push_back({"reboot", t});
        } else if (request == "POST /api/v1/firmware" && outcome == "202 flashing") {
            trail.push_back({"upload " + detail, t});
        } else if (request == "flash") {
            trail.push_back({"flash " + outcome, t});
        }
    }
    return trail;
}

std::vector<std::string> Names(const std::vector<Step>& trail) {
    std::vector<std::string> names;
    for (const Step& s : trail) {
        names.push_back(s.what);
    }
    return names;
}

// The tool's fixed pauses between what it asks of a camera, as lower bounds
// in the camera's time (real time is only ever longer).
void ExpectPauses(const std::vector<Step>& trail, const std::string& camera) {
    for (size_t i = 1; i < trail.size(); ++i) {
        const std::string& prev = trail[i - 1].what;
        const std::string& next = trail[i].what;
        int64_t least = 0;
        if (prev.rfind("shell", 0) == 0) {
            least = 1000; // after every preparation and service command
        } else if (prev == "reboot") {
            least = 20000 + 30000; // restart pause and the settling pause
        } else if (prev.rfind("upload", 0) == 0 && next == "reboot") {
            least = 15000; // first state read
        }
        EXPECT_GE(trail[i].t - trail[i - 1].t, least * 8 / 10)
            << camera << ": " << prev << " -> " << next;
    }
}

const std::vector<std::string> kPrep = {"shell rm /mnt/log/boa_log/*", "shell rm /mnt/log/ivs* ",
                                        "reboot"};
const std::vector<std::string> kStopAv = {"shell ./feeddog &", "shell killall av_server.out"};

std::vector<std::string> Image(const std::string& target, const std::string& flash = "done") {
    std::vector<std::string> steps = {"upload " + target, "flash " + flash};
    if (flash == "done") {
        steps.push_back("reboot");
    }
    return steps;
}

// The object with every "text" emptied: what must not change with the language.
json Untexted(json value) {
    if (!value.is_structured()) {
        return value;
    }
    for (auto& [key, item] : value.items()) {
        item = key == "text" ? json("") : Untexted(item);
    }
    return value;
}

std::vector<std::string> Cat(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& p : parts) {
        all.insert(all.end(), p.begin(), p.end());
    }
    return all;
}

// "address port version" of each camera search printed whose address starts
// with `net` (other tests' cameras may answer a broadcast too).
std::vector<std::string> DeviceRows(const std::string& output, const std::string& net) {
    std::vector<std::string> rows;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        const json device = json::parse(line);
        const std::string address = device["address"];
        if (address.rfind(net, 0) == 0) {
            rows.push_back(address + " " + std::to_string(device["port"].get<int>()) + " " +
                           device["version"].get<std::string>());
        }
    }
    return rows;
}

class CliEndToEnd : public ::testing::Test {
protected:
    void SetUp() override { harness::WriteSampleTree(MKFWIMAGE_BINARY, folder.Path()); }

    ProgramRun Cli(std::vector<std::string> args, std::chrono::milliseconds bound,
                   const std::map<std::string, std::string>& env = {}) {
        std::vector<std::string> argv =
            harness::ProgramCommand("TOLVANE_TEST_CLI", TOLVANE_CLI_PATH);
        argv.insert(argv.end(), {"--json", "--program-folder", folder.Path().string()});
        argv.insert(argv.end(), args.begin(), args.end());
        std::map<std::string, std::string> fullEnv = env;
        fullEnv["TOLVANE_TIME_SCALE"] = std::to_string(kScale);
        return RunProgram(argv, bound, fullEnv);
    }

    // Not ASCII, as on a laptop whose user is 张伟: every path the tools are
    // given, and the data folder, carry it.
    harness::TempFolder folder{"cli-e2e-张伟"};
};

} // namespace

TEST_F(CliEndToEnd, MixedFleetUpgradedInOneBatch) {
    const std::string net = "127.41.0.";
    struct Camera {
        std::string host;
        json config;
        int code; // expected result code, 0 = upgraded
        std::vector<std::string> trail;
    };
    const std::vector<Camera> cameras = {
        {"2",
         {{"version", "5.0.6.1"}},
         0,
         Cat({kPrep, Image("5.1.6.9"), kStopAv, Image("5.1.7.9")})},
        {"3", {{"version", "5.1.6.1"}}, 0, Cat({kPrep, kStopAv, Image("5.1.7.9")})},
        {"4", {{"version", "5.1.7.1"}}, 0, Image("5.1.7.9")},
        {"5", {{"version", "5.3.6.1"}}, 0, Cat({kPrep, Image("5.3.6.9"), Image("5.3.7.9")})},
        {"6", {{"version", "5.3.7.1"}}, 0, Image("5.3.7.9")},
        {"7", {{"version", "5.5.6.1"}}, 0, Image("5.5.6.9")},
        {"8", {{"version", "5.6.6.1"}}, 0, Image("5.6.6.9")},
        // Restarts by itself after flashing: the lost connection counts.
        {"9", {{"version", "6.2.1.1"}}, 0, {"upload 6.2.1.9", "flash done"}},
        {"10", {{"version", "5.2.0.1"}, {"platform", "DM3730"}}, 3, {}},
        {"11", {{"version", "5.1.7.1"}, {"password", "other"}}, 1, {}},
        {"12",
         {{"version", "5.1.6.2"},
          {"faults",
           {{"shell_fail", {{"rm /mnt/log/boa_log/*", 1}, {"killall av_server.out", 1}}}}}},
         0,
         {"reboot", "upload 5.1.7.9", "flash done", "reboot"}},
        {"13",
         {{"version", "5.1.7.1"}, {"faults", {{"flash_fail", true}}}},
         4,
         Image("5.1.7.9", "failed error 8")},
        {"14",
         {{"version", "5.1.7.1"}, {"faults", {{"no_return_after_restart", true}}}},
         4,
         Image("5.1.7.9")},
        {"15", {{"version", "5.1.7.1"}, {"faults", {{"version_unreadable_reads", 1000}}}}, 2, {}},
        // Cut half way: never flashed, so the restart rule must not pass it.
        {"16", {{"version", "6.2.1.2"}, {"faults", {{"drop_upload_at_percent", 50}}}}, 4, {}},
        // Says done, comes back on its old version.
        {"17",
         {{"version", "5.1.7.1"}, {"faults", {{"flash_no_effect", true}}}},
         6,
         Image("5.1.7.9")},
        // Flashed, but its version cannot be read afterwards: unconfirmed, not success.
        {"18",
         {{"version", "5.1.7.1"}, {"faults", {{"version_unreadable_after_flash", 1000}}}},
         8,
         Image("5.1.7.9")},
    };
    json fleet = json::array();
    std::vector<std::string> targets;
    for (const Camera& c : cameras) {
        json config = c.config;
        config["address"] = net + c.host;
        fleet.push_back(config);
        targets.push_back(net + c.host);
    }
    CamsimProcess sim(CAMSIM_BINARY,
                      harness::FleetArgs(folder.Path() / "fleet.json", fleet, kScale));
    ASSERT_TRUE(sim.WaitReady()) << "camsim did not start: " << sim.Errors();

    // One bad address (a leading zero) refuses the whole command before anything is sent.
    EXPECT_EQ(Cli({"upgrade", targets[0], "010.0.0.1"}, 20s).exitCode, 2);
    for (const json& event : sim.Events()) {
        EXPECT_EQ(event.value("request", "").find(" /api/"), std::string::npos) << event;
    }

    std::vector<std::string> args = {"upgrade"};
    args.insert(args.end(), targets.begin(), targets.end());
    const ProgramRun run = Cli(args, 50s);
    ASSERT_FALSE(run.timedOut) << run.output;
    EXPECT_EQ(run.exitCode, 1) << "some cameras are meant to fail";

    std::map<std::string, int> codes;
    std::map<std::string, json> results;
    std::map<std::string, std::vector<int>> steps;
    json summary;
    std::istringstream lines(run.output);
    for (std::string line; std::getline(lines, line);) {
        const json event = json::parse(line);
        if (event["event"] == "result") {
            EXPECT_EQ(codes.count(event["address"]), 0u) << "two results for " << event["address"];
            codes[event["address"]] = event["code"];
            results[event["address"]] = event;
        } else if (event["event"] == "progress") {
            steps[event["address"]].push_back(event["step"]);
        } else if (event["event"] == "summary") {
            summary = event;
        }
    }
    EXPECT_EQ(summary["succeeded"], 9);
    EXPECT_EQ(summary["failed"], 8);
    EXPECT_EQ(summary["text"], "升级完成，成功9台，失败8台。");
    // What each outcome rests on: the version read before and after.
    auto versions = [&](const std::string& host) {
        const json& r = results[net + host];
        return r["version_before"].dump() + " " + r["version_after"].dump() + " " +
               r["verified"].dump();
    };
    EXPECT_EQ(versions("2"), R"("5.0.6.1" "5.1.7.9" true)");
    EXPECT_EQ(versions("9"), R"("6.2.1.1" "6.2.1.9" true)");
    EXPECT_EQ(versions("13"), R"("5.1.7.1" null false)");
    EXPECT_EQ(versions("17"), R"("5.1.7.1" "5.1.7.1" true)");
    EXPECT_EQ(versions("18"), R"("5.1.7.1" null false)");
    EXPECT_EQ(results[net + "17"]["text"], "升级设备失败，升级后版本未改变！");

    const std::vector<json> events = sim.Events();
    for (const Camera& c : cameras) {
        const std::string address = net + c.host;
        EXPECT_EQ(codes[address], c.code) << address;
        const std::vector<Step> trail = TrailOf(events, address);
        if (c.host == "12") {
            // Failing commands leave no shell event of their own name below;
            // check the whole command list instead.
            std::vector<std::string> shell;
            for (const json& e : events) {
                if (e.value("camera", "") == address &&
                    e.value("request", "") == "POST /api/v1/shell" &&
                    e.value("outcome", "").rfind("401", 0) != 0) {
                    shell.push_back(e.value("detail", ""));
                }
            }
            EXPECT_EQ(shell, (std::vector<std::string>{"rm /mnt/log/boa_log/*", "rm /mnt/log/ivs* ",
                                                       "./feeddog &", "killall av_server.out"}));
            std::vector<std::string> rest;
            for (const std::string& name : Names(trail)) {
                if (name.rfind("shell", 0) != 0) {
                    rest.push_back(name);
                }
            }
            EXPECT_EQ(rest, c.trail);
        } else if (c.host == "9") {
            const auto names = Names(trail);
            ASSERT_GE(names.size(), 2u) << address;
            EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 2), c.trail);
        } else {
            EXPECT_EQ(Names(trail), c.trail) << address;
        }
        ExpectPauses(trail, address);
    }
    // The 506 camera's notes, in order: preparation, two images, each taken.
    EXPECT_EQ(steps[net + "2"], (std::vector<int>{1, 2, 3, 5, 6, 5, 6}));
    EXPECT_EQ(steps[net + "13"], (std::vector<int>{5}));
    EXPECT_EQ(steps[net + "14"], (std::vector<int>{5, 6}));
    EXPECT_TRUE(steps[net + "11"].empty());

    // Only the camera whose commands failed has a log file, with its two lines.
    std::set<std::string> logs;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
        const std::string name = entry.path().filename().string();
        if (name.size() > 11 && name.substr(name.size() - 11) == "_update.log") {
            logs.insert(name);
        }
    }
    EXPECT_EQ(logs, std::set<std::string>{net + "12_update.log"});
    EXPECT_EQ(ReadBytes(folder.Path() / (net + "12_update.log")),
              "\xc7\xe5\xc0\xed"
              "boa\xc8\xd5\xd6\xbe\xca\xa7\xb0\xdc.\r\n"
              "kill av_server\xca\xa7\xb0\xdc.\r\n");
}

// A batch with cameras that stall (silent, trickling, silent once the
// upload comes, so that the tool cancels it) ends with a result for each of
// them within the SDK's bounds, and the camera beside them is upgraded.
TEST_F(CliEndToEnd, StallingCamerasFailAtTheirBoundsInABatch) {
    const std::string net = "127.110.3.";
    const json fleet = json::array({
        {{"address", net + "2"}, {"version", "5.1.7.1"}},
        {{"address", net + "3"}, {"version", "5.1.7.1"}, {"faults", {{"stop_answering", true}}}},
        {{"address", net + "4"}, {"version", "5.1.7.1"}, {"faults", {{"trickle_ms", 60}}}},
        // Log-in and two version reads answered, then silent: the upload stalls.
        {{"address", net + "5"}, {"version", "5.1.7.1"}, {"faults", {{"stop_answering_after", 6}}}},
    });
    CamsimProcess sim(CAMSIM_BINARY,
                      harness::FleetArgs(folder.Path() / "fleet.json", fleet, kScale));
    ASSERT_TRUE(sim.WaitReady()) << sim.Errors();
    // Under Wine the first program of a prefix starts its server: not part of the bound.
    EXPECT_EQ(Cli({"upgrade", "--help"}, 30s).exitCode, 0);
    const auto start = std::chrono::steady_clock::now();
    const ProgramRun run = Cli({"upgrade", net + "2", net + "3", net + "4", net + "5"}, 60s);
    const auto took = std::chrono::steady_clock::now() - start;
    ASSERT_FALSE(run.timedOut) << run.output;
    EXPECT_EQ(run.exitCode, 1);
    std::map<std::string, int> codes;
    std::istringstream lines(run.output);
    for (std::string line; std::getline(lines, line);) {
        const json event = json::parse(line);
        if (event["event"] == "result") {
            codes[event["address"]] = event["code"];
        }
    }
    EXPECT_EQ(codes, (std::map<std::string, int>{
                         {net + "2", 0}, {net + "3", 1}, {net + "4", 1}, {net + "5", 4}}))
        << run.output;
    // The log-in's 10 s bound is the longest wait: the tool gives up on the
    // stalled upload sooner (its waits scaled down here) and cancels it.
    std::printf("batch with stalling cameras: %.1f s\n",
                std::chrono::duration<double>(took).count());
    EXPECT_LT(took, 30s);
}

TEST_F(CliEndToEnd, SearchListsCamerasWithTheirVersions) {
    const std::string net = "127.42.0.";
    json fleet = json::array({
        {{"address", net + "10"}, {"version", "5.1.7.3"}, {"port", 8080}},
        {{"address", net + "2"}, {"version", "6.2.1.2"}},
        {{"address", net + "3"}, {"version", "5.3.7.1"}, {"faults", {{"refuse_login", true}}}},
    });
    CamsimProcess sim(CAMSIM_BINARY,
                      harness::FleetArgs(folder.Path() / "fleet.json", fleet, kScale));
    ASSERT_TRUE(sim.WaitReady()) << sim.Errors();
    const ProgramRun run = Cli({"search", "--seconds", "2.5"}, 40s,
                               {{"TOLVANE_DISCOVERY_PORT", std::to_string(sim.DiscoveryPort())}});
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(
        DeviceRows(run.output, net),
        (std::vector<std::string>{net + "2 80 6.2.1.2", net + "3 80 ", net + "10 8080 5.1.7.3"}));
}

TEST_F(CliEndToEnd, CredentialsWithControlCharactersNeverLeaveAndHelpShowsNoPassword) {
    const std::string camera = harness::WithCameraPort("127.43.0.2:18080");
    CamsimProcess sim(CAMSIM_BINARY, {"--count", "1", "--base", "127.43.0.2", "--port",
                                      harness::WithCameraPort("18080"), "--password", "s"});
    ASSERT_TRUE(sim.WaitReady()) << sim.Errors();
    std::ofstream(folder.Path() / "pw") << "s\x01\n";
    for (const auto& [args, env] :
         std::vector<std::pair<std::vector<std::string>, std::map<std::string, std::string>>>{
             {{"upgrade", camera, "--user", "ad\r\nmin", "--password", "s"}, {}},
             {{"upgrade", camera}, {{"TOLVANE_PASSWORD", "s\n"}}},
             {{"upgrade", camera, "--password-file", (folder.Path() / "pw").string()}, {}},
             {{"upgrade", camera, "--password-file", "/nonexistent/pw"}, {}}}) {
        EXPECT_EQ(Cli(args, 30s, env).exitCode, 2) << args.back();
    }
    EXPECT_EQ(sim.EventLogText(), "");
    const ProgramRun help = Cli({"upgrade", "--help"}, 30s);
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.output.find("--password-file"), std::string::npos);
    EXPECT_EQ(help.output.find("ploma"), std::string::npos) << help.output;
}

// Unicast probes instead of the broadcast search: the cameras of the range
// and the added ones, once each in address order; a silent added address is
// still listed with its port; a wrong range or address sends nothing.
TEST_F(CliEndToEnd, SearchProbesAddedAddressesAndARange) {
    const std::string net = "127.44.";
    json fleet = json::array({
        {{"address", net + "0.33"}, {"version", "5.1.7.3"}},
        {{"address", net + "0.5"}, {"version", "6.2.1.2"}, {"port", 8080}},
        {{"address", net + "1.7"}, {"version", "5.3.7.1"}},
        {{"address", net + "3.3"}, {"version", "5.3.7.1"}}, // neither added nor in the range
    });
    CamsimProcess sim(CAMSIM_BINARY,
                      harness::FleetArgs(folder.Path() / "fleet.json", fleet, kScale));
    ASSERT_TRUE(sim.WaitReady()) << sim.Errors();
    const std::map<std::string, std::string> env = {
        {"TOLVANE_DISCOVERY_PORT", std::to_string(sim.DiscoveryPort())}};
    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"search", "--range", net + "0.9-" + net + "0.1"},
          {"search", "--range", net + "0.0/19"},
          {"search", "--range", net + "0.1-" + net + "0.40", "--add", net + "1.300"}}) {
        EXPECT_EQ(Cli(bad, 30s, env).exitCode, 2) << bad.back();
    }
    EXPECT_EQ(sim.EventLogText(), "");

    const ProgramRun run = Cli({"search", "--range", net + "0.0/26", "--add", net + "1.7", "--add",
                                net + "2.9:8000", "--add", net + "0.5:8080"},
                               40s, env);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(DeviceRows(run.output, net),
              (std::vector<std::string>{net + "0.5 8080 6.2.1.2", net + "0.33 80 5.1.7.3",
                                        net + "1.7 80 5.3.7.1", net + "2.9 8000 "}));
}

TEST_F(CliEndToEnd, PlanThenUpgradeWithCsvThenHistory) {
    const std::string net = "127.45.0.";
    json fleet = json::array({
        {{"address", net + "2"}, {"version", "5.0.6.1"}},
        {{"address", net + "3"}, {"version", "5.1.7.1"}},
        {{"address", net + "4"}, {"version", "5.1.7.1"}, {"faults", {{"refuse_login", true}}}},
        {{"address", net + "5"}, {"version", "5.1.7.1"}, {"password", "密码ü"}},
    });
    CamsimProcess sim(CAMSIM_BINARY,
                      harness::FleetArgs(folder.Path() / "fleet.json", fleet, kScale));
    ASSERT_TRUE(sim.WaitReady()) << sim.Errors();

    const ProgramRun plan = Cli({"plan", net + "2", net + "3", net + "4"}, 40s);
    ASSERT_FALSE(plan.timedOut);
    EXPECT_EQ(plan.exitCode, 1) << "the refused camera would fail";
    std::map<std::string, json> plans;
    std::istringstream planLines(plan.output);
    for (std::string line; std::getline(planLines, line);) {
        const json p = json::parse(line);
        plans[p["address"]] = p;
    }
    std::vector<std::string> steps;
    for (const json& s : plans[net + "2"]["steps"]) {
        steps.push_back(s["step"]);
    }
    EXPECT_EQ(steps, (std::vector<std::string>{"prepare", "restart", "send_image", "restart",
                                               "reread_version", "stop_service_if_516",
                                               "send_image", "restart", "verify_version"}));
    EXPECT_EQ(plans[net + "3"]["version"], "5.1.7.1");
    EXPECT_EQ(plans[net + "3"]["images"].size(), 1u);
    EXPECT_EQ(plans[net + "4"]["code"], 1);
    EXPECT_EQ(plans[net + "4"]["text"], "打开设备失败，请检查设备连接是否正常！");

    // In English: the same keys, codes and steps; messages and help follow the
    // language, and a bad --lang is bad input.
    const ProgramRun planEn = Cli({"--lang", "en", "plan", net + "2", net + "3", net + "4"}, 40s);
    EXPECT_EQ(planEn.exitCode, 1);
    std::istringstream planEnLines(planEn.output);
    int plansEn = 0;
    for (std::string line; std::getline(planEnLines, line); ++plansEn) {
        const json p = json::parse(line);
        EXPECT_EQ(Untexted(p), Untexted(plans[p["address"]]));
    }
    EXPECT_EQ(plansEn, 3);
    const std::map<std::string, std::string> chosenByLocale = {
        {"TOLVANE_LANG", ""}, {"LC_ALL", ""}, {"LC_MESSAGES", ""}, {"LANG", "C"}};
    auto messages = [&](const std::vector<std::string>& args,
                        const std::map<std::string, std::string>& env) {
        std::vector<std::string> argv = {"/bin/sh", "-c", "exec \"$0\" \"$@\" 2>&1",
                                         TOLVANE_CLI_PATH};
        argv.insert(argv.end(), args.begin(), args.end());
        return RunProgram(argv, 20s, env);
    };
    const ProgramRun zhFault = messages({"plan", "010.0.0.1"}, chosenByLocale);
    EXPECT_EQ(zhFault.exitCode, 2);
    EXPECT_NE(zhFault.output.find("'010.0.0.1'：第 1 段有前导零"), std::string::npos)
        << zhFault.output;
    const ProgramRun enFault = messages({"--lang=en", "plan", "010.0.0.1"}, chosenByLocale);
    EXPECT_EQ(enFault.exitCode, 2);
    EXPECT_NE(enFault.output.find("'010.0.0.1': field 1 has a leading zero"), std::string::npos)
        << enFault.output;
    EXPECT_NE(messages({"plan", "--help"}, chosenByLocale).output.find("登录用户名"),
              std::string::npos);
    const ProgramRun enHelp =
        messages({"plan", "--help"}, {{"TOLVANE_LANG", "xx"}, {"LC_ALL", "en_US.UTF-8"}});
    EXPECT_EQ(enHelp.exitCode, 0);
    EXPECT_NE(enHelp.output.find("TOLVANE_LANG=xx"), std::string::npos) << enHelp.output;
    EXPECT_NE(enHelp.output.find("log-in user name"), std::string::npos) << enHelp.output;
    EXPECT_EQ(messages({"plan", net + "3", "--lang", "fr"}, {}).exitCode, 2);
    for (const json& event : sim.Events()) {
        const std::string request = event.value("request", "");
        for (const char* path : {"/shell", "/reboot", "/firmware"}) {
            EXPECT_EQ(request.find(path), std::string::npos) << event;
        }
    }

    const std::string csv = (folder.Path() / "结果.csv").string();
    const std::string passwordFile = (folder.Path() / "密码.txt").string();
    std::ofstream(passwordFile) << "密码ü\n";
    const ProgramRun run =
        Cli({"upgrade", net + "5", "--csv", csv, "--password-file", passwordFile}, 40s);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const std::string bytes = ReadBytes(csv);
    EXPECT_EQ(bytes.rfind("\xEF\xBB\xBF"
                          "address,port,version_before,version_after,result,start,end,"
                          "version_expected,verified,detail,batch\r\n" +
                              net + "5,80,5.1.7.1,5.1.7.9,升级设备成功！,",
                          0),
              0u)
        << bytes;

    const ProgramRun history = Cli({"history", "--address", net + "5"}, 20s);
    ASSERT_EQ(history.exitCode, 0);
    const json entry = json::parse(history.output);
    EXPECT_EQ(entry["port"], 80);
    EXPECT_EQ(entry["version_before"], "5.1.7.1");
    EXPECT_EQ(entry["version_after"], "5.1.7.9");
    EXPECT_EQ(entry["code"], 0);
    EXPECT_EQ(entry["images"].size(), 1u);
    EXPECT_EQ(Cli({"history", "--since", "yesterday"}, 20s).exitCode, 2);
}
