#pragma once

#include <map>
#include <string>
#include <vector>

namespace camsim {

// What the four maintenance commands act on. Nothing here touches the host.
struct ShellState {
    std::vector<std::string> boaLogs{"boa.log", "boa_error.log"};
    std::vector<std::string> ivsFiles{"ivs_record.db", "ivs_record.db-journal", "ivs_index.dat"};
    bool feeddogRunning = false;
    bool avServerRunning = true;
};

struct ShellResult {
    int exit = 0;
    std::string output;
    std::string effect; // what it did to the camera's state, for the event log
};

// Runs one command on the emulated state. Commands are matched after
// trimming surrounding blanks, so "rm /mnt/log/ivs* " and "rm /mnt/log/ivs*"
// are the same command. A configured failure (exact or trimmed text) answers
// its exit code and leaves the state untouched; unknown commands answer 127.
ShellResult runShellCommand(ShellState& state, const std::string& command,
                            const std::map<std::string, int>& failures);

// What a camera's state looks like after it boots again.
void rebootShellState(ShellState& state);

} // namespace camsim
