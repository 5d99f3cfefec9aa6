// The operations of lprctl, each returning the program's exit code. They use
// the camera SDK table only, like every other client of it.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

namespace lprctl {

// Exit codes; listed in --help and docs/lprctl.md.
enum ExitCode : int {
    kOk = 0,
    kUsage = 1,          // bad arguments
    kNoLogin = 2,        // cannot connect or log in
    kCameraFailed = 3,   // the camera refused or failed the operation
    kUpgradeFailed = 4,  // the camera reported the upgrade failed
    kConnectionLost = 5, // the connection broke before an outcome was seen
    kImageUnreadable = 6,
    kTimedOut = 7,
    kNothingFound = 8,
};

struct Target {
    std::string address;
    uint16_t port = 80;
    std::string user = "admin";
    std::string password = "ploma";
};

// "a.b.c.d" or "a.b.c.d:port"; nothing when either part is not valid, and
// then `error`, when given, names the fault.
std::optional<Target> ParseTarget(const std::string& text, std::string* error = nullptr);

// The protocol's text for an upgrade error code, in the language of the run.
std::string ErrorText(int32_t code);

int Search(int seconds, std::ostream& out, std::ostream& err);
int ShowVersion(const Target& target, std::ostream& out, std::ostream& err);
int Upgrade(const Target& target, const std::string& image, bool waitRestart, int timeoutSeconds,
            std::ostream& out, std::ostream& err);
int Reboot(const Target& target, bool wait, std::ostream& out, std::ostream& err);
int Shell(const Target& target, const std::string& command, std::ostream& out, std::ostream& err);

} // namespace lprctl
