#include "sim_camera.h"

#include "camera_connection.h"
#include "discovery.h"

#include <algorithm>
#include <nlohmann/json.hpp>

namespace camsim {
namespace {

std::string dumpJson(const nlohmann::json& value) {
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

} // namespace

SimCamera::SimCamera(asio::io_context& io, CameraConfig config, double timeScale, EventLog& log)
    : io_(io), config_(std::move(config)), timeScale_(timeScale), log_(log), acceptor_(io),
      flashTimer_(io), restartTimer_(io), version_(config_.version) {}

SimCamera::~SimCamera() {
    stop();
}

void SimCamera::start(std::uint16_t discoveryPort) {
    auto address = asio::ip::make_address_v4(config_.address);
    // A socket of its own on the discovery port, so that probes sent straight
    // to this address reach it and hellos leave from this address.
    discovery_ = std::make_unique<asio::ip::udp::socket>(io_);
    discovery_->open(asio::ip::udp::v4());
    discovery_->set_option(asio::socket_base::reuse_address(true));
    discovery_->bind(asio::ip::udp::endpoint(address, discoveryPort));
    probes_ = std::make_unique<ProbeReceiver>(*discovery_, std::vector<SimCamera*>{this});
    probes_->start();
    openListener();
    up_ = true;
}

void SimCamera::openListener() {
    asio::ip::tcp::endpoint endpoint(asio::ip::make_address_v4(config_.address), config_.port);
    acceptor_.open(endpoint.protocol());
    acceptor_.set_option(asio::socket_base::reuse_address(true));
    acceptor_.bind(endpoint);
    acceptor_.listen(64);
    acceptNext();
}

void SimCamera::acceptNext() {
    acceptor_.async_accept([this](std::error_code ec, asio::ip::tcp::socket socket) {
        if (ec == asio::error::operation_aborted || !acceptor_.is_open()) {
            return;
        }
        if (!ec) {
            if (connections_.size() >= kMaxConnections) {
                logEvent("connect", "", "refused: too many connections");
                std::error_code ignored;
                socket.close(ignored);
            } else {
                auto connection = std::make_shared<CameraConnection>(*this, std::move(socket));
                connections_.emplace(connection.get(), connection);
                connection->start();
            }
        }
        acceptNext();
    });
}

void SimCamera::stop() {
    stopped_ = true;
    up_ = false;
    std::error_code ignored;
    acceptor_.close(ignored);
    flashTimer_.cancel();
    restartTimer_.cancel();
    if (discovery_) {
        discovery_->close(ignored);
    }
    closeConnections();
}

void SimCamera::closeConnections() {
    auto doomed = std::move(connections_);
    connections_.clear();
    for (auto& [raw, connection] : doomed) {
        (void)raw;
        connection->abort();
    }
}

void SimCamera::release(CameraConnection* connection) {
    connections_.erase(connection);
}

Version SimCamera::reportedVersion() const {
    Version v = version_;
    if (config_.faults.fourthZero) {
        v[3] = 0;
    }
    return v;
}

void SimCamera::answerProbe(const std::string& nonce, const asio::ip::udp::endpoint& to) {
    if (!up_ || !discovery_) {
        return;
    }
    nlohmann::json hello = {{"op", "hello"},
                            {"v", 1},
                            {"nonce", nonce},
                            {"port", config_.port},
                            {"model", config_.model},
                            {"serial", config_.serial},
                            {"version", formatVersion(reportedVersion())}};
    auto datagram = std::make_shared<std::string>(dumpJson(hello));
    discovery_->async_send_to(asio::buffer(*datagram), to,
                              [datagram](std::error_code, std::size_t) {});
    logEvent("probe", to.address().to_string() + ":" + std::to_string(to.port()), "hello");
}

void SimCamera::logEvent(const std::string& request, const std::string& detail,
                         const std::string& outcome) {
    log_.write(config_.address, config_.port, request, detail, outcome);
}

AuthVerdict SimCamera::authenticate(const HttpRequest& request) {
    std::string authorization(request.header("Authorization").value_or(""));
    AuthVerdict verdict =
        auth_.check(authorization, request.method, request.target, config_.user, config_.password);
    if (config_.faults.refuseLogin && verdict != AuthVerdict::Missing) {
        return AuthVerdict::BadCredentials;
    }
    return verdict;
}

bool SimCamera::countRequestAndCheckSilent() {
    ++requests_;
    const auto& after = config_.faults.stopAnsweringAfter;
    return config_.faults.stopAnswering ||
           (after && requests_ > static_cast<std::uint64_t>(*after)) ||
           (config_.faults.silentWhileFlashing && firmware_ == FirmwareState::Flashing);
}

HttpResponse SimCamera::readDevice() {
    ++deviceReads_;
    const auto& f = config_.faults;
    std::uint64_t first = static_cast<std::uint64_t>(f.versionReadableFirst);
    bool unreadable = deviceReads_ > first &&
                      deviceReads_ <= first + static_cast<std::uint64_t>(f.versionUnreadableReads);
    if (readsSinceFlashBoot_) {
        std::uint64_t n = ++*readsSinceFlashBoot_;
        unreadable = unreadable ||
                     (n > 1 && n <= 1 + static_cast<std::uint64_t>(f.versionUnreadableAfterFlash));
    }
    if (unreadable) {
        return errorResponse(503, 10, "version not readable yet");
    }
    const Version v = reportedVersion();
    nlohmann::json body = {{"model", config_.model},
                           {"serial", config_.serial},
                           {"platform", config_.platform},
                           {"version", {v[0], v[1], v[2], v[3]}}};
    return jsonResponse(200, dumpJson(body));
}

int SimCamera::flashProgress() const {
    switch (firmware_) {
    case FirmwareState::Idle:
        return 0;
    case FirmwareState::Done:
        return 100;
    case FirmwareState::Failed:
        return 0;
    case FirmwareState::Flashing:
        break;
    }
    auto total = scaled(config_.flashMs);
    if (total.count() <= 0) {
        return 99;
    }
    auto elapsed = Clock::now() - flashStart_;
    auto pct = static_cast<int>(100.0 * static_cast<double>(elapsed.count()) /
                                static_cast<double>(total.count()));
    return std::clamp(pct, 0, 99);
}

HttpResponse SimCamera::firmwareState() {
    static constexpr const char* names[] = {"idle", "flashing", "done", "failed"};
    nlohmann::json body = {{"state", names[static_cast<int>(firmware_)]},
                           {"error", firmware_ == FirmwareState::Failed ? firmwareError_ : 0},
                           {"progress", flashProgress()}};
    return jsonResponse(200, dumpJson(body));
}

HttpResponse SimCamera::runShell(const std::string& bodyText) {
    nlohmann::json body = nlohmann::json::parse(bodyText, nullptr, false);
    if (body.is_discarded() || !body.is_object() || !body.contains("command") ||
        !body["command"].is_string()) {
        logEvent("POST /api/v1/shell", "", "400 bad body");
        return errorResponse(400, 4, "body must be {\"command\":\"<text>\"}");
    }
    const std::string command = body["command"].get<std::string>();
    if (command.size() > 256) {
        logEvent("POST /api/v1/shell", command.substr(0, 64) + "...", "400 command too long");
        return errorResponse(400, 4, "command longer than 256 bytes");
    }
    ShellResult result = runShellCommand(shell_, command, config_.faults.shellFail);
    logEvent("POST /api/v1/shell", command,
             "200 exit " + std::to_string(result.exit) + " (" + result.effect + ")");
    nlohmann::json answer = {{"exit", result.exit}, {"output", result.output}};
    return jsonResponse(200, dumpJson(answer));
}

bool SimCamera::uploadBusy() const {
    return uploadActive_ || firmware_ == FirmwareState::Flashing;
}

void SimCamera::beginUpload() {
    uploadActive_ = true;
    // The outcome of the previous upload no longer describes "the last upload".
    firmware_ = FirmwareState::Idle;
    firmwareError_ = 0;
}

double SimCamera::uploadBytesPerSecond() const {
    if (config_.uploadKibPerSec <= 0) {
        return 0.0;
    }
    return static_cast<double>(config_.uploadKibPerSec) * 1024.0 / timeScale_;
}

std::optional<std::uint64_t> SimCamera::dropUploadAt(std::uint64_t contentLength) const {
    if (!config_.faults.dropUploadAtPercent) {
        return std::nullopt;
    }
    return contentLength * static_cast<std::uint64_t>(*config_.faults.dropUploadAtPercent) / 100;
}

void SimCamera::uploadLost(std::uint64_t received, std::uint64_t expected, const std::string& why) {
    if (!uploadActive_) {
        return;
    }
    uploadActive_ = false;
    firmware_ = FirmwareState::Failed;
    firmwareError_ = kUploadLengthOrChecksum;
    logEvent("POST /api/v1/firmware",
             std::to_string(received) + " of " + std::to_string(expected) + " bytes",
             "upload lost: " + why);
}

HttpResponse SimCamera::finishUpload(const UploadVerdict& verdict) {
    uploadActive_ = false;
    if (verdict.error != kUploadOk) {
        firmware_ = FirmwareState::Failed;
        firmwareError_ = verdict.error;
        logEvent("POST /api/v1/firmware", verdict.message,
                 "400 error " + std::to_string(verdict.error));
        return errorResponse(400, verdict.error, verdict.message);
    }
    firmware_ = FirmwareState::Flashing;
    firmwareError_ = 0;
    flashingTarget_ = verdict.target;
    flashStart_ = Clock::now();
    logEvent("POST /api/v1/firmware", formatVersion(verdict.target), "202 flashing");
    flashTimer_.expires_after(scaled(config_.flashMs));
    flashTimer_.async_wait([this](std::error_code ec) {
        if (!ec) {
            flashEnded();
        }
    });
    return jsonResponse(202, R"({"state":"flashing"})");
}

void SimCamera::flashEnded() {
    if (config_.faults.flashFail) {
        firmware_ = FirmwareState::Failed;
        firmwareError_ = kUploadFlashFailed;
        flashingTarget_.reset();
        logEvent("flash", "", "failed error 8");
        return;
    }
    firmware_ = FirmwareState::Done;
    const Version target = *flashingTarget_;
    flashingTarget_.reset();
    if (!config_.faults.flashNoEffect) {
        flashedVersion_ = config_.faults.flashResultVersion.value_or(target);
    }
    logEvent("flash", formatVersion(target), "done");
    if (config_.platform == "HS3516") {
        restart("flashing ended");
    }
}

SimCamera::Clock::duration SimCamera::scaled(std::int64_t ms) const {
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double, std::milli>(static_cast<double>(ms) * timeScale_));
}

void SimCamera::stopListening() {
    up_ = false;
    std::error_code ignored;
    acceptor_.close(ignored);
}

void SimCamera::restart(const std::string& why) {
    if (restarting_ || stopped_) {
        return;
    }
    restarting_ = true;
    stopListening();
    flashTimer_.cancel();
    if (firmware_ == FirmwareState::Flashing) {
        flashingTarget_.reset();
        logEvent("flash", "", "interrupted by restart");
    }
    uploadActive_ = false;
    closeConnections();
    if (config_.faults.noReturnAfterRestart) {
        logEvent("restart", why, "down for good");
        return;
    }
    logEvent("restart", why, "down");
    restartTimer_.expires_after(scaled(config_.restartMs));
    restartTimer_.async_wait([this](std::error_code ec) {
        if (!ec) {
            boot();
        }
    });
}

void SimCamera::boot() {
    if (stopped_) {
        return;
    }
    if (flashedVersion_) {
        version_ = *flashedVersion_;
        flashedVersion_.reset();
        readsSinceFlashBoot_ = 0;
    } else {
        readsSinceFlashBoot_.reset();
    }
    if (config_.faults.replacedAfterRestart && !replaced_) {
        // Another device took the address while this one was down.
        replaced_ = true;
        config_.serial += "-SWAP";
        config_.platform = "DM8127";
        config_.model = "LPR-DM8127";
        version_ = Version{5, 5, 6, 1};
        readsSinceFlashBoot_.reset();
    }
    firmware_ = FirmwareState::Idle;
    firmwareError_ = 0;
    rebootShellState(shell_);
    auth_.forgetNonces();
    try {
        openListener();
    } catch (const std::system_error& e) {
        std::error_code ignored;
        acceptor_.close(ignored);
        logEvent("restart", e.what(), "cannot listen again");
        return;
    }
    up_ = true;
    restarting_ = false;
    logEvent("restart", formatVersion(reportedVersion()), "up");
}

} // namespace camsim
