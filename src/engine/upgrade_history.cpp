#include "engine/upgrade_history.h"

#include "engine/note_texts.h"
#include "engine/program_folder.h"
#include "engine/report_failures.h"
#include "engine/report_rows.h"
#include "engine/upgrade_codes.h"
#include "osa/osa_path.h"

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <mutex>

namespace {

std::mutex g_historyMutex;

} // namespace

std::string HistoryPath() {
    const char separator = std::filesystem::path::preferred_separator;
    return GetProgramFolder() + separator + HISTORY_FILE_NAME;
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
           ", \"version_after\": " + JsonQuote(entry.versionAfter) +
           ", \"version_expected\": " + JsonQuote(entry.versionExpected) +
           ", \"verified\": " + (entry.verified ? "true" : "false") + ", \"images\": " + images +
           ", \"code\": " + std::to_string(entry.code) + ", \"text\": " + JsonQuote(entry.text) +
           ", \"detail\": " + JsonQuote(entry.detail) +
           ", \"duration_ms\": " + std::to_string(entry.durationMs) +
           ", \"started\": " + (entry.started ? "true" : "false") +
           ", \"attempt\": " + std::to_string(entry.attempt) +
           ", \"batch\": " + JsonQuote(entry.batch) + "}\n";
}

bool AppendUpgradeHistory(const HistoryEntry& entry) {
    const std::string line = HistoryLine(entry);
    const std::string path = HistoryPath();
    std::lock_guard<std::mutex> guard(g_historyMutex);
    // One appending write keeps lines whole against other processes too (the
    // window and the command line may share a program folder).
    if (!OSA_fileAppendLine(path, line, "\n")) {
        NoteReportWriteFailure(path, errno);
        return false;
    }
    return true;
}

bool RecordNotStarted(const std::string& address, int32_t port) {
    HistoryEntry entry;
    entry.time = TimeText(std::chrono::system_clock::now());
    entry.address = address;
    entry.port = port;
    entry.code = UPGRADE_NOT_STARTED;
    entry.text = ResultText(0, UPGRADE_NOT_STARTED);
    entry.started = false;
    return AppendUpgradeHistory(entry);
}
