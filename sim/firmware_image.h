#pragma once

#include "hash.h"
#include "version.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace camsim {

inline constexpr std::size_t kImageHeaderSize = 128;

struct ImageHeader {
    std::string platform;
    Version version{};
    std::uint64_t payloadLength = 0;
    std::array<unsigned char, 32> payloadSha256{};
};

std::array<unsigned char, kImageHeaderSize> encodeImageHeader(const ImageHeader& header);
// Reads a header; on failure returns nothing and says why.
std::optional<ImageHeader> decodeImageHeader(const unsigned char* bytes, std::string* why);

// Error codes a camera answers for a refused upload.
enum UploadError : int {
    kUploadOk = 0,
    kUploadNotAnImage = 4,
    kUploadLengthOrChecksum = 5,
    kUploadWrongPlatform = 6,
    kUploadAlreadyInstalled = 7,
    kUploadFlashFailed = 8,
    kUploadBusy = 9,
};

struct UploadVerdict {
    int error = kUploadOk;
    std::string message;
    Version target{};
};

// Checks an upload as it streams in: the whole body goes to one hash, the
// header is kept aside and the payload goes to a second hash, so memory stays
// bounded whatever the image size. The payload hash runs on a thread of its
// own while the caller goes on taking the body; the caller's thread keeps the
// whole-body hash.
class UploadCheck {
public:
    static constexpr std::size_t kBufferSize = 1024 * 1024;
    static constexpr std::size_t kBufferCount = 4;

    UploadCheck();

    void feed(const unsigned char* data, std::size_t size);
    // Where the next bytes of the body go, so a socket can read straight into
    // it: at least one byte, at most the span's size. Commit what was written
    // before asking again.
    std::pair<unsigned char*, std::size_t> writable();
    void commit(std::size_t size);
    std::uint64_t received() const { return received_; }

    // declaredLength is the request's Content-Length, declaredSha256 the
    // hex digest the client sent (empty when missing).
    UploadVerdict finish(std::uint64_t declaredLength, const std::string& declaredSha256,
                         const std::string& cameraPlatform, const Version& runningVersion);

private:
    Hasher whole_{HashKind::Sha256};
    BackgroundHasher payload_;
    unsigned char* current_ = nullptr; // the buffer writable() handed out
    std::array<unsigned char, kImageHeaderSize> header_{};
    std::uint64_t received_ = 0;
};

// Writes an image whose payload is a deterministic pseudo-random stream of
// payloadSize bytes, generated and hashed piecewise.
bool writeImageFile(const std::string& path, const std::string& platform, const Version& version,
                    std::uint64_t payloadSize, std::uint64_t seed, std::string* error);

} // namespace camsim
