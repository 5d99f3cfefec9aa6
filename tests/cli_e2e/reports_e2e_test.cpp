// What tolvane-cli leaves behind when a run ends early or its files cannot be
// written: the CSV, the history and the camera logs, against camsim. The
// CliReports cases are Linux only (a shell, signals, /dev/full): that suite
// is outside the Wine filter.
#include "camsim_gtest.h"

#include <arpa/inet.h>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sstream>
#include <sys/socket.h>
#include <unistd.h>

using harness::CamsimProcess;
using harness::ProgramRun;
using harness::RunProgram;
using nlohmann::json;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

constexpr double kScale = 0.01;

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

// The JSON events of a run's output, by kind; other lines are messages.
std::map<std::string, std::vector<json>> Events(const std::string& output) {
    std::map<std::string, std::vector<json>> events;
    for (const std::string& line : Lines(output)) {
        const json event = json::parse(line, nullptr, false);
        if (event.is_object() && event.contains("event")) {
            events[event["event"]].push_back(event);
        }
    }
    return events;
}

// A second TCP port free on the address, for a camera beside the usual one.
unsigned short FreePort(const char* address) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    ::inet_pton(AF_INET, address, &addr.sin_addr);
    ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t length = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length);
    ::close(fd);
    return ntohs(addr.sin_port);
}

class CliReports : public ::testing::Test {
protected:
    void SetUp() override { harness::WriteSampleTree(MKFWIMAGE_BINARY, data); }

    // The run's standard output and error together.
    ProgramRun Cli(const std::vector<std::string>& args, std::chrono::milliseconds bound = 60s) {
        std::vector<std::string> argv = {
            "/bin/sh",          "-c",         "exec \"$0\" \"$@\" 2>&1", TOLVANE_CLI_PATH,
            "--program-folder", data.string()};
        argv.insert(argv.end(), args.begin(), args.end());
        return RunProgram(argv, bound, {{"TOLVANE_TIME_SCALE", std::to_string(kScale)}});
    }

    // Runs tolvane-cli and sends it SIGTERM once `results` results are out;
    // the output ends with "rc=<exit status>".
    ProgramRun CliTerminatedAfter(int results, const std::vector<std::string>& args) {
        const std::string script =
            "f=\"$1\"; shift; mkfifo \"$f\"; \"$@\" >\"$f\" 2>&1 & pid=$!; n=0; "
            "while IFS= read -r line; do printf '%s\\n' \"$line\"; case \"$line\" in "
            "*'\"event\":\"result\"'*) n=$((n+1)); [ $n -eq " +
            std::to_string(results) +
            " ] && { kill -TERM $pid; sleep 0.2; kill -TERM $pid; };; esac; done <\"$f\"; "
            "wait $pid; echo rc=$?";
        std::vector<std::string> argv = {"/bin/sh",
                                         "-c",
                                         script,
                                         "sh",
                                         (folder.Path() / "fifo").string(),
                                         TOLVANE_CLI_PATH,
                                         "--program-folder",
                                         data.string()};
        argv.insert(argv.end(), args.begin(), args.end());
        // The second signal ends the process at once, its threads still
        // running by design: a thread sanitizer must not call that a leak.
        const char* tsan = std::getenv("TSAN_OPTIONS");
        return RunProgram(
            argv, 60s,
            {{"TOLVANE_TIME_SCALE", std::to_string(kScale)},
             {"TSAN_OPTIONS", std::string(tsan ? tsan : "") + " report_thread_leaks=0"}});
    }

    harness::TempFolder folder{"cli-reports"};
    fs::path data = folder.Path() / "data";
    fs::path history = data / "upgrade_history.jsonl";
};

} // namespace

TEST_F(CliReports, CsvOfARunCutShortHoldsEveryFinishedCameraByItsPort) {
    const std::string port = std::to_string(harness::ProcessCameraPort());
    const std::string other = std::to_string(FreePort("127.120.0.2"));
    const std::string a = "127.120.0.2:" + port;
    const std::string b = "127.120.0.2:" + other;
    const std::string slow = "127.120.0.3:" + port;  // flashes for a day
    const std::string slow2 = "127.120.0.4:" + port; // likewise
    json fleet = json::array({
        {{"address", "127.120.0.2"}, {"port", std::stoi(port)}, {"version", "5.1.7.1"}},
        {{"address", "127.120.0.2"},
         {"port", std::stoi(other)},
         {"version", "5.1.7.1"},
         {"serial", "B"}},
        {{"address", "127.120.0.3"},
         {"port", std::stoi(port)},
         {"version", "5.1.7.1"},
         {"flash_ms", 86400000}},
        {{"address", "127.120.0.4"},
         {"port", std::stoi(port)},
         {"version", "5.1.7.1"},
         {"flash_ms", 86400000}},
    });
    CamsimProcess sim(CAMSIM_BINARY,
                      harness::FleetArgs(folder.Path() / "fleet.json", fleet, kScale));
    ASSERT_TRUE(sim.WaitReady()) << sim.Errors();

    // The upgrade's own records and images are never a CSV's target.
    const fs::path image = data / "UpdateFiles/DM3730/517/DM3730_V5.1.7.9.bin";
    const std::string imageBytes = ReadBytes(image);
    for (const fs::path& target :
         {history, data / "127.120.0.2_update.log", image, data / "UpdateFiles/../UpdateFiles"}) {
        const ProgramRun refused = Cli({"upgrade", a, "--csv", target.string()});
        EXPECT_EQ(refused.exitCode, 2) << target << refused.output;
    }
    EXPECT_FALSE(fs::exists(history));
    EXPECT_FALSE(fs::exists(data / "127.120.0.2_update.log"));
    EXPECT_EQ(ReadBytes(image), imageBytes);
    EXPECT_EQ(sim.EventLogText().find("/api/v1/firmware"), std::string::npos);

    // Cut short by a second SIGTERM (the first only stops the batch) while
    // one camera still flashes: the CSV holds the
    // two finished ones, each with its own port, and nothing of the file it
    // replaced. A camera named twice went out once, with a notice.
    const fs::path csv = folder.Path() / "结果.csv";
    std::ofstream(csv) << "old,row\r\n";
    const ProgramRun cut =
        CliTerminatedAfter(2, {"--json", "upgrade", slow, a, b, a, "--csv", csv.string()});
    ASSERT_FALSE(cut.timedOut) << cut.output;
    EXPECT_NE(cut.output.find("rc=143"), std::string::npos) << cut.output;
    EXPECT_NE(cut.output.find("tolvane-cli: " + a), std::string::npos) << "no notice of the repeat";
    std::set<std::string> resultCameras;
    auto cutEvents = Events(cut.output);
    for (const json& r : cutEvents["result"]) {
        resultCameras.insert(r["address"].get<std::string>() + ":" +
                             std::to_string(r["port"].get<int>()));
    }
    EXPECT_EQ(resultCameras, (std::set<std::string>{a, b}));
    const std::vector<std::string> rows = Lines(ReadBytes(csv));
    ASSERT_EQ(rows.size(), 3u) << ReadBytes(csv);
    EXPECT_EQ(rows[0].rfind("\xEF\xBB\xBF"
                            "address,port,version_before,version_after,result,start,end",
                            0),
              0u)
        << rows[0];
    std::set<std::string> rowCameras;
    for (size_t i = 1; i < rows.size(); ++i) {
        rowCameras.insert(rows[i].substr(0, rows[i].find(',', rows[i].find(',') + 1)));
    }
    EXPECT_EQ(rowCameras, (std::set<std::string>{"127.120.0.2," + port, "127.120.0.2," + other}));

    // Ended by the time bound: a row for every camera, finished or not, as
    // the output said.
    const ProgramRun bounded =
        Cli({"--json", "upgrade", slow2, a, "--timeout", "3", "--csv", csv.string()});
    EXPECT_EQ(bounded.exitCode, 3) << bounded.output;
    auto events = Events(bounded.output);
    ASSERT_FALSE(events["no_result"].empty());
    EXPECT_EQ(events["no_result"][0]["port"], std::stoi(port));
    std::multiset<std::string> said;
    for (const char* kind : {"result", "no_result"}) {
        for (const json& e : events[kind]) {
            said.insert(e["address"].get<std::string>() + "," +
                        std::to_string(e["port"].get<int>()) + "," + e["text"].get<std::string>());
        }
    }
    std::multiset<std::string> written;
    const std::vector<std::string> boundRows = Lines(ReadBytes(csv));
    for (size_t i = 1; i < boundRows.size(); ++i) {
        std::vector<std::string> fields;
        std::istringstream cells(boundRows[i]);
        for (std::string cell; std::getline(cells, cell, ',');) {
            fields.push_back(cell);
        }
        ASSERT_GE(fields.size(), 5u) << boundRows[i];
        written.insert(fields[0] + "," + fields[1] + "," + fields[4]);
    }
    EXPECT_EQ(written, said);
    EXPECT_EQ(written.size(), 2u);
}

TEST_F(CliReports, LostHistoryAndLogLinesAreSaidAndNoLineGluesOrBreaks) {
    const std::string port = std::to_string(harness::ProcessCameraPort());
    const std::string a = "127.120.1.2:" + port;
    const std::string prepared = "127.120.1.3:" + port; // its log clean-up fails
    json fleet = json::array({
        {{"address", "127.120.1.2"}, {"port", std::stoi(port)}, {"version", "5.1.7.1"}},
        {{"address", "127.120.1.3"},
         {"port", std::stoi(port)},
         {"version", "5.1.6.1"},
         {"faults", {{"shell_fail", {{"rm /mnt/log/boa_log/*", 1}}}}}},
    });
    CamsimProcess sim(CAMSIM_BINARY,
                      harness::FleetArgs(folder.Path() / "fleet.json", fleet, kScale));
    ASSERT_TRUE(sim.WaitReady()) << sim.Errors();

    // A history that is a folder, then one on a full disk, then a camera log
    // on a full disk: each upgrade succeeds, says what was lost and exits 4.
    fs::create_directory(history);
    ProgramRun run = Cli({"upgrade", a});
    EXPECT_EQ(run.exitCode, 5) << run.output;
    EXPECT_NE(run.output.find(history.string()), std::string::npos) << run.output;
    fs::remove(history);
    fs::create_symlink("/dev/full", history);
    run = Cli({"upgrade", a});
    EXPECT_EQ(run.exitCode, 5) << run.output;
    fs::remove(history);
    const fs::path log = data / "127.120.1.3_update.log";
    fs::create_symlink("/dev/full", log);
    // A writer cut off mid-line left the history without its last line break.
    std::ofstream(history, std::ios::binary) << "{\"time\": \"2024-";
    // An image whose name holds a line break, bytes that are not UTF-8 and a backslash.
    const fs::path folder517 = data / "UpdateFiles/DM3730/517";
    const std::string oddName = "DM3730\nV5\xff\xfe\\x.bin";
    fs::rename(folder517 / "DM3730_V5.1.7.9.bin", folder517 / oddName);
    run = Cli({"upgrade", prepared, a});
    EXPECT_EQ(run.exitCode, 5) << run.output;
    EXPECT_NE(run.output.find(log.string()), std::string::npos) << run.output;
    for (const std::string& line : Lines(run.output)) {
        // Every line of the text output begins with its camera, a summary or a message.
        EXPECT_TRUE(line.rfind("127.120.1.", 0) == 0 || line.find("tolvane-cli:") == 0 ||
                    line.find("台") != std::string::npos)
            << line;
    }
    fs::remove(log);

    // Both entries read back whole after the broken tail, the name intact
    // but for the bytes that were not UTF-8.
    const ProgramRun read = Cli({"--json", "history"});
    EXPECT_EQ(read.exitCode, 0);
    EXPECT_NE(read.output.find("tolvane-cli:"), std::string::npos) << "skipped line not said";
    std::map<std::string, json> entries;
    for (const std::string& line : Lines(read.output)) {
        const json entry = json::parse(line, nullptr, false);
        if (entry.is_object()) {
            entries[entry["address"].get<std::string>()] = entry;
        }
    }
    ASSERT_EQ(entries.size(), 2u) << read.output;
    EXPECT_EQ(entries["127.120.1.2"]["images"],
              json::array({"DM3730\nV5\xEF\xBF\xBD\xEF\xBF\xBD\\x.bin"}));
    EXPECT_EQ(entries["127.120.1.2"]["port"], std::stoi(port));
    const ProgramRun table = Cli({"history", "--address", "127.120.1.2"});
    EXPECT_EQ(Lines(table.output).size(), 2u) << table.output; // the entry and the skip notice
}

// No camera needed: a history of hostile lines, read by the real program,
// also under Wine (the suite is in its filter).
TEST(CliHistory, RefusesDeepLinesAndFiltersByInstant) {
    harness::TempFolder folder{"cli-history"};
    std::ofstream(folder.Path() / "upgrade_history.jsonl", std::ios::binary)
        << "{\"a\": " << std::string(100000, '[') << std::string(100000, ']') << "}\n"
        << "{\"time\": \"2025-01-01T08:30:00+0800\", \"address\": \"10.0.0.1\", \"port\": 80}\n"
        << "{\"time\": \"2025-01-01T01:00:00+0000\", \"address\": \"10.0.0.2\", \"port\": 81}\n"
        << "{\"time\": \"2024-12-31T19:50:00-0500\", \"address\": \"10.0.0.3\", \"port\": 82}\n";
    auto cli = [&](std::vector<std::string> args) {
        std::vector<std::string> argv =
            harness::ProgramCommand("TOLVANE_TEST_CLI", TOLVANE_CLI_PATH);
        argv.insert(argv.end(), {"--program-folder", folder.Path().string()});
        argv.insert(argv.end(), args.begin(), args.end());
        return RunProgram(argv, 60s);
    };
    ProgramRun run = cli({"--json", "history"});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(Lines(run.output).size(), 3u) << run.output;
    // 08:45 at +0800 is 00:45 UTC: after the first entry, before the others.
    run = cli({"history", "--since", "2025-01-01T08:45+0800"});
    EXPECT_EQ(run.exitCode, 0);
    const std::vector<std::string> lines = Lines(run.output);
    ASSERT_EQ(lines.size(), 2u) << run.output;
    EXPECT_NE(lines[0].find("10.0.0.2:81"), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("10.0.0.3:82"), std::string::npos) << lines[1];
    EXPECT_EQ(cli({"history", "--since", "2025-01-01T08:45+08"}).exitCode, 2);
}
