// The CSV of `tolvane-cli upgrade --csv`, kept up to date while the batch
// runs: each write goes to a temporary file that then replaces the target,
// so the target always holds a whole CSV of the cameras finished so far,
// whenever and however the run ends.
#pragma once

#include "engine/report_rows.h"

#include <chrono>
#include <string>
#include <vector>

// Checks, before anything is sent, that `path` may be written: not the
// history, a camera's log or anything inside UpdateFiles (an upgrade's own
// records and images), not a folder, and in a folder where a file can be
// made. "" when it may, else the reason. Anything but a regular file (a
// device, a pipe) is refused, as it would be replaced rather than written.
std::string CsvPathProblem(const std::string& path);

// The file that writing `path` replaces: the one a symbolic link names.
std::string CsvTargetPath(const std::string& path);

class CsvReport {
public:
    using Clock = std::chrono::steady_clock;

    explicit CsvReport(const std::string& path)
        : m_path(path.empty() ? path : CsvTargetPath(path)) {}

    // The rows changed: rewrites the file now, or, when the previous write
    // was recent against the time it took (a very large batch), at the next
    // call from WriteDue() on.
    void Update(const std::vector<ResultRow>& rows);
    // The last write of the run, whatever the timing. False when the file
    // does not hold every row.
    bool Finish(const std::vector<ResultRow>& rows);
    // When a postponed write is due; Clock::time_point::max() when none is.
    Clock::time_point WriteDue() const;

private:
    bool Write(const std::vector<ResultRow>& rows);

    std::string m_path;
    bool m_pending = false;
    bool m_warned = false;
    bool m_lastOk = true;
    Clock::time_point m_lastWrite{};
    Clock::duration m_lastCost{};
};
