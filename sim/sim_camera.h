#pragma once

#include "camera_config.h"
#include "digest_auth.h"
#include "event_log.h"
#include "firmware_image.h"
#include "http_message.h"
#include "maintenance_shell.h"

#include <asio.hpp>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

namespace camsim {

class CameraConnection;
class ProbeReceiver;

// One simulated camera: its TCP listener, its discovery socket, and the state
// a real camera keeps (running version, flashed version waiting for a
// restart, last upload, maintenance shell). Everything runs on the one
// io_context thread, so none of it needs a lock.
class SimCamera {
public:
    using Clock = std::chrono::steady_clock;

    SimCamera(asio::io_context& io, CameraConfig config, double timeScale, EventLog& log);
    ~SimCamera();
    SimCamera(const SimCamera&) = delete;
    SimCamera& operator=(const SimCamera&) = delete;

    // Binds the listener and the discovery socket; throws std::system_error.
    void start(std::uint16_t discoveryPort);
    // Closes everything for good (shutdown).
    void stop();

    const CameraConfig& config() const { return config_; }
    Version reportedVersion() const;
    const Version& runningVersion() const { return version_; }
    bool isUp() const { return up_; }

    // Discovery: answers a probe unless the camera is restarting.
    void answerProbe(const std::string& nonce, const asio::ip::udp::endpoint& to);

    // --- used by connections ---
    void logEvent(const std::string& request, const std::string& detail,
                  const std::string& outcome);
    AuthVerdict authenticate(const HttpRequest& request);
    std::vector<std::string> challenges(bool stale) { return auth_.challenges(stale); }
    // Counts a request; true when the camera has gone silent from now on.
    bool countRequestAndCheckSilent();
    bool silentFromStart() const { return config_.faults.stopAnswering; }
    int trickleMs() const { return config_.faults.trickleMs; }

    HttpResponse readDevice();
    HttpResponse firmwareState();
    HttpResponse runShell(const std::string& body);

    bool uploadBusy() const;
    void beginUpload();
    HttpResponse finishUpload(const UploadVerdict& verdict);
    void uploadLost(std::uint64_t received, std::uint64_t expected, const std::string& why);
    // Bytes per second the camera takes an upload at (already time-scaled); 0: unlimited.
    double uploadBytesPerSecond() const;
    std::optional<std::uint64_t> dropUploadAt(std::uint64_t contentLength) const;

    // First half of a requested restart: stop accepting before the answer
    // goes out, so a client that has read the answer finds the port closed.
    void stopListening();
    // Restart: closes every connection and the listener, comes back after
    // the restart time (unless told never to).
    void restart(const std::string& why);

    void release(CameraConnection* connection);

    static constexpr std::size_t kMaxConnections = 64;

private:
    enum class FirmwareState { Idle, Flashing, Done, Failed };

    void openListener();
    void acceptNext();
    void closeConnections();
    void boot();
    void flashEnded();
    Clock::duration scaled(std::int64_t ms) const;
    int flashProgress() const;

    asio::io_context& io_;
    CameraConfig config_;
    double timeScale_;
    EventLog& log_;
    asio::ip::tcp::acceptor acceptor_;
    std::unique_ptr<asio::ip::udp::socket> discovery_;
    std::unique_ptr<ProbeReceiver> probes_;
    asio::steady_timer flashTimer_;
    asio::steady_timer restartTimer_;
    std::unordered_map<CameraConnection*, std::shared_ptr<CameraConnection>> connections_;
    DigestAuthenticator auth_{"camera"};
    ShellState shell_;

    bool up_ = false;
    bool restarting_ = false;
    bool stopped_ = false;
    Version version_;
    std::optional<Version> flashedVersion_; // reported after the next restart
    bool replaced_ = false;                 // replacedAfterRestart has taken effect
    std::optional<Version> flashingTarget_;
    FirmwareState firmware_ = FirmwareState::Idle;
    int firmwareError_ = 0;
    bool uploadActive_ = false;
    Clock::time_point flashStart_{};
    std::uint64_t deviceReads_ = 0;
    std::optional<std::uint64_t> readsSinceFlashBoot_;
    std::uint64_t requests_ = 0;
};

} // namespace camsim
