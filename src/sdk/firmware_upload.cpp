#include "sdk/firmware_upload.h"

#include "sdk/camera_messages.h"
#include "sdk/image_digest_cache.h"
#include "sdk/lpr_sdk.h"
#include "sdk/native_file.h"

namespace lpr {
namespace {

// No answer at all gets this much time on top of a transfer at the low
// speed limit; keeps the transfer bounded even against a peer that keeps
// the connection barely above the limit.
constexpr long kUploadBaseMs = 60000;
constexpr uint64_t kSlowestBytesPerSecond = 128 * 1024;

class FileCloser {
public:
    explicit FileCloser(NativeFile file) : file_(file) {}
    ~FileCloser() { CloseNativeFile(file_); }
    FileCloser(const FileCloser&) = delete;
    FileCloser& operator=(const FileCloser&) = delete;

private:
    NativeFile file_;
};

// The outcome of a refused upload: the camera's code, else what the status
// alone says.
UploadOutcome RefusalOutcome(const HttpResult& result) {
    if (result.status == 401) {
        return {LPR_UPDATE_STATE_TRANSPORT_FAILED, LPR_ERR_NOT_CONNECTED};
    }
    if (auto code = ParseErrorCode(result.body)) {
        return {LPR_UPDATE_STATE_FAILED, *code};
    }
    if (result.status == 409) {
        return {LPR_UPDATE_STATE_FAILED, LPR_ERR_BUSY};
    }
    // An answer we cannot read tells no outcome, but the camera did not take
    // the image.
    return {LPR_UPDATE_STATE_TRANSPORT_FAILED, LPR_ERR_LOST_WHILE_SENDING};
}

// Transport failures while the body goes out. A break here is never error 3:
// that one means the camera had accepted the image, and callers take it as
// "flashed, restarting by itself".
UploadOutcome SendFailureOutcome(HttpFailure failure) {
    switch (failure) {
    case HttpFailure::CannotConnect:
        return {LPR_UPDATE_STATE_TRANSPORT_FAILED, LPR_ERR_NOT_CONNECTED};
    case HttpFailure::TimedOut:
        return {LPR_UPDATE_STATE_TRANSPORT_FAILED, LPR_ERR_TIMEOUT};
    case HttpFailure::FileUnreadable:
        return {LPR_UPDATE_STATE_FAILED, LPR_ERR_FILE_UNREADABLE};
    default:
        return {LPR_UPDATE_STATE_TRANSPORT_FAILED, LPR_ERR_LOST_WHILE_SENDING};
    }
}

} // namespace

FirmwareUpload::~FirmwareUpload() {
    Stop();
}

bool FirmwareUpload::Start(const CameraEndpoint& endpoint, const std::string& imagePath) {
    // A folder, a pipe or a device is no image.
    std::optional<NativeFile> file = OpenRegularFile(imagePath);
    if (!file) {
        return false;
    }
    std::thread previous;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (phase_ == Phase::Sending) {
            CloseNativeFile(*file);
            return false;
        }
        previous = std::move(thread_); // finished; joined below, outside the lock
        phase_ = Phase::Sending;
        endpoint_ = endpoint;
        final_ = {};
        cancel_.store(false);
    }
    if (previous.joinable()) {
        previous.join();
    }
    std::lock_guard<std::mutex> lock(mutex_);
    thread_ = std::thread(&FirmwareUpload::Run, this, endpoint, *file);
    return true;
}

void FirmwareUpload::Run(CameraEndpoint endpoint, NativeFile file) {
    FileCloser closer(file);
    uint64_t size = 0;
    std::optional<std::string> sha = ImageSha256(file, size, &cancel_);
    if (!sha) {
        Finish(cancel_.load()
                   ? UploadOutcome{LPR_UPDATE_STATE_TRANSPORT_FAILED, LPR_ERR_LOST_WHILE_SENDING}
                   : UploadOutcome{LPR_UPDATE_STATE_FAILED, LPR_ERR_FILE_UNREADABLE});
        return;
    }

    HttpCall call;
    call.method = "POST";
    call.path = "/api/v1/firmware";
    call.contentType = "application/octet-stream";
    call.file = FileBody{file, size};
    call.headers.push_back("X-Firmware-Sha256: " + *sha);
    call.limits.connectMs = limits_.connectMs;
    call.limits.totalMs = kUploadBaseMs + static_cast<long>(size / kSlowestBytesPerSecond * 1000);
    call.limits.lowSpeedBytesPerSecond = limits_.lowSpeedBytesPerSecond;
    call.limits.lowSpeedSeconds = limits_.lowSpeedSeconds;
    call.cancel = &cancel_;
    HttpResult result = PerformCameraCall(endpoint, call);

    if (result.failure != HttpFailure::None) {
        Finish(SendFailureOutcome(result.failure));
    } else if (result.status >= 200 && result.status < 300) {
        std::lock_guard<std::mutex> lock(mutex_);
        phase_ = Phase::Accepted;
        lastHeard_ = std::chrono::steady_clock::now();
    } else {
        Finish(RefusalOutcome(result));
    }
}

void FirmwareUpload::Finish(UploadOutcome outcome) {
    std::lock_guard<std::mutex> lock(mutex_);
    phase_ = Phase::Finished;
    final_ = outcome;
}

UploadOutcome FirmwareUpload::Poll(const CameraEndpoint& endpoint) const {
    HttpCall call;
    call.method = "GET";
    call.path = "/api/v1/firmware";
    call.limits.connectMs = limits_.connectMs;
    call.limits.totalMs = limits_.pollMs;
    HttpResult result = PerformCameraCall(endpoint, call);
    switch (result.failure) {
    case HttpFailure::None:
        break;
    case HttpFailure::TimedOut:
        return {LPR_UPDATE_STATE_TRANSPORT_FAILED, LPR_ERR_TIMEOUT};
    default:
        // The camera took the body: whatever breaks now breaks after the
        // upload, a camera restarting on its own after flashing among them.
        return {LPR_UPDATE_STATE_TRANSPORT_FAILED, LPR_ERR_CONNECTION_LOST};
    }
    if (result.status == 401) {
        return {LPR_UPDATE_STATE_TRANSPORT_FAILED, LPR_ERR_NOT_CONNECTED};
    }
    std::optional<FirmwareStatus> status;
    if (result.status == 200) {
        status = ParseFirmwareStatus(result.body);
    }
    if (!status) {
        return {LPR_UPDATE_STATE_TRANSPORT_FAILED, LPR_ERR_CONNECTION_LOST};
    }
    switch (status->state) {
    case FirmwareState::Flashing:
        return {LPR_UPDATE_STATE_FLASHING, 0};
    case FirmwareState::Done:
        return {LPR_UPDATE_STATE_DONE, 0};
    case FirmwareState::Failed:
        return {LPR_UPDATE_STATE_FAILED, status->error > 0 ? status->error : LPR_ERR_FLASH_FAILED};
    case FirmwareState::Idle:
        break;
    }
    // Idle after the camera took the body: it restarted and the outcome is lost.
    return {LPR_UPDATE_STATE_TRANSPORT_FAILED, LPR_ERR_CONNECTION_LOST};
}

UploadOutcome FirmwareUpload::Query() {
    CameraEndpoint endpoint;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        switch (phase_) {
        case Phase::None:
            return {LPR_UPDATE_STATE_TRANSPORT_FAILED, LPR_ERR_NOT_CONNECTED};
        case Phase::Sending:
            return {LPR_UPDATE_STATE_SENDING, 0};
        case Phase::Finished:
            return final_;
        case Phase::Accepted:
            endpoint = endpoint_;
            break;
        }
    }
    // Asked without the lock held, so that Stop never waits for a poll.
    UploadOutcome outcome = Poll(endpoint);
    const auto now = std::chrono::steady_clock::now();
    std::lock_guard<std::mutex> lock(mutex_);
    if (phase_ != Phase::Accepted) {
        return outcome;
    }
    if (outcome.error == LPR_ERR_TIMEOUT) {
        // Silence while flashing is not a failure until it lasts: the camera
        // may come back with "done", and must then be restarted.
        if (now - lastHeard_ < std::chrono::milliseconds(limits_.flashSilenceMs)) {
            return {LPR_UPDATE_STATE_FLASHING, 0};
        }
    } else {
        lastHeard_ = now;
    }
    if (outcome.state != LPR_UPDATE_STATE_FLASHING) {
        phase_ = Phase::Finished;
        final_ = outcome;
    }
    return outcome;
}

void FirmwareUpload::Stop() {
    cancel_.store(true);
    std::thread running;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        running = std::move(thread_);
    }
    if (running.joinable()) {
        running.join();
    }
}

} // namespace lpr
