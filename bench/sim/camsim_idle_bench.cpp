// Memory and idle CPU of camsim hosting many cameras. Starts camsim, waits
// until it is ready, touches every camera once (a discovery probe and one
// authenticated device read each), then watches it idle and prints figures.
//
//   camsim_idle_bench [--cameras N] [--idle-seconds S] [--base ADDR]
#include "camsim_harness.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <curl/curl.h>
#include <fstream>
#include <iostream>
#include <netinet/in.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct ProcSample {
    double cpuSeconds = 0;
    long rssKib = 0;
    long hwmKib = 0;
};

ProcSample sample(pid_t pid) {
    ProcSample s;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // Fields after the command name (which may hold blanks) start after ')'.
    std::istringstream rest(text.substr(text.rfind(')') + 2));
    std::string field;
    unsigned long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14) {
            utime = std::stoul(field);
        } else if (i == 15) {
            stime = std::stoul(field);
        }
    }
    s.cpuSeconds = static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            s.rssKib = std::stol(line.substr(6));
        } else if (line.rfind("VmHWM:", 0) == 0) {
            s.hwmKib = std::stol(line.substr(6));
        }
    }
    return s;
}

std::size_t discard(char*, std::size_t size, std::size_t n, void*) {
    return size * n;
}

std::string addressAfter(const std::string& base, unsigned i) {
    in_addr a{};
    inet_pton(AF_INET, base.c_str(), &a);
    a.s_addr = htonl(ntohl(a.s_addr) + i);
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &a, text, sizeof text);
    return text;
}

} // namespace

int main(int argc, char** argv) {
    unsigned cameras = 250;
    int idleSeconds = 10;
    std::string base = "127.88.0.2";
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string a = argv[i];
        if (a == "--cameras") {
            cameras = static_cast<unsigned>(std::stoul(argv[i + 1]));
        } else if (a == "--idle-seconds") {
            idleSeconds = std::stoi(argv[i + 1]);
        } else if (a == "--base") {
            base = argv[i + 1];
        }
    }
    auto started = Clock::now();
    harness::CamsimProcess sim(
        CAMSIM_BINARY, {"--count", std::to_string(cameras), "--base", base, "--port", "8080"});
    if (!sim.WaitReady()) {
        std::cerr << "camsim did not become ready: " << sim.Errors() << "\n";
        return 1;
    }
    const double startMs =
        std::chrono::duration<double, std::milli>(Clock::now() - started).count();
    const pid_t pid = sim.Pid();
    const unsigned short discoveryPort = sim.DiscoveryPort();
    ProcSample atStart = sample(pid);

    // One broadcast probe: count the hellos.
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &one, sizeof one);
    // All hellos arrive at once: leave room for them (capped by net.core.rmem_max).
    int room = 8 << 20;
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &room, sizeof room);
    timeval tv{0, 200000};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(discoveryPort);
    inet_pton(AF_INET, "127.255.255.255", &to.sin_addr);
    const char probe[] = R"({"op":"probe","v":1,"nonce":"0123456789abcdef"})";
    auto probeStart = Clock::now();
    sendto(fd, probe, sizeof probe - 1, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    unsigned hellos = 0;
    double lastHelloMs = 0;
    char buf[2048];
    while (recv(fd, buf, sizeof buf, 0) > 0) {
        ++hellos;
        lastHelloMs = std::chrono::duration<double, std::milli>(Clock::now() - probeStart).count();
    }
    close(fd);

    // One authenticated device read per camera.
    curl_global_init(CURL_GLOBAL_DEFAULT);
    unsigned ok = 0;
    auto readsStart = Clock::now();
    for (unsigned i = 0; i < cameras; ++i) {
        CURL* c = curl_easy_init();
        std::string url = "http://" + addressAfter(base, i) + ":8080/api/v1/device";
        curl_easy_setopt(c, CURLOPT_URL, url.c_str());
        curl_easy_setopt(c, CURLOPT_HTTPAUTH, CURLAUTH_DIGEST);
        curl_easy_setopt(c, CURLOPT_USERPWD, "admin:ploma");
        curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, 5000L);
        curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, discard);
        long code = 0;
        if (curl_easy_perform(c) == CURLE_OK) {
            curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &code);
        }
        ok += code == 200 ? 1 : 0;
        curl_easy_cleanup(c);
    }
    const double readsMs =
        std::chrono::duration<double, std::milli>(Clock::now() - readsStart).count();
    curl_global_cleanup();

    std::this_thread::sleep_for(std::chrono::seconds(1));
    ProcSample before = sample(pid);
    auto idleStart = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
    ProcSample after = sample(pid);
    const double wall = std::chrono::duration<double>(Clock::now() - idleStart).count();
    const double idlePct = 100.0 * (after.cpuSeconds - before.cpuSeconds) / wall;

    const int exitStatus = sim.Stop();

    std::printf("camsim with %u cameras\n", cameras);
    std::printf("  ready after start:           %.0f ms\n", startMs);
    std::printf("  resident at start:           %.1f MiB\n", atStart.rssKib / 1024.0);
    std::printf("  hellos for one probe:        %u (last after %.1f ms)\n", hellos, lastHelloMs);
    std::printf("  device reads (digest) ok:    %u of %u in %.0f ms\n", ok, cameras, readsMs);
    std::printf("  resident when idle:          %.1f MiB (peak %.1f MiB)\n", after.rssKib / 1024.0,
                after.hwmKib / 1024.0);
    std::printf("  idle CPU over %.1f s:         %.2f %% of a core\n", wall, idlePct);
    std::printf("  exit status after SIGTERM:   %d\n", exitStatus);
    std::printf("  targets: < 150 MiB resident, < 2 %% of a core idle\n");
    return 0;
}
