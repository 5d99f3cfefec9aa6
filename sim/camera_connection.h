#pragma once

#include "firmware_image.h"
#include "http_message.h"

#include <asio.hpp>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace camsim {

class SimCamera;

// One TCP connection to a camera: reads requests, authenticates them, streams
// firmware uploads into the image check, and writes the answers. Every wait
// has a deadline, so a client that stalls cannot pin a connection for ever.
class CameraConnection : public std::enable_shared_from_this<CameraConnection> {
public:
    using Clock = std::chrono::steady_clock;

    CameraConnection(SimCamera& camera, asio::ip::tcp::socket socket);

    void start();
    // Closes at once (camera restart or shutdown).
    void abort();

    static constexpr std::size_t kMaxJsonBody = 64 * 1024;
    static constexpr std::chrono::seconds kIdleTimeout{60};
    static constexpr std::chrono::seconds kIoTimeout{30};
    static constexpr std::chrono::seconds kDrainTimeout{2};
    static constexpr std::chrono::seconds kSilentTimeout{600};

private:
    using DataHandler = std::function<void(const unsigned char*, std::size_t)>;

    void readSome(std::size_t maxBytes, Clock::duration timeout, DataHandler onData);
    void armDeadline(Clock::duration timeout);
    void waitForDeadline(Clock::time_point when);

    void readHead();
    void feedHead(const char* data, std::size_t size);
    void dispatch();
    void readSmallBody(std::function<void(std::string)> next);
    void collectBody(std::uint64_t remaining, std::string* sink, std::function<void()> done);
    void handle(const std::string& body);

    void startUpload();
    void continueUpload();
    void readUpload(std::size_t maxBytes);

    void respond(HttpResponse response, std::function<void()> afterWrite = nullptr);
    void respondSkippingBody(HttpResponse response);
    void writeAll(std::shared_ptr<std::string> data, std::function<void()> done);
    void writeTrickle(std::shared_ptr<std::string> data, std::size_t index,
                      std::function<void()> done);

    void goSilent();
    void gracefulClose();
    void finish();
    void restartNowIfAsked();

    SimCamera& camera_;
    asio::ip::tcp::socket socket_;
    asio::steady_timer deadline_;
    Clock::time_point deadlineAt_{}; // the timer may be set earlier and sent on
    bool deadlineWaiting_ = false;
    asio::steady_timer pace_;
    std::vector<unsigned char> buffer_;
    std::string pending_; // bytes read but not consumed yet
    HttpHeadParser parser_;
    HttpRequest request_;
    std::string label_; // "METHOD /path" for the event log
    bool closed_ = false;
    bool restartCamera_ = false; // once the reboot answer is out, or the write failed

    std::unique_ptr<UploadCheck> upload_;
    std::uint64_t uploadExpected_ = 0;
    std::string uploadSha_;
    std::optional<std::uint64_t> dropAt_;
    Clock::time_point uploadStart_{};
    std::optional<Clock::time_point> drainUntil_;
    std::uint64_t unsentBody_ = 0; // body bytes still to come after an early answer
};

} // namespace camsim
