#include "maintenance_shell.h"

namespace camsim {
namespace {

std::string trim(const std::string& text) {
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

} // namespace

ShellResult runShellCommand(ShellState& state, const std::string& command,
                            const std::map<std::string, int>& failures) {
    const std::string cmd = trim(command);
    ShellResult result;
    for (const auto& [failing, code] : failures) {
        if (failing == command || trim(failing) == cmd) {
            result.exit = code;
            result.output = cmd + ": failed";
            result.effect = "configured failure";
            return result;
        }
    }
    if (cmd == "rm /mnt/log/boa_log/*") {
        result.effect = "removed " + std::to_string(state.boaLogs.size()) + " boa log file(s)";
        state.boaLogs.clear();
    } else if (cmd == "rm /mnt/log/ivs*") {
        result.effect = "removed " + std::to_string(state.ivsFiles.size()) + " ivs file(s)";
        state.ivsFiles.clear();
    } else if (cmd == "./feeddog &") {
        result.effect = state.feeddogRunning ? "feeddog already running" : "feeddog started";
        state.feeddogRunning = true;
    } else if (cmd == "killall av_server.out") {
        result.effect =
            state.avServerRunning ? "av_server.out stopped" : "av_server.out not running";
        state.avServerRunning = false;
    } else {
        result.exit = 127;
        result.output = "sh: " + cmd + ": not found";
        result.effect = "unknown command";
    }
    return result;
}

void rebootShellState(ShellState& state) {
    // The web server starts a fresh log on boot; records and the watchdog
    // feeder do not survive, the video server comes back.
    if (state.boaLogs.empty()) {
        state.boaLogs.push_back("boa.log");
    }
    state.feeddogRunning = false;
    state.avServerRunning = true;
}

} // namespace camsim
