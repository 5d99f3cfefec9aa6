// Writes of the history and the per-camera logs that failed. The upgrade
// goes on without them, but a technician must learn that the record of it
// is incomplete: the front ends read this after a batch and say so.
#pragma once

#include <cstdint>
#include <string>

struct ReportWriteFailures {
    uint64_t count = 0; // failed writes since the program started
    std::string path;   // the latest one's file
    std::string reason; // and why it failed
};

// Counts a failed write of `path`; `error` is the errno value it left.
void NoteReportWriteFailure(const std::string& path, int error);

ReportWriteFailures ReportWriteFailuresSoFar();
