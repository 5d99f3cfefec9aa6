// One camera's image transfer: hashing and sending run on a thread of their
// own; once the camera has taken the body, each state query asks the camera
// how flashing goes.
#pragma once

#include "sdk/http_client.h"
#include "sdk/native_file.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace lpr {

// The answer of a state query: a state of LprUpdateGetState and, for the
// failed states, the protocol's error code.
struct UploadOutcome {
    int32_t state = 0;
    int32_t error = 0;
};

// Bounds of the transfer. A peer that takes the body slower than the low
// speed limit for the given time, or never answers, fails the transfer.
struct UploadLimits {
    long connectMs = 3000;
    long lowSpeedBytesPerSecond = 1024;
    long lowSpeedSeconds = 15;
    long pollMs = 10000;
    // A camera busy flashing may be too busy to answer: state polls that
    // time out count as "still flashing" until it has been silent this long.
    long flashSilenceMs = 120000;
};

class FirmwareUpload {
public:
    explicit FirmwareUpload(UploadLimits limits = {}) : limits_(limits) {}
    ~FirmwareUpload();
    FirmwareUpload(const FirmwareUpload&) = delete;
    FirmwareUpload& operator=(const FirmwareUpload&) = delete;

    // False when the file cannot be opened as a regular file, or a transfer
    // of this upload is still sending.
    bool Start(const CameraEndpoint& endpoint, const std::string& imagePath);

    // 2 while hashing or sending, then 3 / 1 / 4 / -1 from the camera's
    // answers. A final outcome is kept and repeated.
    UploadOutcome Query();

    // Stops a running transfer and waits for its thread (bounded: the
    // transfer notices within about a second).
    void Stop();

private:
    enum class Phase { None, Sending, Accepted, Finished };

    void Run(CameraEndpoint endpoint, NativeFile file);
    void Finish(UploadOutcome outcome);
    UploadOutcome Poll(const CameraEndpoint& endpoint) const;

    const UploadLimits limits_;
    std::mutex mutex_;
    std::thread thread_;
    Phase phase_ = Phase::None;
    UploadOutcome final_{};
    CameraEndpoint endpoint_;
    std::chrono::steady_clock::time_point lastHeard_{}; // the 202, then each answered poll
    std::atomic<bool> cancel_{false};
};

} // namespace lpr
