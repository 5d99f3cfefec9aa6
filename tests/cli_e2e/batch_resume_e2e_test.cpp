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

// The `key` of each of `lines` from `from` on that `keep` takes.
template <typename Keep>
std::set<std::string> Named(const std::vector<json>& lines, const char* key, Keep keep,
                            size_t from = 0) {
    std::set<std::string> found;
    for (size_t i = from; i < lines.size(); ++i) {
        if (keep(lines[i])) {
            found.insert(lines[i].value(key, ""));
        }
    }
    return found;
}

auto Is(const char* field, const std::string& value) {
    return [=](const json& line) { return line.value(field, "") == value; };
}

// A request that changes something: a post past the Digest challenge.
bool ChangesSomething(const json& event) {
    return event.value("request", "").rfind("POST", 0) == 0 &&
           event.value("outcome", "").rfind("401", 0) != 0;
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
        argv.insert(argv.begin(), {"env", "TOLVANE_TIME_SCALE=" + std::to_string(kScale)});
        std::vector<char*> words;
        for (std::string& w : argv) {
            words.push_back(w.data());
        }
        words.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t pid = -1; // env executes the tool in its own place: the pid is the tool's
        const int spawned = posix_spawnp(&pid, "env", &actions, nullptr, words.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        return spawned == 0 ? pid : -1;
    }

    std::vector<json> Journal() const {
        std::error_code ignored;
        for (const auto& entry :
             std::filesystem::directory_iterator(folder.Path() / "batches", ignored)) {
            if (entry.path().extension() == ".jsonl") {
                return JsonLines(FileText(entry.path()));
            }
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
        if (Named(journal, "address", Is("record", "end")) == finished &&
            Named(journal, "address", Is("record", "start")).size() >= 5) {
            break;
        }
        std::this_thread::sleep_for(10ms);
    }
    // Killed while both slow images are on their way.
    for (const std::string& camera : working) {
        EXPECT_FALSE(sim.WaitEvent(camera, "POST /api/v1/firmware", "receiving").is_null());
    }
    const std::string id = journal.at(0).value("batch", "");
    EXPECT_EQ(Cli({"upgrade", "--resume", id}).exitCode, 2); // still running
    ::kill(cli, SIGKILL);
    int status = 0;
    ::waitpid(cli, &status, 0);
    ASSERT_EQ(Named(journal, "address", Is("record", "end")), finished)
        << FileText(folder.Path() / "first.out");
    for (const std::string& camera : working) {
        ASSERT_FALSE(sim.WaitEvent(camera, "POST /api/v1/firmware", "upload lost").is_null());
    }

    const json before = JsonLines(Cli({"batches"}).output).at(0);
    EXPECT_EQ(before.value("batch", "") + before.value("state", ""), id + "unfinished");
    EXPECT_EQ(before["done"].dump() + before["failed"].dump() + before["unfinished"].dump() +
                  before["not_started"].dump(),
              "2121"); // .2 .4; .3; .5 .6; .7

    // Bad uses send nothing.
    const size_t quiet = sim.Events().size();
    EXPECT_EQ(Cli({"upgrade", "--resume", id, kNet + "2"}).exitCode, 2);
    EXPECT_EQ(Cli({"upgrade", "--resume", "20990101T000000Z-0000"}).exitCode, 2);
    EXPECT_EQ(Cli({"upgrade", "--resume", "../fleet"}).exitCode, 2);
    EXPECT_EQ(sim.Events().size(), quiet);

    const std::filesystem::path csv = folder.Path() / "resumed.csv";
    const ProgramRun resumed = Cli({"upgrade", "--resume", "--csv", csv.string()});
    EXPECT_EQ(resumed.exitCode, 1) << resumed.output; // .3 fails again
    const std::vector<json> lines = JsonLines(resumed.output);
    for (const json& line : lines) {
        EXPECT_EQ(line.value("batch", id), id) << line;
    }
    using Names = std::set<std::string>;
    EXPECT_EQ(Named(lines, "address", Is("event", "skipped")), (Names{kNet + "2", kNet + "4"}));
    EXPECT_EQ(Named(lines, "address", Is("event", "result")),
              (Names{kNet + "3", kNet + "5", kNet + "6", kNet + "7"}));
    const auto succeeded = [](const json& line) { return line.value("success", false); };
    EXPECT_EQ(Named(lines, "address", succeeded), (Names{kNet + "5", kNet + "6", kNet + "7"}));
    std::istringstream rows(FileText(csv));
    int rowsOfTheBatch = 0;
    for (std::string row; std::getline(rows, row);) {
        rowsOfTheBatch += row.ends_with("," + id + "\r");
    }
    EXPECT_EQ(rowsOfTheBatch, 4);
    // The cameras done before the kill saw nothing after it.
    EXPECT_EQ(Named(sim.Events(), "camera", ChangesSomething, quiet),
              (Names{kNet + "3", kNet + "5", kNet + "6", kNet + "7"}));

    const json after = JsonLines(Cli({"batches"}).output).at(0);
    EXPECT_EQ(after["state"], "finished");
    EXPECT_EQ(after["done"].dump() + after["failed"].dump() + after["resumes"].dump(), "511");
    for (const json& entry : JsonLines(Cli({"history"}).output)) {
        EXPECT_EQ(entry["batch"], id) << entry;
    }
    // No batch is unfinished now, and one with nothing left sends nothing.
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
