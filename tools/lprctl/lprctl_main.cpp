// lprctl: a technician's command line for one camera at a time.
#include "lprctl_commands.h"
#include "sdk/lpr_sdk.h"

#include <CLI/CLI.hpp>
#include <iostream>

namespace {

const char kExitCodes[] = R"(
Exit codes:
  0  success
  1  bad arguments
  2  cannot connect or log in (address, port, user name, password)
  3  the camera refused or failed the operation
  4  the camera reported that the upgrade failed
  5  the connection broke before the outcome of an upgrade was seen
  6  the image file cannot be read
  7  timed out waiting for the camera
  8  search: no camera answered)";

// Validates ADDR[:PORT] while parsing, so a bad one is a usage error.
CLI::Validator TargetText() {
    return CLI::Validator(
        [](std::string& text) {
            std::string fault;
            return lprctl::ParseTarget(text, &fault)
                       ? std::string()
                       : "'" + text + "': " + fault + " (expected a.b.c.d or a.b.c.d:port)";
        },
        "ADDR[:PORT]");
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"lprctl: search, read, upgrade, restart and run shell commands on cameras"};
    app.footer(kExitCodes);
    app.require_subcommand(1);

    std::string address;
    std::string user = "admin";
    std::string password = "ploma";
    auto addCredentials = [&](CLI::App* command) {
        command->add_option("ADDR", address, "camera address, port 80 unless given")
            ->required()
            ->check(TargetText());
        command->add_option("--user", user, "user name")->capture_default_str();
        command->add_option("--password", password, "password")->capture_default_str();
    };

    int seconds = 3;
    auto* search = app.add_subcommand("search", "list the cameras that answer a search");
    search->add_option("--seconds", seconds, "how long to listen")
        ->check(CLI::Range(1, 3600))
        ->capture_default_str();

    auto* version = app.add_subcommand("version", "print a camera's firmware version");
    addCredentials(version);

    std::string image;
    bool waitRestart = false;
    int timeout = 900;
    auto* upgrade = app.add_subcommand("upgrade", "send one image and follow the flashing");
    addCredentials(upgrade);
    upgrade->add_option("IMAGE", image, "image file (.bin)")->required();
    upgrade->add_flag("--wait-restart", waitRestart,
                      "restart the camera when done and wait until it is back");
    upgrade->add_option("--timeout", timeout, "seconds to wait for the outcome")
        ->check(CLI::Range(10, 86400))
        ->capture_default_str();

    bool waitBack = false;
    auto* reboot = app.add_subcommand("reboot", "restart a camera");
    addCredentials(reboot);
    reboot->add_flag("--wait", waitBack, "wait until the camera is back");

    std::string command;
    auto* shell = app.add_subcommand("shell", "run one maintenance shell command");
    addCredentials(shell);
    shell->add_option("COMMAND", command, "the command, at most 256 bytes")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        int code = app.exit(e);
        return code == 0 ? lprctl::kOk : lprctl::kUsage;
    }

    const LprSdk& sdk = LprSdkActive();
    sdk.LprSetup();
    int result = lprctl::kUsage;
    std::optional<lprctl::Target> target = lprctl::ParseTarget(address);
    if (target) {
        target->user = user;
        target->password = password;
    }
    if (search->parsed()) {
        result = lprctl::Search(seconds, std::cout, std::cerr);
    } else if (version->parsed()) {
        result = lprctl::ShowVersion(*target, std::cout, std::cerr);
    } else if (upgrade->parsed()) {
        result = lprctl::Upgrade(*target, image, waitRestart, timeout, std::cout, std::cerr);
    } else if (reboot->parsed()) {
        result = lprctl::Reboot(*target, waitBack, std::cout, std::cerr);
    } else if (shell->parsed()) {
        result = lprctl::Shell(*target, command, std::cout, std::cerr);
    }
    sdk.LprCleanup();
    return result;
}
