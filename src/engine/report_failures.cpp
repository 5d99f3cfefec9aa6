#include "engine/report_failures.h"

#include <mutex>
#include <system_error>

namespace {

std::mutex g_failuresMutex;
ReportWriteFailures g_failures;

} // namespace

void NoteReportWriteFailure(const std::string& path, int error) {
    // Not strerror: workers call this at the same time.
    const std::string reason = std::generic_category().message(error);
    std::lock_guard<std::mutex> guard(g_failuresMutex);
    ++g_failures.count;
    g_failures.path = path;
    g_failures.reason = reason;
}

ReportWriteFailures ReportWriteFailuresSoFar() {
    std::lock_guard<std::mutex> guard(g_failuresMutex);
    return g_failures;
}
