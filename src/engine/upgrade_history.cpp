#include "engine/upgrade_history.h"

#include "engine/program_folder.h"
#include "engine/report_rows.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <unistd.h>

namespace {

std::mutex g_historyMutex;

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

std::string HistoryPath() {
    return GetProgramFolder() + std::filesystem::path::preferred_separator + HISTORY_FILE_NAME;
}

std::string HistoryLine(const HistoryEntry& entry) {
    std::string images = "[";
    for (size_t i = 0; i < entry.images.size(); ++i) {
        images += (i ? ", " : "") + JsonQuote(entry.images[i]);
    }
    images += "]";
    return "{\"time\": " + JsonQuote(entry.time) + ", \"address\": " + JsonQuote(entry.address) +
           ", \"port\": " + std::to_string(entry.port) +
           ", \"version_before\": " + JsonQuote(entry.versionBefore) +
           ", \"version_after\": " + JsonQuote(entry.versionAfter) + ", \"images\": " + images +
           ", \"code\": " + std::to_string(entry.code) + ", \"text\": " + JsonQuote(entry.text) +
           ", \"duration_ms\": " + std::to_string(entry.durationMs) + "}\n";
}

bool AppendUpgradeHistory(const HistoryEntry& entry) {
    const std::string line = HistoryLine(entry);
    std::lock_guard<std::mutex> guard(g_historyMutex);
    // O_APPEND keeps lines whole against other processes too (the window and
    // the command line may share a program folder).
    const int fd = ::open(HistoryPath().c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    const bool written = WriteAll(fd, line);
    return ::close(fd) == 0 && written;
}
