// Upload of a 256 MiB image to one simulated camera on loopback, next to a
// plain TCP copy of the same file in the same run. The SDK's time runs from
// LprUpdateStart until the camera has taken and checked the whole body
// (state leaves "sending"); the first run includes the SDK's hashing pass,
// later ones reuse its result. A third figure sends the same upload to a
// sink that answers like a camera but neither hashes nor checks, which
// separates the SDK's own cost from the simulator's; the sink also times
// each upload body itself, from its request head to its last byte. With a
// Windows build at hand, lprctl.exe sends the same upload to the same sink
// under Wine, timed the same way by the sink: the Windows transport's figure.
#include "camsim_harness.h"
#include "sdk/lpr_sdk.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <netinet/in.h>
#include <set>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRuns = 5;

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// This benchmark's loopback addresses.
constexpr const char* kCameraAddress = "127.110.1.2";
constexpr const char* kSinkAddress = "127.110.1.3";
constexpr const char* kRawAddress = "127.110.1.4";

// A listening socket on a free port of `address`; `addr` is where it listens.
int LoopbackListener(const char* address, int backlog, sockaddr_in& addr) {
    int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    addr = sockaddr_in{};
    addr.sin_family = AF_INET;
    inet_pton(AF_INET, address, &addr.sin_addr);
    bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    listen(listener, backlog);
    socklen_t length = sizeof addr;
    getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &length);
    return listener;
}

// Sends the file over one loopback connection to a reader that discards it.
double RawTcpCopySeconds(const std::string& path, uint64_t size) {
    sockaddr_in addr{};
    int listener = LoopbackListener(kRawAddress, 1, addr);

    Clock::time_point start = Clock::now();
    double seconds = 0;
    std::thread reader([&] {
        int fd = accept(listener, nullptr, nullptr);
        std::vector<char> buffer(1 << 20);
        uint64_t got = 0;
        while (got < size) {
            ssize_t n = recv(fd, buffer.data(), buffer.size(), 0);
            if (n <= 0) {
                break;
            }
            got += static_cast<uint64_t>(n);
        }
        seconds = Seconds(start);
        close(fd);
    });
    int out = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    connect(out, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    int file = open(path.c_str(), O_RDONLY);
    std::vector<char> buffer(1 << 20);
    for (;;) {
        ssize_t n = read(file, buffer.data(), buffer.size());
        if (n <= 0) {
            break;
        }
        for (ssize_t sent = 0; sent < n;) {
            ssize_t m = send(out, buffer.data() + sent, static_cast<size_t>(n - sent), 0);
            if (m <= 0) {
                break;
            }
            sent += m;
        }
    }
    close(file);
    close(out);
    reader.join();
    close(listener);
    return seconds;
}

// Answers the challenge request with a Digest challenge, takes the upload
// body without looking at it, answers 202, then reports "done". Every
// connection is served on a thread of its own, as a camera serves them: the
// log-in's kept-alive connection stays open while the upload comes on a
// fresh one.
class DiscardingCamera {
public:
    DiscardingCamera() {
        sockaddr_in addr{};
        listener_ = LoopbackListener(kSinkAddress, 8, addr);
        port_ = ntohs(addr.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~DiscardingCamera() {
        stop_ = true;
        shutdown(listener_, SHUT_RDWR);
        thread_.join();
        std::vector<std::thread> connections;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            for (int fd : open_) {
                shutdown(fd, SHUT_RDWR);
            }
            connections.swap(connections_);
        }
        for (std::thread& connection : connections) {
            connection.join();
        }
        close(listener_);
    }
    uint16_t Port() const { return port_; }
    // Uploads whose whole body arrived so far, and the seconds of the last
    // one from its request head to its last byte.
    int Uploads() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return uploads_;
    }
    double LastUploadSeconds() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return lastSeconds_;
    }

private:
    void Serve() {
        while (!stop_) {
            int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) {
                return;
            }
            std::lock_guard<std::mutex> lock(mutex_);
            open_.insert(fd);
            connections_.emplace_back([this, fd] {
                ServeConnection(fd);
                std::lock_guard<std::mutex> closing(mutex_);
                open_.erase(fd);
                close(fd);
            });
        }
    }
    void ServeConnection(int fd) {
        std::string pending;
        std::vector<char> buffer(1 << 20);
        for (;;) {
            std::size_t end;
            while ((end = pending.find("\r\n\r\n")) == std::string::npos) {
                ssize_t n = recv(fd, buffer.data(), buffer.size(), 0);
                if (n <= 0) {
                    return;
                }
                pending.append(buffer.data(), static_cast<std::size_t>(n));
            }
            std::string head = pending.substr(0, end);
            pending.erase(0, end + 4);
            uint64_t length = 0;
            if (auto at = head.find("Content-Length: "); at != std::string::npos) {
                length = std::stoull(head.substr(at + 16));
            }
            const bool upload = head.rfind("POST /api/v1/firmware", 0) == 0 &&
                                head.find("Authorization:") != std::string::npos && length > 0;
            const Clock::time_point bodyStart = Clock::now();
            uint64_t taken = std::min<uint64_t>(length, pending.size());
            pending.erase(0, taken);
            while (taken < length) {
                ssize_t n =
                    recv(fd, buffer.data(), std::min<uint64_t>(buffer.size(), length - taken), 0);
                if (n <= 0) {
                    return;
                }
                taken += static_cast<uint64_t>(n);
            }
            if (upload) {
                std::lock_guard<std::mutex> lock(mutex_);
                ++uploads_;
                lastSeconds_ = Seconds(bodyStart);
            }
            std::string body;
            std::string status = "200 OK";
            std::string extra;
            if (head.find("Authorization:") == std::string::npos) {
                status = "401 Unauthorized";
                extra = "WWW-Authenticate: Digest realm=\"camera\", qop=\"auth\", "
                        "algorithm=SHA-256, nonce=\"bench\"\r\n";
            } else if (head.rfind("POST /api/v1/firmware", 0) == 0) {
                status = "202 Accepted";
                body = R"({"state":"flashing"})";
            } else if (head.rfind("GET /api/v1/firmware", 0) == 0) {
                body = R"({"state":"done","error":0,"progress":100})";
            } else {
                body = R"({"model":"m","serial":"s","platform":"DM3730","version":[5,1,7,2]})";
            }
            std::string answer = "HTTP/1.1 " + status + "\r\n" + extra +
                                 "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
                                 body;
            if (send(fd, answer.data(), answer.size(), MSG_NOSIGNAL) <= 0) {
                return;
            }
        }
    }

    int listener_ = -1;
    uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    mutable std::mutex mutex_;
    std::set<int> open_; // connections being served, ended at the close
    std::vector<std::thread> connections_;
    int uploads_ = 0;
    double lastSeconds_ = 0;
};

double SdkUploadSeconds(LprHandle handle, const std::string& path, int32_t& finalState) {
    const LprSdk& sdk = LprNetworkSdk();
    Clock::time_point start = Clock::now();
    if (sdk.LprUpdateStart(handle, path.c_str()) != 0) {
        finalState = -2;
        return 0;
    }
    int32_t state = sdk.LprUpdateGetState(handle);
    while (state == LPR_UPDATE_STATE_SENDING) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        state = sdk.LprUpdateGetState(handle);
    }
    double seconds = Seconds(start);
    while (state == LPR_UPDATE_STATE_FLASHING) { // let flashing end before the next run
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        state = sdk.LprUpdateGetState(handle);
    }
    finalState = state;
    return seconds;
}

// The median of `values` from index `from` on.
double Median(std::vector<double> values, std::size_t from) {
    std::sort(values.begin() + static_cast<long>(from), values.end());
    return values[from + (values.size() - from) / 2];
}

// lprctl.exe under Wine sends the image to the sink; the sink times the
// body. Wine's start and the log-in are outside that time, as is the
// hashing, which each lprctl process does afresh.
void WindowsTransportRuns(const DiscardingCamera& sink, const std::string& image, double mib,
                          double rawMedian) {
    const std::string lprctl = TOLVANE_WINDOWS_LPRCTL;
    if (lprctl.empty() || access(lprctl.c_str(), R_OK) != 0) {
        std::printf("Windows transport: skipped (no Windows build: configure with "
                    "-DTOLVANE_WINDOWS_BUILD_DIR)\n");
        return;
    }
    std::vector<double> bodies;
    for (int run = 0; run < kRuns; ++run) {
        const int before = sink.Uploads();
        const harness::ProgramRun sent = harness::RunProgram(
            {TOLVANE_WINE_RUN, lprctl, "upgrade",
             std::string(kSinkAddress) + ":" + std::to_string(sink.Port()), image},
            std::chrono::seconds(300), {{"TOLVANE_LANG", "en"}});
        if (sent.exitCode != 0 || sink.Uploads() != before + 1) {
            std::printf("Windows transport run %d: lprctl.exe exit %d, %d upload(s) at the peer: "
                        "%s\n",
                        run + 1, sent.exitCode, sink.Uploads() - before, sent.output.c_str());
            return;
        }
        bodies.push_back(sink.LastUploadSeconds());
        std::printf("Windows transport run %d (lprctl.exe under Wine): body %.3f s at the peer "
                    "(%.0f MiB/s)\n",
                    run + 1, bodies.back(), mib / bodies.back());
    }
    const double median = Median(bodies, 0);
    std::printf("median: Windows transport under Wine %.0f MiB/s, ratio to raw TCP %.2f\n",
                mib / median, rawMedian / median);
}

long PeakRssKib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

} // namespace

int main() {
    const std::string image = "/tmp/bench_sdk_upload_256m.bin";
    const uint64_t payload = (256ull << 20) - 128; // the whole file: 256 MiB
    if (harness::RunProgram({MKFWIMAGE_BINARY, "image", "--platform", "DM3730", "--version",
                             "5.1.7.3", "--payload-size", std::to_string(payload), "-o", image})
            .exitCode != 0) {
        std::fprintf(stderr, "cannot make the image\n");
        return 1;
    }
    struct stat info {};
    stat(image.c_str(), &info);
    // A catalogue image is old; a file written seconds ago is hashed afresh
    // on every upload, so let this one settle first.
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    const uint64_t size = static_cast<uint64_t>(info.st_size);

    harness::CamsimProcess sim(CAMSIM_BINARY, {"--count", "1", "--base", kCameraAddress, "--port",
                                               std::to_string(harness::ProcessCameraPort()),
                                               "--version", "5.1.7.2", "--time-scale", "0.01"});
    if (!sim.WaitReady()) {
        std::fprintf(stderr, "camsim did not start\n");
        return 1;
    }
    const LprSdk& sdk = LprNetworkSdk();
    sdk.LprSetup();
    LprHandle handle = sdk.LprOpen(kCameraAddress, harness::ProcessCameraPort(), "admin", "ploma");
    if (handle == nullptr) {
        std::fprintf(stderr, "cannot log in to the simulated camera\n");
        return 1;
    }
    const double mib = static_cast<double>(size) / (1 << 20);
    std::printf("image: %.0f MiB\n", mib);
    DiscardingCamera sink;
    LprHandle sinkHandle = sdk.LprOpen(kSinkAddress, sink.Port(), "admin", "ploma");
    std::vector<double> raw;
    std::vector<double> viaSdk;
    std::vector<double> toSink;
    std::vector<double> sinkBody; // the sink's own time of each body
    for (int run = 0; run < kRuns; ++run) {
        raw.push_back(RawTcpCopySeconds(image, size));
        int32_t state = 0;
        viaSdk.push_back(SdkUploadSeconds(handle, image, state));
        int32_t sinkState = 0;
        toSink.push_back(SdkUploadSeconds(sinkHandle, image, sinkState));
        sinkBody.push_back(sink.LastUploadSeconds());
        std::printf("run %d: raw TCP %.3f s (%.0f MiB/s) | SDK to camsim %.3f s (%.0f MiB/s, "
                    "state %d) | SDK to discarding peer %.3f s (%.0f MiB/s, state %d; body "
                    "%.3f s at the peer)\n",
                    run + 1, raw.back(), mib / raw.back(), viaSdk.back(), mib / viaSdk.back(),
                    state, toSink.back(), mib / toSink.back(), sinkState, sinkBody.back());
    }
    std::printf("first run, with the SDK's hashing pass: ratio to raw TCP %.2f\n",
                raw[0] / viaSdk[0]);
    // The later runs find the checksum remembered, as every camera after the
    // first of a batch does.
    const double rawMedian = Median(raw, 0);
    const double sdkMedian = Median(viaSdk, 1);
    const double sinkMedian = Median(toSink, 0);
    std::printf("median: raw TCP %.0f MiB/s; SDK to camsim (runs 2..%d) %.0f MiB/s, ratio %.2f "
                "(target >= 0.5); SDK to discarding peer %.0f MiB/s, ratio %.2f (target >= 0.9); "
                "body at the peer %.0f MiB/s, ratio %.2f\n",
                mib / rawMedian, kRuns, mib / sdkMedian, rawMedian / sdkMedian, mib / sinkMedian,
                rawMedian / sinkMedian, mib / Median(sinkBody, 0), rawMedian / Median(sinkBody, 0));
    WindowsTransportRuns(sink, image, mib, rawMedian);
    sdk.LprClose(sinkHandle);
    std::printf("peak resident memory of this process: %ld KiB\n", PeakRssKib());
    sdk.LprClose(handle);
    sdk.LprCleanup();
    unlink(image.c_str());
    return 0;
}
