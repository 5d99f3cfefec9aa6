#include "engine/image_check.h"

#include "engine/image_catalogue.h"
#include "osa/osa_path.h"
#include "sdk/hashing.h"
#include "sdk/native_file.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

namespace {

constexpr std::size_t kHeaderSize = 128;
constexpr char kMagic[8] = {'T', 'L', 'V', 'F', 'W', '0', '0', '1'};
constexpr std::size_t kPlatformOffset = 8;
constexpr std::size_t kPlatformSize = 16;
constexpr std::size_t kTargetOffset = 24;
constexpr std::size_t kLengthOffset = 40;
constexpr std::size_t kHashOffset = 48;
constexpr std::size_t kReservedOffset = 80;

// What the file's own bytes say, whatever folder or camera it is meant for.
struct ContentVerdict {
    int32_t fault = IMAGE_OK;
    std::string platform;
    int32_t target[4] = {0, 0, 0, 0};
};

uint64_t Le(const unsigned char* bytes, std::size_t count) {
    uint64_t value = 0;
    for (std::size_t i = count; i-- > 0;) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

bool DecodeHeader(const unsigned char* h, ContentVerdict& out, uint64_t& length, std::string& sha) {
    if (std::memcmp(h, kMagic, sizeof kMagic) != 0) {
        return false;
    }
    const auto* platform = reinterpret_cast<const char*>(h + kPlatformOffset);
    const std::size_t platformLength = strnlen(platform, kPlatformSize);
    const bool padded =
        std::all_of(h + kPlatformOffset + platformLength, h + kPlatformOffset + kPlatformSize,
                    [](unsigned char c) { return c == 0; });
    const bool reservedZero =
        std::all_of(h + kReservedOffset, h + kHeaderSize, [](unsigned char c) { return c == 0; });
    if (platformLength == 0 || !padded || !reservedZero) {
        return false;
    }
    out.platform.assign(platform, platformLength);
    for (std::size_t i = 0; i < 4; ++i) {
        out.target[i] =
            static_cast<int32_t>(static_cast<uint32_t>(Le(h + kTargetOffset + 4 * i, 4)));
    }
    length = Le(h + kLengthOffset, 8);
    sha = lpr::ToHex(h + kHashOffset, 32);
    return true;
}

// Reads the header, then hashes the payload to the file's end.
ContentVerdict ReadContent(lpr::NativeFile file, uint64_t size) {
    ContentVerdict verdict;
    if (size == 0) {
        verdict.fault = IMAGE_EMPTY;
        return verdict;
    }
    std::array<unsigned char, kHeaderSize> header{};
    uint64_t length = 0;
    std::string sha;
    if (size < kHeaderSize || lpr::ReadFileAt(file, 0, header.data(), kHeaderSize) !=
                                  static_cast<long long>(kHeaderSize)) {
        verdict.fault = size < kHeaderSize ? IMAGE_BAD_HEADER : IMAGE_UNREADABLE;
        return verdict;
    }
    if (!DecodeHeader(header.data(), verdict, length, sha)) {
        verdict.fault = IMAGE_BAD_HEADER;
        return verdict;
    }
    if (length != size - kHeaderSize) {
        verdict.fault = IMAGE_LENGTH_MISMATCH;
        return verdict;
    }
    lpr::Sha256Stream payload;
    std::vector<unsigned char> chunk(1 << 20);
    for (uint64_t offset = kHeaderSize; offset < size;) {
        const long long got = lpr::ReadFileAt(file, offset, chunk.data(), chunk.size());
        if (got <= 0 || !payload.Update(chunk.data(), static_cast<std::size_t>(got))) {
            verdict.fault = IMAGE_UNREADABLE;
            return verdict;
        }
        offset += static_cast<uint64_t>(got);
    }
    const std::optional<std::string> digest = payload.FinishHex();
    if (!digest) {
        verdict.fault = IMAGE_UNREADABLE;
    } else if (*digest != sha) {
        verdict.fault = IMAGE_HASH_MISMATCH;
    }
    return verdict;
}

// A batch checks the same few images for every camera: each file version is
// read and hashed once.
std::mutex g_cacheMutex;
std::map<std::string, std::pair<lpr::FileStamp, ContentVerdict>> g_cache;

ContentVerdict CheckContent(const std::string& path) {
    ContentVerdict verdict;
    // The file type is asked without opening it: opening a pipe for reading
    // would wait for a writer.
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(OSA_pathFromUtf8(path), ec);
    if (ec || !std::filesystem::exists(status)) {
        verdict.fault = IMAGE_MISSING;
        return verdict;
    }
    if (!std::filesystem::is_regular_file(status)) {
        verdict.fault = IMAGE_NOT_REGULAR;
        return verdict;
    }
    const std::optional<lpr::NativeFile> file = lpr::OpenRegularFile(path);
    if (!file) {
        verdict.fault = IMAGE_UNREADABLE;
        return verdict;
    }
    const std::optional<lpr::FileStamp> stamp = lpr::StampOf(*file);
    if (stamp) {
        std::lock_guard<std::mutex> guard(g_cacheMutex);
        const auto known = g_cache.find(path);
        if (known != g_cache.end() && known->second.first == *stamp) {
            lpr::CloseNativeFile(*file);
            return known->second.second;
        }
    }
    verdict = stamp ? ReadContent(*file, stamp->size) : ContentVerdict{IMAGE_UNREADABLE, {}, {}};
    const std::optional<lpr::FileStamp> after = lpr::StampOf(*file);
    lpr::CloseNativeFile(*file);
    // A file that changed while it was read is judged again next time.
    if (stamp && after && *stamp == *after) {
        std::lock_guard<std::mutex> guard(g_cacheMutex);
        g_cache[path] = {*stamp, verdict};
    }
    return verdict;
}

std::string FolderOf(const std::string& path) {
    const std::size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

} // namespace

bool VersionOlder(const int32_t a[4], const int32_t b[4]) {
    return std::lexicographical_compare(a, a + 4, b, b + 4);
}

ImageVerdict CheckImage(const std::string& path, const int32_t cameraVersion[4]) {
    ImageVerdict verdict;
    verdict.fileName = ImageFileName(path);
    const ImageFolderPromise* promise = FolderPromiseOf(path);
    if (promise == nullptr) {
        verdict.fault = path.empty() ? IMAGE_MISSING : IMAGE_UNKNOWN_FOLDER;
        return verdict;
    }
    verdict.binCount = CountImages(FolderOf(path));
    if (verdict.binCount > 1) {
        verdict.fault = IMAGE_SEVERAL;
        return verdict;
    }
    const ContentVerdict content = CheckContent(path);
    verdict.fault = content.fault;
    verdict.platform = content.platform;
    std::copy(content.target, content.target + 4, verdict.target);
    if (verdict.fault != IMAGE_OK) {
        return verdict;
    }
    if (content.platform != promise->platform) {
        verdict.fault = IMAGE_WRONG_PLATFORM;
    } else if (!std::equal(promise->target, promise->target + 3, content.target)) {
        verdict.fault = IMAGE_WRONG_TARGET;
    } else if (VersionOlder(content.target, cameraVersion)) {
        verdict.fault = IMAGE_OLDER_TARGET;
    }
    return verdict;
}

ImageVerdict CheckImages(const std::vector<std::string>& paths, const int32_t cameraVersion[4]) {
    ImageVerdict verdict;
    for (const std::string& path : paths) {
        verdict = CheckImage(path, cameraVersion);
        if (verdict.fault != IMAGE_OK) {
            break;
        }
    }
    return verdict;
}
