// One JSON line per finished upgrade in "upgrade_history.jsonl" beside the
// program, so that a technician can see afterwards what was done to which
// camera, across runs of the window and the command line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct HistoryEntry {
    std::string time; // TimeText of the result
    std::string address;
    int32_t port = 0;
    std::string versionBefore; // "" when it was not read
    std::string versionAfter;
    std::string versionExpected;     // the last image's target; "" when none was chosen
    bool verified = false;           // versionAfter was read once the camera was back
    std::vector<std::string> images; // file names whose transfer was started, in order
    int32_t code = 0;                // UPGRADE_OK or UPGRADE_ERR_*
    std::string text;                // the operator's result text
    std::string detail;              // the facts beside it ("" when none)
    int64_t durationMs = 0;
    bool started = true; // false: the batch was stopped before this camera's turn
    int32_t attempt = 1; // the try this line is about (retries count up from 1)
    std::string batch;   // the batch's id ("" outside a journalled batch)
};

// The history line of a camera that a stopped batch did not start.
bool RecordNotStarted(const std::string& address, int32_t port);

inline constexpr char HISTORY_FILE_NAME[] = "upgrade_history.jsonl";

// Program folder + separator + HISTORY_FILE_NAME.
std::string HistoryPath();

// The entry as one JSON object and a line break.
std::string HistoryLine(const HistoryEntry& entry);

// Appends the line with a single write, under a process-wide lock and in
// append mode, so that lines of concurrent workers never interleave; a line
// is never glued onto a damaged end. False when the file cannot be written
// (counted in ReportWriteFailuresSoFar); the upgrade does not depend on it.
bool AppendUpgradeHistory(const HistoryEntry& entry);
