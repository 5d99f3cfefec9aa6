// The site playbook of contrib/ansible run against localhost: three inventory
// hosts, each with its own cameras and folder, tolvane-cli against camsim.
#include "camsim_gtest.h"

#include <array>
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

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The path of ansible-playbook; "" when it is not installed.
std::string AnsiblePlaybook() {
    const std::string found =
        RunProgram({"/bin/sh", "-c", "command -v ansible-playbook"}, 10s).output;
    return found.substr(0, found.find('\n'));
}

// Ansible's own files of a run stay in the test's folder.
std::map<std::string, std::string> AnsibleEnvironment(const std::filesystem::path& root) {
    return {{"ANSIBLE_HOME", (root / "ansible-home").string()},
            {"ANSIBLE_LOCAL_TEMP", (root / "ansible-tmp").string()},
            {"ANSIBLE_REMOTE_TEMP", (root / "ansible-remote-tmp").string()},
            {"ANSIBLE_ASYNC_DIR", (root / "ansible-async").string()},
            {"ANSIBLE_PIPELINING", "1"},
            {"ANSIBLE_NOCOLOR", "1"}};
}

} // namespace

TEST(AnsibleSites, EachHostUpgradesItsOwnCamerasIntoOneReport) {
    const std::string playbook = AnsiblePlaybook();
    if (playbook.empty()) {
        GTEST_SKIP() << "ansible-playbook is not installed (Debian package ansible-core)";
    }
    harness::TempFolder folder{"ansible-sites"};
    const std::filesystem::path root = folder.Path();
    ASSERT_EQ(RunProgram({MKFWIMAGE_BINARY, "sample-tree", (root / "tree").string()}, 60s).exitCode,
              0);

    const std::string port = std::to_string(harness::ProcessCameraPort());
    const std::string net = "127.93.0.";
    json fleet = json::array();
    for (const auto& [host, password] : std::vector<std::pair<std::string, std::string>>{
             {"2", "s3cret"}, {"3", "s3cret"}, {"4", "s3cret"}, {"5", "other"}}) {
        fleet.push_back({{"address", net + host},
                         {"port", harness::ProcessCameraPort()},
                         {"version", "5.1.7.1"},
                         {"password", password}});
    }
    CamsimProcess sim(CAMSIM_BINARY, harness::FleetArgs(root / "fleet.json", fleet, 0.01));
    ASSERT_TRUE(sim.WaitReady()) << sim.Errors();

    // A tree left at a site from an older run loses what the new one dropped.
    std::filesystem::create_directories(root / "site-a" / "UpdateFiles" / "old");
    std::ofstream(root / "site-a" / "UpdateFiles" / "old" / "stale.bin") << "x";

    const json inventory = {{"tolvane_sites",
                             {{"vars",
                               {{"ansible_connection", "local"},
                                {"ansible_python_interpreter", "{{ ansible_playbook_python }}"},
                                {"tolvane_update_files", (root / "tree" / "UpdateFiles").string()},
                                {"tolvane_cli", TOLVANE_CLI_PATH},
                                {"tolvane_password", "s3cret"},
                                {"tolvane_poll_seconds", 1},
                                {"tolvane_environment", {{"TOLVANE_TIME_SCALE", "0.01"}}}}},
                              {"hosts",
                               {{"site-a",
                                 {{"tolvane_folder", (root / "site-a").string()},
                                  {"tolvane_cameras", {net + "2:" + port, net + "3:" + port}}}},
                                {"site-b",
                                 {{"tolvane_folder", (root / "site-b").string()},
                                  {"tolvane_cameras", {net + "4:" + port, net + "5:" + port}}}},
                                {"site-c",
                                 {{"tolvane_folder", (root / "site-c").string()},
                                  {"tolvane_cameras", {"010.0.0.1"}}}}}}}}};
    std::ofstream(root / "inventory.yml") << inventory.dump(2);

    const auto started = std::chrono::steady_clock::now();
    const ProgramRun run = RunProgram({playbook, "-i", (root / "inventory.yml").string(), "-e",
                                       "tolvane_report_dir=" + (root / "reports").string(),
                                       std::string(TOLVANE_ANSIBLE_DIR) + "/tolvane-upgrade.yml"},
                                      240s, // a hang guard only, wide for shared build machines
                                      AnsibleEnvironment(root));
    std::printf("ansible-playbook took %.1f s\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
    ASSERT_FALSE(run.timedOut) << run.output;
    // site-c's bad address fails that host only, after its report is written.
    EXPECT_EQ(run.exitCode, 2) << run.output;
    EXPECT_EQ(run.output.find("s3cret"), std::string::npos) << "the password showed";

    std::vector<std::filesystem::path> reports;
    for (const auto& entry : std::filesystem::directory_iterator(root / "reports")) {
        reports.push_back(entry.path());
    }
    ASSERT_EQ(reports.size(), 1u) << run.output;
    const json summary = json::parse(ReadText(reports[0] / "summary.json"));
    EXPECT_EQ(summary["total"], json::parse(R"({"hosts": 3, "hosts_not_completed": 1,
                                                "cameras": 5, "succeeded": 3, "failed": 1})"));
    // Per host: exit code, succeeded, failed.
    const std::map<std::string, std::array<int, 3>> expected = {
        {"site-a", {0, 2, 0}}, {"site-b", {1, 1, 1}}, {"site-c", {2, 0, 0}}};
    std::map<std::string, bool> outcomes;
    for (const auto& [host, counts] : expected) {
        const json& entry = summary["hosts"][host];
        EXPECT_EQ((std::array<int, 3>{entry["exit_code"], entry["succeeded"], entry["failed"]}),
                  counts)
            << host;
        for (const json& result : entry["results"]) {
            EXPECT_EQ(outcomes.count(result["address"]), 0u) << result;
            outcomes[result["address"]] = result["success"];
        }
        // The host's own JSON lines hold the same results.
        std::istringstream lines(ReadText(reports[0] / (host + ".jsonl")));
        int results = 0;
        for (std::string line; std::getline(lines, line);) {
            results += json::parse(line)["event"] == "result" ? 1 : 0;
        }
        EXPECT_EQ(results, counts[1] + counts[2]) << host;
    }
    EXPECT_EQ(summary["hosts"]["site-c"]["status"], "bad input");
    EXPECT_EQ(outcomes,
              (std::map<std::string, bool>{
                  {net + "2", true}, {net + "3", true}, {net + "4", true}, {net + "5", false}}));
    EXPECT_TRUE(std::filesystem::exists(root / "site-b" / "UpdateFiles" / "DM3730" / "517" /
                                        "DM3730_V5.1.7.9.bin"));
    EXPECT_FALSE(std::filesystem::exists(root / "site-a" / "UpdateFiles" / "old"));
}

// The documented rollout across sites: one site first, with a canary inside
// it, then the rest, ending the play at the first failed site.
TEST(AnsibleSites, AFailedCanarySiteLeavesTheOtherSitesUntouched) {
    const std::string playbook = AnsiblePlaybook();
    if (playbook.empty()) {
        GTEST_SKIP() << "ansible-playbook is not installed (Debian package ansible-core)";
    }
    harness::TempFolder folder{"ansible-canary"};
    const std::filesystem::path root = folder.Path();
    ASSERT_EQ(RunProgram({MKFWIMAGE_BINARY, "sample-tree", (root / "tree").string()}, 60s).exitCode,
              0);
    const std::filesystem::path play = root / "play";
    std::filesystem::copy(TOLVANE_ANSIBLE_DIR, play, std::filesystem::copy_options::recursive);
    std::string text = ReadText(play / "tolvane-upgrade.yml");
    const std::string anchor = "  gather_facts: false\n";
    ASSERT_NE(text.find(anchor), std::string::npos);
    text.insert(text.find(anchor) + anchor.size(),
                "  serial: [1, \"100%\"]\n  max_fail_percentage: 0\n");
    std::ofstream(play / "tolvane-upgrade.yml") << text;

    const std::string port = std::to_string(harness::ProcessCameraPort());
    const std::string net = "127.141.0.";
    json fleet = json::array();
    for (const std::string host : {"2", "3", "4", "5"}) {
        json camera = {{"address", net + host}, {"port", harness::ProcessCameraPort()}};
        if (host == "2") {
            camera["faults"] = {{"flash_fail", true}};
        }
        fleet.push_back(camera);
    }
    CamsimProcess sim(CAMSIM_BINARY, harness::FleetArgs(root / "fleet.json", fleet, 0.01));
    ASSERT_TRUE(sim.WaitReady()) << sim.Errors();
    const json inventory = {
        {"tolvane_sites",
         {{"vars",
           {{"ansible_connection", "local"},
            {"ansible_python_interpreter", "{{ ansible_playbook_python }}"},
            {"tolvane_update_files", (root / "tree" / "UpdateFiles").string()},
            {"tolvane_cli", TOLVANE_CLI_PATH},
            {"tolvane_poll_seconds", 1},
            {"tolvane_environment", {{"TOLVANE_TIME_SCALE", "0.01"}}}}},
          {"hosts",
           {{"site-first",
             {{"tolvane_folder", (root / "site-first").string()},
              {"tolvane_canary", 1},
              {"tolvane_cameras", {net + "2:" + port, net + "3:" + port}}}},
            {"site-later",
             {{"tolvane_folder", (root / "site-later").string()},
              {"tolvane_cameras", {net + "4:" + port, net + "5:" + port}}}}}}}}};
    std::ofstream(root / "inventory.yml") << inventory.dump(2);
    const ProgramRun run = RunProgram({playbook, "-i", (root / "inventory.yml").string(), "-e",
                                       "tolvane_report_dir=" + (root / "reports").string(),
                                       (play / "tolvane-upgrade.yml").string()},
                                      240s, AnsibleEnvironment(root));
    ASSERT_FALSE(run.timedOut) << run.output;
    EXPECT_NE(run.exitCode, 0) << run.output;

    std::set<std::string> asked;
    for (const json& e : sim.Events()) {
        if (e.value("request", "") != "probe") {
            asked.insert(e.value("camera", ""));
        }
    }
    EXPECT_EQ(asked, std::set<std::string>{net + "2"}) << run.output;
    EXPECT_FALSE(std::filesystem::exists(root / "site-later" / "UpdateFiles")) << run.output;
    std::vector<std::filesystem::path> reports;
    for (const auto& entry : std::filesystem::directory_iterator(root / "reports")) {
        reports.push_back(entry.path());
    }
    ASSERT_EQ(reports.size(), 1u) << run.output;
    const json first = json::parse(ReadText(reports[0] / "summary.json"))["hosts"]["site-first"];
    EXPECT_EQ(first["exit_code"], 4);
    EXPECT_EQ(first["status"], "batch stopped");
    EXPECT_EQ(first["failed"], 1);
    EXPECT_EQ(first["not_started"], 1);
}
