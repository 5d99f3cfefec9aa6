// Ctrl+C and termination requests while a batch runs: the first asks the
// batch to stop (the main loop looks at StopSignalSeen), the second ends the
// process at once with 128 + the signal's number (130 for SIGINT, 143 for
// SIGTERM; on Windows 130 for Ctrl+C, 143 for Ctrl+Break and closing the
// console).
#pragma once

// Installs the handlers; they stay until the guard goes.
class StopSignalGuard {
public:
    StopSignalGuard();
    ~StopSignalGuard();
    StopSignalGuard(const StopSignalGuard&) = delete;
    StopSignalGuard& operator=(const StopSignalGuard&) = delete;
};

// True once a first stop request has come.
bool StopSignalSeen();
