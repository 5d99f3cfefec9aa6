// tolvane-cli killed with SIGKILL in the middle of a batch, then `upgrade
// --resume`: the journal tells what is left, and only that is upgraded.
#include "camsim_gtest.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>

extern char** environ;

using harness::CamsimProcess;
using harness::ProgramRun;
using harness::RunProgram;
using nlohmann::json;
using namespace std::chrono_literals;

namespace {

constexpr double kScale = 0.01;
const std::string kNet = "127.150.0.";

std::vector<json> JsonLines(const std::string& text) {
    std::vector<json> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        json parsed = json::parse(line, nullptr, false);
        if (parsed.is_object()) {
            lines.push_back(std::move(parsed));
        }
    }
    return lines;
}

std::string FileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The addresses of the journal's records of one kind.
std::set<std::string> Recorded(const std::vector<json>& journal, const std::string& kind) {
    std::set<std::string> found;
    for (const json& r : journal) {
        if (r.value("record", "") == kind) {
            found.insert(r.value("address", ""));
        }
    }
    return found;
}

// Requests that change something (posts past the Digest challenge), by
// camera, among the simulator's events from `from` on.
std::map<std::string, int> ChangesAsked(const CamsimProcess& sim, size_t from) {
    std::map<std::string, int> asked;
    const std::vector<json> events = sim.Events();
    for (size_t i = from; i < events.size(); ++i) {
        const json& e = events[i];
        if (e.value("request", "").rfind("POST", 0) == 0 &&
            e.value("outcome", "").rfind("401", 0) != 0) {
            ++asked[e.value("camera", "")];
        }
    }
    return asked;
}

class BatchResume : public ::testing::Test {
protected:
    std::vector<std::string> CliArgs(const std::vector<std::string>& args) const {
        std::vector<std::string> argv = {TOLVANE_CLI_PATH, "--json", "--program-folder",
                                         folder.Path().string()};
        argv.insert(argv.end(), args.begin(), args.end());
        return argv;
    }
    ProgramRun Cli(const std::vector<std::string>& args) const {
        return RunProgram(CliArgs(args), 120s, {{"TOLVANE_TIME_SCALE", std::to_string(kScale)}});
    }

    // Started without waiting, its standard output into a file.
    pid_t Start(const std::vector<std::string>& args, const std::filesystem::path& out) const {
        std::vector<std::string> argv = CliArgs(args);
        std::vector<char*> words;
        for (std::string& w : argv) {
            words.push_back(w.data());
        }
        words.push_back(nullptr);
        std::vector<std::string> env = {"TOLVANE_TIME_SCALE=" + std::to_string(kScale)};
        for (char** e = environ; *e != nullptr; ++e) {
            env.emplace_back(*e);
        }
        std::vector<char*> envp;
        for (std::string& e : env) {
            envp.push_back(e.data());
        }
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        pid_t pid = -1;
        if (posix_spawn(&pid, words[0], &actions, nullptr, words.data(), envp.data()) != 0) {
            pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        return pid;
    }

    std::vector<json> Journal() const {
        std::error_code ignored;
        for (const auto& entry :
             std::filesystem::directory_iterator(folder.Path() / "batches", ignored)) {
            return JsonLines(FileText(entry.path()));
        }
        return {};
    }

    harness::TempFolder folder{"resume"};
};

} // namespace

TEST_F(BatchResume, KilledBatchResumesExactlyTheCamerasLeft) {
    ASSERT_EQ(RunProgram({MKFWIMAGE_BINARY, "sample-tree", folder.Path().string(), "--payload-size",
                          std::to_string(4 << 20)},
                         60s)
                  .exitCode,
              0);
    // Two workers: .2 .4 .6 on one, .3 .5 .7 on the other. The slow uploads
    // of .5 and .6 (about 4 s) are under way when the run is killed, .7 waits
    // behind .5, and .3 fails on a version that does not take.
    const json fleet = json::array({
        {{"address", kNet + "2"}},
        {{"address", kNet + "3"}, {"faults", {{"flash_result_version", "5.1.6.9"}}}},
        {{"address", kNet + "4"}},
        {{"address", kNet + "5"}, {"upload_kib_s", 10}},
        {{"address", kNet + "6"}, {"upload_kib_s", 10}},
        {{"address", kNet + "7"}},
    });
    CamsimProcess sim(CAMSIM_BINARY,
                      harness::FleetArgs(folder.Path() / "fleet.json", fleet, kScale));
    ASSERT_TRUE(sim.WaitReady()) << sim.Errors();

    std::vector<std::string> args = {"upgrade", "--workers", "2"};
    for (const json& camera : fleet) {
        args.push_back(camera["address"]);
    }
    const pid_t cli = Start(args, folder.Path() / "first.out");
    ASSERT_GT(cli, 0);
    const std::set<std::string> finished = {kNet + "2", kNet + "3", kNet + "4"};
    const std::set<std::string> working = {kNet + "5", kNet + "6"};
    const auto bound = std::chrono::steady_clock::now() + 90s;
    std::vector<json> journal;
    while (std::chrono::steady_clock::now() < bound) {
        journal = Journal();
        if (Recorded(journal, "end") == finished && Recorded(journal, "start").size() >= 5) {
            break;
        }
        std::this_thread::sleep_for(10ms);
    }
    // Killed while both slow images are on their way.
    for (const std::string& camera : working) {
        EXPECT_FALSE(sim.WaitEvent(camera, "POST /api/v1/firmware", "receiving").is_null());
    }
    ::kill(cli, SIGKILL);
    int status = 0;
    ::waitpid(cli, &status, 0);
    ASSERT_EQ(Recorded(journal, "end"), finished) << FileText(folder.Path() / "first.out");
    ASSERT_EQ(journal.front().value("record", ""), "batch");
    const std::string id = journal.front()["batch"];
    EXPECT_EQ(journal.front()["options"]["workers"], 2);
    EXPECT_EQ(journal.front()["cameras"].size(), 6u);
    for (const std::string& camera : working) {
        ASSERT_FALSE(sim.WaitEvent(camera, "POST /api/v1/firmware", "upload lost").is_null())
            << camera << "\n"
            << sim.EventLogText();
    }

    const ProgramRun listed = Cli({"batches"});
    ASSERT_EQ(listed.exitCode, 0);
    ASSERT_EQ(JsonLines(listed.output).size(), 1u) << listed.output;
    const json before = JsonLines(listed.output)[0];
    EXPECT_EQ(before["batch"], id);
    EXPECT_EQ(before["state"], "unfinished");
    EXPECT_EQ(before["done"].dump() + before["failed"].dump() + before["unfinished"].dump() +
                  before["not_started"].dump(),
              "2121");

    // Bad uses send nothing.
    const size_t quiet = sim.Events().size();
    EXPECT_EQ(Cli({"upgrade", "--resume", id, kNet + "2"}).exitCode, 2);
    EXPECT_EQ(Cli({"upgrade", "--resume", "20990101T000000Z-0000"}).exitCode, 2);
    EXPECT_EQ(Cli({"upgrade", "--resume", "../fleet"}).exitCode, 2);
    EXPECT_EQ(Cli({"upgrade", "--resume", id, "--workers", "3"}).exitCode, 2);
    EXPECT_EQ(sim.Events().size(), quiet);

    const std::filesystem::path csv = folder.Path() / "resumed.csv";
    const ProgramRun resumed = Cli({"upgrade", "--resume", "--csv", csv.string()});
    ASSERT_FALSE(resumed.timedOut);
    EXPECT_EQ(resumed.exitCode, 1) << resumed.output; // .3 fails again
    std::map<std::string, json> results;
    std::set<std::string> skipped;
    for (const json& line : JsonLines(resumed.output)) {
        if (line.value("event", "") == "result") {
            results[line["address"]] = line;
            EXPECT_EQ(line["batch"], id);
        } else if (line.value("event", "") == "skipped") {
            skipped.insert(line.value("address", ""));
        } else if (line.value("event", "") == "batch") {
            EXPECT_EQ(line["batch"], id);
            EXPECT_EQ(line["cameras"], 4);
        }
    }
    EXPECT_EQ(skipped, (std::set<std::string>{kNet + "2", kNet + "4"}));
    ASSERT_EQ(results.size(), 4u) << resumed.output;
    EXPECT_FALSE(results[kNet + "3"]["success"].get<bool>());
    for (const char* host : {"5", "6", "7"}) {
        EXPECT_TRUE(results[kNet + host]["success"].get<bool>()) << results[kNet + host];
    }
    std::istringstream rows(FileText(csv));
    std::string row;
    std::getline(rows, row); // the header
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(std::getline(rows, row));
        EXPECT_EQ(row.substr(row.size() - id.size() - 2), "," + id + "\r");
    }
    // The cameras done before the kill saw nothing after it.
    const std::map<std::string, int> asked = ChangesAsked(sim, quiet);
    EXPECT_EQ(asked.count(kNet + "2") + asked.count(kNet + "4"), 0u);
    EXPECT_EQ(asked.size(), 4u);

    const json after = JsonLines(Cli({"batches"}).output).at(0);
    EXPECT_EQ(after["state"], "finished");
    EXPECT_EQ(after["done"].dump() + after["failed"].dump() + after["resumes"].dump(), "511");
    for (const json& entry : JsonLines(Cli({"history"}).output)) {
        EXPECT_EQ(entry["batch"], id) << entry;
    }
    // No batch is unfinished now. A batch with nothing left (an image
    // already installed counts as done) sends nothing either.
    const ProgramRun second = Cli({"upgrade", kNet + "2"});
    ASSERT_EQ(second.exitCode, 0) << second.output;
    const std::string secondId = JsonLines(second.output).at(0).value("batch", "");
    const size_t done = sim.Events().size();
    EXPECT_EQ(Cli({"upgrade", "--resume"}).exitCode, 0);
    const ProgramRun again = Cli({"upgrade", "--resume", secondId});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(JsonLines(again.output).size(), 1u) << again.output; // skipped
    EXPECT_EQ(sim.Events().size(), done);
}
