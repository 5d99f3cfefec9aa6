#include "engine/upgrade_log.h"

#include "engine/program_folder.h"
#include "engine/report_failures.h"
#include "netaddr/dotted_ipv4.h"
#include "osa/osa_path.h"

#include <cerrno>
#include <filesystem>
#include <mutex>

namespace {

std::mutex g_appendMutex;

} // namespace

std::string UpdateLogPath(const char* address) {
    const char separator = std::filesystem::path::preferred_separator;
    return GetProgramFolder() + separator + address + "_update.log";
}

void WriteUpdateLog(const char* address, const char* text) {
    if (!netaddr::IsDottedIpv4(address) || text == nullptr) {
        return;
    }
    const std::string path = UpdateLogPath(address);
    if (!AppendTextToFile(path, text)) {
        NoteReportWriteFailure(path, errno);
    }
}

bool AppendTextToFile(const std::string& path, const char* text) {
    if (text == nullptr) {
        return false;
    }
    // Text-mode line breaks of the format: every "\n" becomes CR LF.
    std::string bytes;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p == '\n') {
            bytes += '\r';
        }
        bytes += *p;
    }
    if (bytes.empty()) {
        errno = EINVAL;
        return false;
    }
    std::lock_guard<std::mutex> guard(g_appendMutex);
    return OSA_fileAppendLine(path, bytes, "\r\n");
}
