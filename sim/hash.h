#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

struct evp_md_ctx_st;

namespace camsim {

enum class HashKind { Sha256, Md5 };

// Incremental digest, so that large uploads never have to be held in memory.
class Hasher {
public:
    explicit Hasher(HashKind kind = HashKind::Sha256);
    ~Hasher();
    Hasher(const Hasher&) = delete;
    Hasher& operator=(const Hasher&) = delete;

    void update(const void* data, std::size_t size);
    void update(std::string_view text) { update(text.data(), text.size()); }
    // Ends the digest; the hasher must not be updated afterwards.
    std::vector<unsigned char> finish();

private:
    evp_md_ctx_st* ctx_;
};

// Feeds a digest on a thread of its own, so that a second digest of a large
// stream does not halve the rate the stream is taken at. Bytes travel in
// buffers of a small fixed pool: the producer fills one while the thread
// hashes the others, and memory stays at bufferCount * bufferSize whatever
// the stream's length. The thread only ever sees the pool and the digest.
class BackgroundHasher {
public:
    BackgroundHasher(HashKind kind, std::size_t bufferSize, std::size_t bufferCount);
    // Stops the thread without finishing what is still queued.
    ~BackgroundHasher();
    BackgroundHasher(const BackgroundHasher&) = delete;
    BackgroundHasher& operator=(const BackgroundHasher&) = delete;

    std::size_t bufferSize() const { return bufferSize_; }
    // A buffer of bufferSize() bytes to fill. When all are queued this waits
    // for the thread to hash one, which takes at most a few milliseconds.
    unsigned char* acquire();
    // Hands back a buffer from acquire(); bytes [offset, offset + size) of
    // it join the digest, in the order buffers are submitted.
    void submit(unsigned char* buffer, std::size_t offset, std::size_t size);
    // Waits until everything submitted is hashed and ends the digest.
    std::vector<unsigned char> finish();

private:
    struct Job {
        unsigned char* buffer;
        std::size_t offset;
        std::size_t size;
    };

    void run();

    const std::size_t bufferSize_;
    const std::size_t bufferCount_;
    Hasher hasher_; // touched by the thread only until it is joined
    std::vector<std::unique_ptr<unsigned char[]>> pool_;

    std::mutex mutex_;
    std::condition_variable workReady_;
    std::condition_variable bufferFree_;
    std::deque<Job> queue_;
    std::vector<unsigned char*> free_;
    bool inputEnded_ = false;
    bool abandoned_ = false;

    std::thread thread_;
};

std::string toHex(const unsigned char* data, std::size_t size);
inline std::string toHex(const std::vector<unsigned char>& bytes) {
    return toHex(bytes.data(), bytes.size());
}
std::string hashHex(HashKind kind, std::string_view text);
// Random bytes from the system's cryptographic generator, as lower-case hex.
std::string randomHex(std::size_t bytes);

} // namespace camsim
