#include "lprctl_commands.h"

#include "netaddr/dotted_ipv4.h"
#include "osa/osa_path.h"
#include "sdk/lpr_sdk.h"
#include "tool_text.h"

#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <ostream>
#include <thread>
#include <vector>

namespace lprctl {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
using tool_text::Fill;
using tool_text::translate;

const LprSdk& Sdk() {
    return LprSdkActive();
}

// Restart waits of the tool: about what the upgrade sequence allows.
constexpr auto kRestartWait = 330s;
constexpr auto kPollGap = 500ms;

std::string Describe(const Target& target) {
    return target.address + ":" + std::to_string(target.port);
}

// A logged-in handle, closed on every path.
class Session {
public:
    Session(const Target& target, std::ostream& err)
        : handle_(Sdk().LprOpen(target.address.c_str(), target.port, target.user.c_str(),
                                target.password.c_str())) {
        if (handle_ == nullptr) {
            err << "lprctl: "
                << Fill(
                       translate("lprctl",
                                 "cannot log in to %1 (no answer, or wrong user name or password)"),
                       {Describe(target)})
                << "\n";
        }
    }
    ~Session() {
        if (handle_ != nullptr) {
            Sdk().LprClose(handle_);
        }
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    LprHandle Handle() const { return handle_; }

private:
    LprHandle handle_;
};

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

bool WaitConnected(LprHandle handle, Clock::duration limit) {
    auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
        uint8_t status[2] = {0, 0};
        Sdk().LprIsConnected(handle, status);
        if (status[0] == 1) {
            return true;
        }
        std::this_thread::sleep_for(1s);
    }
    return false;
}

// Restarts the camera and, when asked, waits until it answers again.
int Restart(const Target& target, LprHandle handle, bool wait, std::ostream& out,
            std::ostream& err) {
    if (Sdk().LprReboot(handle) != 0) {
        err << "lprctl: " << Fill(translate("lprctl", "%1 refused to restart"), {Describe(target)})
            << "\n";
        return kCameraFailed;
    }
    out << translate("lprctl", "restarting") << "\n";
    if (!wait) {
        return kOk;
    }
    out.flush();
    std::this_thread::sleep_for(1s);
    if (!WaitConnected(handle, kRestartWait)) {
        err << "lprctl: "
            << Fill(translate("lprctl", "%1 did not come back after its restart"),
                    {Describe(target)})
            << "\n";
        return kTimedOut;
    }
    return kOk;
}

struct Found {
    std::mutex mutex;
    std::vector<std::pair<std::string, uint32_t>> cameras;
};

void OnFound(uint32_t, const char* address, uint32_t port, uint32_t, uint32_t, uint32_t,
             void* user) {
    auto* found = static_cast<Found*>(user);
    std::lock_guard<std::mutex> lock(found->mutex);
    found->cameras.emplace_back(address, port & 0xffff);
}

} // namespace

std::optional<Target> ParseTarget(const std::string& text, std::string* error) {
    const std::optional<netaddr::Ipv4Address> parsed = netaddr::ParseIpv4WithPort(text, error);
    if (!parsed) {
        return std::nullopt;
    }
    Target target;
    target.address = netaddr::FormatIpv4(parsed->value);
    if (parsed->port != 0) {
        target.port = parsed->port;
    }
    return target;
}

std::string ErrorText(int32_t code) {
    switch (code) {
    case 1:
        return translate("lprctl", "the image file on this computer cannot be read");
    case 2:
        return translate("lprctl", "cannot connect to the camera, or not logged in");
    case 3:
        return translate("lprctl",
                         "connection lost during or after the upload, before an outcome was seen");
    case 4:
        return translate("lprctl", "not a valid image");
    case 5:
        return translate("lprctl", "length or checksum mismatch");
    case 6:
        return translate("lprctl", "image is for another platform");
    case 7:
        return translate("lprctl", "image already installed");
    case 8:
        return translate("lprctl", "flash write failed");
    case 9:
        return translate("lprctl", "busy: an upload is already flashing");
    case 10:
        return translate("lprctl", "the camera did not answer in time");
    default:
        return translate("lprctl", "unknown error");
    }
}

int Search(int seconds, std::ostream& out, std::ostream& err) {
    Found found;
    if (Sdk().LprStartFindDevice(OnFound, &found) != 0) {
        err << "lprctl: " << translate("lprctl", "cannot start a search (no UDP socket)") << "\n";
        return kCameraFailed;
    }
    std::size_t printed = 0;
    const auto printNew = [&] {
        for (; printed < found.cameras.size(); ++printed) {
            out << found.cameras[printed].first << ":" << found.cameras[printed].second << "\n";
        }
    };
    auto deadline = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < deadline) {
        std::this_thread::sleep_for(100ms);
        std::lock_guard<std::mutex> lock(found.mutex);
        printNew();
        out.flush();
    }
    Sdk().LprStopFindDevice();
    // The search thread has ended: nothing else touches the list now.
    printNew();
    if (found.cameras.empty()) {
        err << "lprctl: "
            << Fill(translate("lprctl", "no camera answered within %1 s"),
                    {std::to_string(seconds)})
            << "\n";
        return kNothingFound;
    }
    err << Fill(translate("lprctl", "%1 camera(s) found"), {std::to_string(found.cameras.size())})
        << "\n";
    return kOk;
}

int ShowVersion(const Target& target, std::ostream& out, std::ostream& err) {
    Session session(target, err);
    if (session.Handle() == nullptr) {
        return kNoLogin;
    }
    int32_t v[4] = {0, 0, 0, 0};
    if (Sdk().LprGetVersion(session.Handle(), &v[0], &v[1], &v[2], &v[3]) != 0) {
        err << "lprctl: "
            << Fill(translate("lprctl", "%1 did not tell its version"), {Describe(target)}) << "\n";
        return kCameraFailed;
    }
    out << v[0] << "." << v[1] << "." << v[2] << "." << v[3] << "\n";
    return kOk;
}

int Upgrade(const Target& target, const std::string& image, bool waitRestart, int timeoutSeconds,
            std::ostream& out, std::ostream& err) {
    if (std::FILE* file = OSA_fileOpen(image, "rb")) {
        std::fclose(file);
    } else {
        err << "lprctl: " << Fill(translate("lprctl", "cannot read the image file %1"), {image})
            << "\n";
        return kImageUnreadable;
    }
    Session session(target, err);
    if (session.Handle() == nullptr) {
        return kNoLogin;
    }
    LprHandle handle = session.Handle();
    auto started = Clock::now();
    if (Sdk().LprUpdateStart(handle, image.c_str()) == -1) {
        err << "lprctl: " << Fill(translate("lprctl", "cannot read the image file %1"), {image})
            << "\n";
        return kImageUnreadable;
    }
    auto deadline = started + std::chrono::seconds(timeoutSeconds);
    int32_t shown = 0;
    int32_t state = 0;
    for (;;) {
        state = Sdk().LprUpdateGetState(handle);
        if (state != shown &&
            (state == LPR_UPDATE_STATE_SENDING || state == LPR_UPDATE_STATE_FLASHING)) {
            const std::string elapsed = std::to_string(static_cast<int>(Seconds(started)));
            out << Fill(state == LPR_UPDATE_STATE_SENDING ? translate("lprctl", "sending (%1 s)")
                                                          : translate("lprctl", "flashing (%1 s)"),
                        {elapsed})
                << "\n";
            out.flush();
            shown = state;
        }
        if (state == LPR_UPDATE_STATE_DONE || state == LPR_UPDATE_STATE_FAILED ||
            state == LPR_UPDATE_STATE_TRANSPORT_FAILED) {
            break;
        }
        if (Clock::now() >= deadline) {
            err << "lprctl: "
                << Fill(translate("lprctl", "no outcome within %1 s"),
                        {std::to_string(timeoutSeconds)})
                << "\n";
            return kTimedOut;
        }
        std::this_thread::sleep_for(kPollGap);
    }
    if (state != LPR_UPDATE_STATE_DONE) {
        int32_t code = Sdk().LprUpdateGetError();
        err << "lprctl: "
            << Fill(translate("lprctl", "upgrade of %1 failed: %2 (error %3)"),
                    {Describe(target), ErrorText(code), std::to_string(code)})
            << "\n";
        if (state == LPR_UPDATE_STATE_TRANSPORT_FAILED && code == LPR_ERR_CONNECTION_LOST) {
            err << "lprctl: "
                << translate("lprctl", "a camera that restarts by itself after flashing (HS3516) "
                                       "ends this way; read its version once it is back")
                << "\n";
        }
        if (state == LPR_UPDATE_STATE_FAILED) {
            return kUpgradeFailed;
        }
        return code == LPR_ERR_TIMEOUT ? kTimedOut : kConnectionLost;
    }
    out << Fill(translate("lprctl", "done (%1 s)"),
                {std::to_string(static_cast<int>(Seconds(started)))})
        << "\n";
    if (!waitRestart) {
        out << Fill(translate("lprctl",
                              "the new version runs after the next restart (lprctl reboot %1)"),
                    {Describe(target)})
            << "\n";
        return kOk;
    }
    if (int code = Restart(target, handle, true, out, err); code != kOk) {
        return code;
    }
    int32_t v[4] = {0, 0, 0, 0};
    if (Sdk().LprGetVersion(handle, &v[0], &v[1], &v[2], &v[3]) != 0) {
        err << "lprctl: "
            << Fill(translate("lprctl", "%1 is back but did not tell its version"),
                    {Describe(target)})
            << "\n";
        return kCameraFailed;
    }
    const std::string running = std::to_string(v[0]) + "." + std::to_string(v[1]) + "." +
                                std::to_string(v[2]) + "." + std::to_string(v[3]);
    out << Fill(translate("lprctl", "running %1"), {running}) << "\n";
    return kOk;
}

int Reboot(const Target& target, bool wait, std::ostream& out, std::ostream& err) {
    Session session(target, err);
    if (session.Handle() == nullptr) {
        return kNoLogin;
    }
    if (int code = Restart(target, session.Handle(), wait, out, err); code != kOk || !wait) {
        return code;
    }
    out << translate("lprctl", "back") << "\n";
    return kOk;
}

int Shell(const Target& target, const std::string& command, std::ostream& out, std::ostream& err) {
    if (command.empty() || command.size() > 256) {
        err << "lprctl: " << translate("lprctl", "a shell command has 1 to 256 bytes") << "\n";
        return kUsage;
    }
    // The shell call finds the camera through this handle's address.
    Session session(target, err);
    if (session.Handle() == nullptr) {
        return kNoLogin;
    }
    if (Sdk().RemoteShellExec(target.address.c_str(), command.c_str()) != 0) {
        err << "lprctl: "
            << Fill(translate(
                        "lprctl",
                        "the command failed on %1 (nonzero exit, unknown command, or no answer)"),
                    {Describe(target)})
            << "\n";
        return kCameraFailed;
    }
    out << translate("lprctl", "ok") << "\n";
    return kOk;
}

} // namespace lprctl
