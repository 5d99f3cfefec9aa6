#include "sdk/image_digest_cache.h"

#include "sdk/hashing.h"

#include <ctime>
#include <deque>
#include <mutex>
#include <sys/stat.h>
#include <tuple>

namespace lpr {
namespace {

// A few images are in use at a time (one per catalogue folder).
constexpr std::size_t kRemembered = 16;
// File times tick coarsely (a few ms): a file changed this recently could
// change again without its times moving, so it is hashed afresh every time.
constexpr time_t kSettledSeconds = 2;

struct FileVersion {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    bool operator==(const FileVersion& other) const {
        return std::tie(device, inode, size, modified.tv_sec, modified.tv_nsec, changed.tv_sec,
                        changed.tv_nsec) == std::tie(other.device, other.inode, other.size,
                                                     other.modified.tv_sec, other.modified.tv_nsec,
                                                     other.changed.tv_sec, other.changed.tv_nsec);
    }
};

std::optional<FileVersion> VersionOf(int fd) {
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        return std::nullopt;
    }
    return FileVersion{info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
}

struct Entry {
    FileVersion version;
    std::string sha;
};

std::mutex g_mutex;
std::deque<Entry> g_entries; // newest first

} // namespace

std::optional<std::string> ImageSha256(int fd, uint64_t& size, const std::atomic<bool>* cancelled) {
    std::optional<FileVersion> before = VersionOf(fd);
    if (before) {
        std::lock_guard<std::mutex> lock(g_mutex);
        for (const Entry& entry : g_entries) {
            if (entry.version == *before) {
                size = static_cast<uint64_t>(before->size);
                return entry.sha;
            }
        }
    }
    std::optional<std::string> sha = Sha256OfFile(fd, size, cancelled);
    std::optional<FileVersion> after = VersionOf(fd);
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    bool settled = after && now.tv_sec - after->changed.tv_sec > kSettledSeconds &&
                   now.tv_sec - after->modified.tv_sec > kSettledSeconds;
    if (sha && before && after && *before == *after && settled &&
        size == static_cast<uint64_t>(after->size)) {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_entries.push_front(Entry{*after, *sha});
        if (g_entries.size() > kRemembered) {
            g_entries.pop_back();
        }
    }
    return sha;
}

} // namespace lpr
