#include "hash.h"

#include <algorithm>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <stdexcept>

namespace camsim {

Hasher::Hasher(HashKind kind) : ctx_(EVP_MD_CTX_new()) {
    if (ctx_ == nullptr) {
        throw std::runtime_error("out of memory for a digest");
    }
    const EVP_MD* md = kind == HashKind::Sha256 ? EVP_sha256() : EVP_md5();
    if (EVP_DigestInit_ex(ctx_, md, nullptr) != 1) {
        EVP_MD_CTX_free(ctx_);
        throw std::runtime_error("digest unavailable");
    }
}

Hasher::~Hasher() {
    EVP_MD_CTX_free(ctx_);
}

void Hasher::update(const void* data, std::size_t size) {
    if (size > 0) {
        EVP_DigestUpdate(ctx_, data, size);
    }
}

std::vector<unsigned char> Hasher::finish() {
    std::vector<unsigned char> out(EVP_MAX_MD_SIZE);
    unsigned int len = 0;
    EVP_DigestFinal_ex(ctx_, out.data(), &len);
    out.resize(len);
    return out;
}

BackgroundHasher::BackgroundHasher(HashKind kind, std::size_t bufferSize, std::size_t bufferCount)
    : bufferSize_(std::max<std::size_t>(bufferSize, 1)),
      bufferCount_(std::max<std::size_t>(bufferCount, 1)), hasher_(kind) {
    thread_ = std::thread([this] { run(); });
}

BackgroundHasher::~BackgroundHasher() {
    if (thread_.joinable()) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            abandoned_ = true;
        }
        workReady_.notify_one();
        thread_.join();
    }
}

unsigned char* BackgroundHasher::acquire() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (free_.empty() && pool_.size() < bufferCount_) {
        // Buffers are made on demand: a small upload never costs the whole pool.
        pool_.push_back(std::make_unique<unsigned char[]>(bufferSize_));
        return pool_.back().get();
    }
    bufferFree_.wait(lock, [this] { return !free_.empty(); });
    unsigned char* buffer = free_.back();
    free_.pop_back();
    return buffer;
}

void BackgroundHasher::submit(unsigned char* buffer, std::size_t offset, std::size_t size) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(Job{buffer, offset, size});
    }
    workReady_.notify_one();
}

std::vector<unsigned char> BackgroundHasher::finish() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        inputEnded_ = true;
    }
    workReady_.notify_one();
    thread_.join();
    return hasher_.finish();
}

void BackgroundHasher::run() {
    for (;;) {
        Job job{};
        {
            std::unique_lock<std::mutex> lock(mutex_);
            workReady_.wait(lock, [this] { return abandoned_ || inputEnded_ || !queue_.empty(); });
            if (abandoned_ || queue_.empty()) {
                return;
            }
            job = queue_.front();
            queue_.pop_front();
        }
        hasher_.update(job.buffer + job.offset, job.size);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            free_.push_back(job.buffer);
        }
        bufferFree_.notify_one();
    }
}

std::string toHex(const unsigned char* data, std::size_t size) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(size * 2);
    for (std::size_t i = 0; i < size; ++i) {
        hex.push_back(digits[data[i] >> 4]);
        hex.push_back(digits[data[i] & 0x0f]);
    }
    return hex;
}

std::string hashHex(HashKind kind, std::string_view text) {
    Hasher hasher(kind);
    hasher.update(text);
    return toHex(hasher.finish());
}

std::string randomHex(std::size_t bytes) {
    std::vector<unsigned char> buf(bytes);
    if (RAND_bytes(buf.data(), static_cast<int>(buf.size())) != 1) {
        throw std::runtime_error("no random bytes available");
    }
    return toHex(buf);
}

} // namespace camsim
