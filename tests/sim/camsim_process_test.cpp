// camsim as a whole program: discovery, start-up errors, signals, and memory
// held during a large upload.
#include "camsim_gtest.h"
#include "http_client.h"
#include "test_images.h"

#include <arpa/inet.h>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <nlohmann/json.hpp>
#include <set>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace camsim_test {

using harness::CamsimProcess;
using harness::WriteTempFile;
namespace {

using nlohmann::json;
using namespace std::chrono_literals;

// A UDP socket that sends probes and gathers the hellos of the given addresses.
class Prober {
public:
    Prober() : fd_(::socket(AF_INET, SOCK_DGRAM, 0)) {
        int one = 1;
        ::setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &one, sizeof one);
        timeval tv{0, 50000};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    }
    ~Prober() { ::close(fd_); }

    void send(const std::string& datagram, const std::string& to, int port) {
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(static_cast<std::uint16_t>(port));
        ::inet_pton(AF_INET, to.c_str(), &addr.sin_addr);
        ::sendto(fd_, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr*>(&addr),
                 sizeof addr);
    }

    // (source address, hello) pairs received within the window.
    std::vector<std::pair<std::string, json>> collect(std::chrono::milliseconds window) {
        std::vector<std::pair<std::string, json>> out;
        auto until = std::chrono::steady_clock::now() + window;
        while (std::chrono::steady_clock::now() < until) {
            char buf[2048];
            sockaddr_in from{};
            socklen_t len = sizeof from;
            ssize_t n =
                ::recvfrom(fd_, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &len);
            if (n > 0) {
                char text[INET_ADDRSTRLEN] = {};
                ::inet_ntop(AF_INET, &from.sin_addr, text, sizeof text);
                out.emplace_back(text, json::parse(std::string(buf, static_cast<std::size_t>(n)),
                                                   nullptr, false));
            }
        }
        return out;
    }

private:
    int fd_;
};

std::string probe(const std::string& nonce) {
    return json({{"op", "probe"}, {"v", 1}, {"nonce", nonce}}).dump();
}

TEST(CamsimProcess, AnswersProbesFromEachCamerasOwnAddress) {
    auto fleet = WriteTempFile("discovery.json", R"([
        {"address":"127.77.20.2","port":8081,"version":"5.0.6.3","model":"M-1","serial":"S-1"},
        {"address":"127.77.20.3","port":8082,"version":"6.2.1.2","restart_ms":5000},
        {"address":"127.77.20.4","port":8083,"version":"5.5.6.1","faults":{"fourth_zero":true}}])");
    CamsimProcess sim(CAMSIM_BINARY, {"--fleet", fleet.string(), "--time-scale", "0.2"});
    ASSERT_TRUE(sim.WaitReady()) << sim.Errors();
    const int discovery = sim.DiscoveryPort();
    ASSERT_NE(discovery, 0) << sim.ReadyText();
    Prober prober;

    // Malformed probes go unanswered.
    prober.send("not json", "127.255.255.255", discovery);
    prober.send(R"({"op":"probe","v":1,"nonce":"short"})", "127.255.255.255", discovery);
    prober.send(R"({"op":"search","v":1,"nonce":"0123456789abcdef"})", "127.255.255.255",
                discovery);
    prober.send(R"({"op":"probe","v":1,"nonce":"0123456789abcdef","pad":")" +
                    std::string(600, ' ') + "\"}",
                "127.255.255.255", discovery);
    for (auto& [from, hello] : prober.collect(300ms)) {
        EXPECT_NE(from.rfind("127.77.20.", 0), 0u) << "answered a malformed probe: " << hello;
    }

    prober.send(probe("00112233445566ff"), "127.255.255.255", discovery);
    std::map<std::string, json> hellos;
    for (auto& [from, hello] : prober.collect(1s)) {
        if (from.rfind("127.77.20.", 0) == 0) {
            EXPECT_TRUE(hellos.emplace(from, hello).second) << "two hellos from " << from;
        }
    }
    ASSERT_EQ(hellos.size(), 3u);
    EXPECT_EQ(hellos["127.77.20.2"], json({{"op", "hello"},
                                           {"v", 1},
                                           {"nonce", "00112233445566ff"},
                                           {"port", 8081},
                                           {"model", "M-1"},
                                           {"serial", "S-1"},
                                           {"version", "5.0.6.3"}}));
    EXPECT_EQ(hellos["127.77.20.3"]["port"], 8082);
    EXPECT_EQ(hellos["127.77.20.4"]["version"], "5.5.6.0");

    // A probe sent straight to one camera is answered by that camera alone.
    prober.send(probe("aaaaaaaaaaaaaaaa"), "127.77.20.3", discovery);
    auto direct = prober.collect(1s);
    ASSERT_EQ(direct.size(), 1u) << "only the addressed camera answers";
    EXPECT_EQ(direct[0].first, "127.77.20.3");
    EXPECT_EQ(direct[0].second["nonce"], "aaaaaaaaaaaaaaaa");

    // A restarting camera is silent.
    ASSERT_EQ(postJson("127.77.20.3", 8082, "/api/v1/reboot", "").status, 202);
    prober.send(probe("bbbbbbbbbbbbbbbb"), "127.255.255.255", discovery);
    std::set<std::string> during;
    for (auto& [from, hello] : prober.collect(300ms)) {
        if (from.rfind("127.77.20.", 0) == 0) {
            during.insert(from);
        }
    }
    EXPECT_EQ(during, (std::set<std::string>{"127.77.20.2", "127.77.20.4"}));
    std::remove(fleet.c_str());
}

TEST(CamsimProcess, StartUpProblemsAreReportedWithAnExitCode) {
    auto bad =
        WriteTempFile("bad.json", R"([{"address":"127.77.21.2","faults":{"flash_fial":true}}])");
    CamsimProcess badFleet(CAMSIM_BINARY, {"--fleet", bad.string()});
    EXPECT_EQ(badFleet.WaitExit(10s), 2);
    EXPECT_NE(badFleet.Errors().find("camera 1: faults: unknown field \"flash_fial\""),
              std::string::npos)
        << badFleet.Errors();

    // Cameras stay on this computer unless asked otherwise.
    auto lab = WriteTempFile("lab.json",
                             R"([{"address":"127.77.21.2"},{"address":"192.0.2.7","port":8080}])");
    CamsimProcess labFleet(CAMSIM_BINARY, {"--fleet", lab.string()});
    EXPECT_EQ(labFleet.WaitExit(10s), 2);
    EXPECT_NE(labFleet.Errors().find("192.0.2.7: not a loopback address"), std::string::npos)
        << labFleet.Errors();
    CamsimProcess labBase(CAMSIM_BINARY, {"--count", "1", "--base", "10.0.0.1"});
    EXPECT_EQ(labBase.WaitExit(10s), 2);
    std::remove(lab.c_str());

    CamsimProcess none(CAMSIM_BINARY, {});
    EXPECT_EQ(none.WaitExit(10s), 2);
    EXPECT_NE(none.Errors().find("no cameras"), std::string::npos);

    CamsimProcess first(CAMSIM_BINARY, {"--count", "2", "--base", "127.77.21.2", "--port", "8080"});
    ASSERT_TRUE(first.WaitReady()) << first.Errors();
    CamsimProcess clash(CAMSIM_BINARY, {"--count", "1", "--base", "127.77.21.3", "--port", "8080"});
    EXPECT_EQ(clash.WaitExit(10s), 1);
    EXPECT_NE(clash.Errors().find("127.77.21.3:8080"), std::string::npos) << clash.Errors();
    // The first one is unharmed.
    EXPECT_EQ(get("127.77.21.3", 8080, "/api/v1/device").status, 200);
    std::remove(bad.c_str());
}

TEST(CamsimProcess, StopsCleanlyOnSigintAndSigtermEvenWithOpenConnections) {
    for (int sig : {SIGINT, SIGTERM}) {
        CamsimProcess sim(CAMSIM_BINARY, {"--count", "3", "--base", "127.77.22.2", "--port", "8080",
                                          "--stop-answering"});
        ASSERT_TRUE(sim.WaitReady()) << sim.Errors();
        // A request hanging on a silent camera while the signal comes.
        std::thread hanging([] {
            HttpCall call;
            call.url = urlOf("127.77.22.2", 8080, "/api/v1/device");
            call.timeout = 5s;
            perform(call);
        });
        std::this_thread::sleep_for(200ms);
        auto start = std::chrono::steady_clock::now();
        ::kill(sim.Pid(), sig);
        EXPECT_EQ(sim.WaitExit(5s), 0) << "signal " << sig;
        EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
        hanging.join();
        EXPECT_NE(sim.Output().find("ready 3 cameras"), std::string::npos);
        EXPECT_NE(sim.Output().find("camsim: stopped"), std::string::npos);
    }
}

long residentKib(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

TEST(CamsimProcess, ALargeUploadIsCheckedWithoutBeingHeldInMemory) {
    CamsimProcess sim(CAMSIM_BINARY, {"--count", "1", "--base", "127.77.23.2", "--port", "8080",
                                      "--version", "5.1.7.1"});
    ASSERT_TRUE(sim.WaitReady()) << sim.Errors();
    // Prime the connection path once, then measure.
    ASSERT_EQ(get("127.77.23.2", 8080, "/api/v1/device").status, 200);
    const long before = residentKib(sim.Pid());

    // A 96 MiB image streamed from a generator: payload hash first, then the
    // whole-body hash, then the upload itself.
    const std::uint64_t payloadSize = 96ull << 20;
    auto fill = [](std::uint64_t offset, char* out, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) {
            out[i] = static_cast<char>(((offset + i) * 2654435761u) >> 13);
        }
    };
    std::vector<char> chunk(1 << 20);
    camsim::Hasher payloadHash;
    for (std::uint64_t off = 0; off < payloadSize; off += chunk.size()) {
        fill(off, chunk.data(), chunk.size());
        payloadHash.update(chunk.data(), chunk.size());
    }
    camsim::ImageHeader header;
    header.platform = "DM3730";
    header.version = {5, 1, 7, 9};
    header.payloadLength = payloadSize;
    auto digest = payloadHash.finish();
    std::memcpy(header.payloadSha256.data(), digest.data(), 32);
    auto head = camsim::encodeImageHeader(header);
    camsim::Hasher wholeHash;
    wholeHash.update(head.data(), head.size());
    for (std::uint64_t off = 0; off < payloadSize; off += chunk.size()) {
        fill(off, chunk.data(), chunk.size());
        wholeHash.update(chunk.data(), chunk.size());
    }

    std::uint64_t sent = 0;
    HttpCall call;
    call.method = "POST";
    call.url = urlOf("127.77.23.2", 8080, "/api/v1/firmware");
    call.headers = {"Content-Type: application/octet-stream",
                    "X-Firmware-Sha256: " + camsim::toHex(wholeHash.finish())};
    call.timeout = 50s;
    call.sourceSize = head.size() + payloadSize;
    call.source = [&](char* out, std::size_t room) {
        std::size_t n = 0;
        while (n < room && sent < head.size()) {
            out[n++] = static_cast<char>(head[sent++]);
        }
        std::uint64_t left = call.sourceSize - sent;
        std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(left, room - n));
        fill(sent - head.size(), out + n, take);
        sent += take;
        return n + take;
    };
    HttpResult r = perform(call);
    EXPECT_EQ(r.status, 202) << r.curlCode << " " << r.body;
    [[maybe_unused]] const long after = residentKib(sim.Pid());
    ASSERT_GT(before, 0);
#if !defined(CAMSIM_TEST_SANITIZED)
    EXPECT_LT(after - before, 16 * 1024) << "resident before " << before << " KiB, after " << after;
#endif
}

} // namespace
} // namespace camsim_test

namespace camsim_test {
namespace {

int runQuiet(const std::string& command) {
    int status = std::system((command + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(CamsimProcess, DiscoveryPortAndTimeScaleComeFromTheEnvironmentUnlessGiven) {
    ::setenv("TOLVANE_DISCOVERY_PORT", "39427", 1);
    ::setenv("TOLVANE_TIME_SCALE", "0.01", 1);
    CamsimProcess sim(
        CAMSIM_BINARY,
        {"--count", "1", "--base", "127.77.27.2", "--port", "8080", "--restart-ms", "20000"},
        harness::Discovery::AsGiven);
    ::unsetenv("TOLVANE_DISCOVERY_PORT");
    ::unsetenv("TOLVANE_TIME_SCALE");
    ASSERT_TRUE(sim.WaitReady()) << sim.Errors();
    EXPECT_NE(sim.Output().find("discovery port 39427"), std::string::npos) << sim.Output();
    // 20 s of camera time at 0.01 is 200 ms.
    ASSERT_EQ(postJson("127.77.27.2", 8080, "/api/v1/reboot", "").status, 202);
    EXPECT_FALSE(sim.WaitEvent("127.77.27.2", "restart", "up", 3s).is_null());
}

TEST(Mkfwimage, WritesCheckedImagesAndRefusesBadArguments) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("mkfw-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string tool = MKFWIMAGE_BINARY;
    const std::string out = (dir / "fw.bin").string();
    ASSERT_EQ(
        runQuiet(tool + " image --platform HS3516 --version 6.2.1.7 --payload-size 1000 -o " + out),
        0);
    std::ifstream in(out, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 1128u);
    camsim::UploadCheck check;
    check.feed(bytes.data(), bytes.size());
    camsim::UploadVerdict v = check.finish(bytes.size(), sha256Of(bytes), "HS3516", {6, 2, 1, 1});
    EXPECT_EQ(v.error, 0) << v.message;
    EXPECT_EQ(v.target, (camsim::Version{6, 2, 1, 7}));

    EXPECT_EQ(runQuiet(tool + " image --platform X --version 6.2.1.7 -o " + out), 2);
    EXPECT_EQ(runQuiet(tool + " image --platform HS3516 --version 6.2.1 -o " + out), 2);
    EXPECT_NE(runQuiet(tool + " image --platform HS3516 --version 6.2.1.7 -o " +
                       (dir / "no/x.bin").string()),
              0);
    EXPECT_NE(runQuiet(tool), 0);
    ASSERT_EQ(runQuiet(tool + " sample-tree " + (dir / "tree").string()), 0);
    EXPECT_TRUE(std::filesystem::exists(dir / "tree/UpdateFiles/HS3516/621/HS3516_V6.2.1.9.bin"));
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace camsim_test
