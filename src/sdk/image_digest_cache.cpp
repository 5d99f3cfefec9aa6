#include "sdk/image_digest_cache.h"

#include "sdk/hashing.h"

#include <deque>
#include <mutex>

namespace lpr {
namespace {

// A few images are in use at a time (one per catalogue folder).
constexpr std::size_t kRemembered = 16;
// File times tick coarsely (a few ms): a file changed this recently could
// change again without its times moving, so it is hashed afresh every time.
constexpr int64_t kSettledNs = 2'000'000'000;

struct Entry {
    FileStamp stamp;
    std::string sha;
};

std::mutex g_mutex;
std::deque<Entry> g_entries; // newest first

// Whole seconds, as the stamps' seconds compare: a file changed within the
// last two full seconds is not settled.
bool Settled(const FileStamp& stamp) {
    constexpr int64_t kSecond = 1'000'000'000;
    int64_t now = WallClockNs() / kSecond;
    return now - stamp.changedNs / kSecond > kSettledNs / kSecond &&
           now - stamp.modifiedNs / kSecond > kSettledNs / kSecond;
}

} // namespace

std::optional<std::string> ImageSha256(NativeFile file, uint64_t& size,
                                       const std::atomic<bool>* cancelled) {
    std::optional<FileStamp> before = StampOf(file);
    if (before) {
        std::lock_guard<std::mutex> lock(g_mutex);
        for (const Entry& entry : g_entries) {
            if (entry.stamp == *before) {
                size = before->size;
                return entry.sha;
            }
        }
    }
    std::optional<std::string> sha = Sha256OfFile(file, size, cancelled);
    std::optional<FileStamp> after = StampOf(file);
    if (sha && before && after && *before == *after && Settled(*after) && size == after->size) {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_entries.push_front(Entry{*after, *sha});
        if (g_entries.size() > kRemembered) {
            g_entries.pop_back();
        }
    }
    return sha;
}

} // namespace lpr
