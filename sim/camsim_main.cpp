// camsim: many simulated cameras in one process, each on its own loopback
// address, answering discovery and the control protocol.
#include "camera_config.h"
#include "discovery.h"
#include "event_log.h"
#include "sim_camera.h"
#include "tolvane_version.h"

#include <CLI/CLI.hpp>
#include <asio.hpp>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <sys/resource.h>

namespace {

using camsim::CameraConfig;

struct Options {
    std::string fleetFile;
    unsigned count = 0;
    std::string base = "127.0.0.2";
    CameraConfig camera;
    std::string version = "5.1.7.1";
    std::vector<std::string> shellFail;
    int dropUploadAtPercent = -1;
    int stopAnsweringAfter = -1;
    double timeScale = 1.0;
    std::string eventLog;
    std::string readyFile;
    unsigned discoveryPort = 37810;
    bool allowNonLoopback = false;
};

double defaultTimeScale() {
    if (const char* env = std::getenv("TOLVANE_TIME_SCALE")) {
        char* end = nullptr;
        double v = std::strtod(env, &end);
        if (end != env && *end == '\0' && v > 0) {
            return v;
        }
    }
    return 1.0;
}

unsigned defaultDiscoveryPort() {
    if (const char* env = std::getenv("TOLVANE_DISCOVERY_PORT")) {
        char* end = nullptr;
        long v = std::strtol(env, &end, 10);
        if (end != env && *end == '\0' && v >= 1 && v <= 65535) {
            return static_cast<unsigned>(v);
        }
    }
    return 37810;
}

void raiseFileLimit() {
    // Each camera holds a listener and a discovery socket, plus connections.
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

// Simulated cameras answer anyone with the factory credentials, so by
// default they stay on this computer.
void requireLoopback(const std::vector<CameraConfig>& fleet) {
    for (const CameraConfig& camera : fleet) {
        std::error_code ec;
        asio::ip::address_v4 address = asio::ip::make_address_v4(camera.address, ec);
        if (ec || !address.is_loopback()) {
            throw std::runtime_error(
                "camera " + camera.address +
                ": not a loopback address (127.0.0.0/8); give --allow-non-loopback to serve "
                "cameras on a lab network");
        }
    }
}

std::vector<CameraConfig> buildFleet(const Options& o) {
    std::vector<CameraConfig> fleet;
    if (!o.fleetFile.empty()) {
        std::ifstream in(o.fleetFile);
        if (!in) {
            throw std::runtime_error("cannot read fleet file " + o.fleetFile);
        }
        std::stringstream text;
        text << in.rdbuf();
        fleet = camsim::parseFleet(text.str());
    }
    if (o.count > 0) {
        CameraConfig templ = o.camera;
        auto version = camsim::parseVersion(o.version);
        if (!version) {
            throw std::runtime_error("--version must look like 5.1.7.2");
        }
        templ.version = *version;
        for (const std::string& item : o.shellFail) {
            auto eq = item.rfind('=');
            int code = 1;
            std::string command = item;
            if (eq != std::string::npos) {
                command = item.substr(0, eq);
                try {
                    code = std::stoi(item.substr(eq + 1));
                } catch (const std::exception&) {
                    throw std::runtime_error("--shell-fail wants COMMAND=EXIT, got " + item);
                }
                if (code < 1 || code > 255) {
                    throw std::runtime_error("--shell-fail exit code must be 1..255");
                }
            }
            templ.faults.shellFail[command] = code;
        }
        if (o.dropUploadAtPercent >= 0) {
            templ.faults.dropUploadAtPercent = o.dropUploadAtPercent;
        }
        if (o.stopAnsweringAfter >= 0) {
            templ.faults.stopAnsweringAfter = o.stopAnsweringAfter;
        }
        for (unsigned i = 0; i < o.count; ++i) {
            CameraConfig c = templ;
            c.address = camsim::addressAfter(o.base, i);
            fleet.push_back(std::move(c));
        }
    }
    camsim::validateFleet(fleet);
    if (!o.allowNonLoopback) {
        requireLoopback(fleet);
    }
    return fleet;
}

void writeReadyFile(const std::string& path, const std::string& text) {
    std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::trunc);
        out << text;
        if (!out) {
            throw std::runtime_error("cannot write " + temp);
        }
    }
    std::filesystem::rename(temp, path);
}

void addCameraOptions(CLI::App& app, Options& o) {
    app.add_option("--fleet", o.fleetFile, "JSON fleet file (see docs/camsim.md)");
    app.add_option("--count", o.count, "number of cameras made from the flags below");
    app.add_option("--base", o.base, "address of the first flag-made camera");
    app.add_option("--port", o.camera.port, "TCP port of each flag-made camera")
        ->check(CLI::Range(1, 65535));
    app.add_option("--version", o.version,
                   "firmware version a.b.c.d; alone, camsim's own version is printed");
    app.add_option("--platform", o.camera.platform,
                   "DM3730, DM8127 or HS3516 (default: from the version)");
    app.add_option("--model", o.camera.model, "model text");
    app.add_option("--user", o.camera.user, "user name");
    app.add_option("--password", o.camera.password, "password");
    app.add_option("--restart-ms", o.camera.restartMs, "restart time")
        ->check(CLI::Range(0, 86400000));
    app.add_option("--flash-ms", o.camera.flashMs, "flash time")->check(CLI::Range(0, 86400000));
    app.add_option("--upload-kib-s", o.camera.uploadKibPerSec, "upload speed, 0 = unlimited")
        ->check(CLI::Range(0, 100000000));
}

void addFaultOptions(CLI::App& app, Options& o) {
    camsim::CameraFaults& f = o.camera.faults;
    app.add_flag("--refuse-login", f.refuseLogin, "fault: refuse every log-in");
    app.add_option("--version-unreadable-reads", f.versionUnreadableReads,
                   "fault: this many device reads answer 503")
        ->check(CLI::Range(0, 1000000));
    app.add_option("--version-unreadable-after", f.versionReadableFirst,
                   "good device reads before the unreadable ones")
        ->check(CLI::Range(0, 1000000));
    app.add_option("--version-unreadable-after-flash", f.versionUnreadableAfterFlash,
                   "fault: after a restart into a flashed version, reads 2..N+1 answer 503")
        ->check(CLI::Range(0, 1000000));
    app.add_flag("--fourth-zero", f.fourthZero, "fault: version's fourth number is 0");
    app.add_option("--shell-fail", o.shellFail, "fault: COMMAND=EXIT (repeatable)");
    app.add_flag("--flash-fail", f.flashFail, "fault: flashing fails (error 8)");
    app.add_flag("--flash-no-effect", f.flashNoEffect,
                 "fault: flashing says done, the old version stays");
    app.add_flag("--no-return-after-restart", f.noReturnAfterRestart,
                 "fault: stays down after a restart");
    app.add_flag("--replaced-after-restart", f.replacedAfterRestart,
                 "fault: another device (DM8127, another serial) answers after the first restart");
    app.add_flag("--silent-while-flashing", f.silentWhileFlashing,
                 "fault: answers no request while flashing");
    app.add_option("--drop-upload-at-percent", o.dropUploadAtPercent,
                   "fault: drop the connection at this share of an upload")
        ->check(CLI::Range(0, 99));
    app.add_flag("--stop-answering", f.stopAnswering, "fault: accept connections but never answer");
    app.add_option("--stop-answering-after", o.stopAnsweringAfter,
                   "fault: answer this many requests, then go silent")
        ->check(CLI::Range(0, 1000000));
    app.add_option("--trickle-ms", f.trickleMs, "fault: send answers one byte per this many ms")
        ->check(CLI::Range(0, 10000));
}

void addRunOptions(CLI::App& app, Options& o) {
    app.add_option("--time-scale", o.timeScale,
                   "factor on restart, flash and upload times (default $TOLVANE_TIME_SCALE or 1)")
        ->check(CLI::PositiveNumber);
    app.add_option("--event-log", o.eventLog, "JSON-lines event log file");
    app.add_option("--ready-file", o.readyFile, "file written once every camera listens");
    app.add_option("--discovery-port", o.discoveryPort,
                   "UDP discovery port, 0 for any free one (default $TOLVANE_DISCOVERY_PORT "
                   "or 37810)")
        ->check(CLI::Range(0, 65535));
    app.add_flag("--allow-non-loopback", o.allowNonLoopback,
                 "serve cameras on addresses outside 127.0.0.0/8 (lab networks)");
}

// Every camera of the fleet on one single-threaded io_context.
struct Simulator {
    asio::io_context io{1};
    camsim::EventLog log;
    std::vector<std::unique_ptr<camsim::SimCamera>> cameras;
    std::unique_ptr<asio::ip::udp::socket> wildcard;
    std::unique_ptr<camsim::ProbeReceiver> broadcastProbes;

    // Starts every camera and returns the listing with its ready line; throws
    // when a socket cannot be had. `o.discoveryPort` becomes the port in use.
    std::string start(std::vector<CameraConfig>& fleet, Options& o) {
        wildcard = camsim::openWildcardDiscoverySocket(
            io, static_cast<std::uint16_t>(o.discoveryPort), !o.allowNonLoopback);
        // Port 0 asks the system for a free port; the cameras' own sockets,
        // the listing and the ready file then use the one it gave.
        const std::uint16_t port = wildcard->local_endpoint().port();
        o.discoveryPort = port;
        std::ostringstream listing;
        std::vector<camsim::SimCamera*> all;
        for (CameraConfig& config : fleet) {
            cameras.push_back(std::make_unique<camsim::SimCamera>(io, config, o.timeScale, log));
            try {
                cameras.back()->start(port);
            } catch (const std::system_error& e) {
                throw std::runtime_error(config.address + ":" + std::to_string(config.port) + ": " +
                                         e.what());
            }
            all.push_back(cameras.back().get());
            listing << "camera " << config.address << ":" << config.port << " " << config.platform
                    << " " << camsim::formatVersion(config.version) << "\n";
        }
        broadcastProbes = std::make_unique<camsim::ProbeReceiver>(*wildcard, all);
        broadcastProbes->start();
        listing << "ready " << cameras.size() << " cameras, discovery port " << port << "\n";
        return listing.str();
    }

    // Serves until SIGINT or SIGTERM, then closes every socket.
    void runUntilSignal() {
        asio::signal_set signals(io, SIGINT, SIGTERM);
        signals.async_wait([&](std::error_code ec, int) {
            if (ec) {
                return;
            }
            for (auto& camera : cameras) {
                camera->stop();
            }
            std::error_code ignored;
            wildcard->close(ignored);
            io.stop();
        });
        io.run();
    }
};

} // namespace

int main(int argc, char** argv) {
    // --version names the cameras' firmware; without a value and alone it
    // asks for the program's, which used to be an error.
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::cout << "camsim " TOLVANE_VERSION "\n";
        return 0;
    }
    Options o;
    o.timeScale = defaultTimeScale();
    o.discoveryPort = defaultDiscoveryPort();
    CLI::App app{"camsim: simulated licence-plate cameras on loopback addresses"};
    app.option_defaults()->always_capture_default();
    addCameraOptions(app, o);
    addFaultOptions(app, o);
    addRunOptions(app, o);
    CLI11_PARSE(app, argc, argv);

    std::vector<CameraConfig> fleet;
    try {
        fleet = buildFleet(o);
    } catch (const std::exception& e) {
        std::cerr << "camsim: " << e.what() << "\n";
        return 2;
    }
    if (fleet.empty()) {
        std::cerr << "camsim: no cameras: give --fleet FILE and/or --count N\n";
        return 2;
    }
    raiseFileLimit();
    // A reader of our stdout that has gone away must not end the simulator.
    std::signal(SIGPIPE, SIG_IGN);

    Simulator sim;
    if (!o.eventLog.empty() && !sim.log.open(o.eventLog, o.timeScale)) {
        std::cerr << "camsim: cannot create event log " << o.eventLog << "\n";
        return 2;
    }
    std::string listing;
    try {
        listing = sim.start(fleet, o);
    } catch (const std::exception& e) {
        std::cerr << "camsim: cannot start: " << e.what() << "\n";
        return 1;
    }
    std::cout << listing << std::flush;
    if (!o.readyFile.empty()) {
        try {
            writeReadyFile(o.readyFile, listing);
        } catch (const std::exception& e) {
            std::cerr << "camsim: " << e.what() << "\n";
            return 1;
        }
    }
    sim.runUntilSignal();
    std::cout << "camsim: stopped\n" << std::flush;
    return 0;
}
