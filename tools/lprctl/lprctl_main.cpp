// lprctl: a technician's command line for one camera at a time.
#include "cli_help_text.h"
#include "lprctl_commands.h"
#include "password_input.h"
#include "sdk/lpr_sdk.h"
#include "standard_streams.h"
#include "tolvane_version.h"
#include "tool_text.h"
#include "utf8_arguments.h"

#include <CLI/CLI.hpp>
#include <iostream>

namespace {

using tool_text::Fill;
using tool_text::translate;

// Validates ADDR[:PORT] while parsing, so a bad one is a usage error.
CLI::Validator TargetText() {
    return CLI::Validator(
        [](std::string& text) {
            std::string fault;
            return lprctl::ParseTarget(text, &fault)
                       ? std::string()
                       : Fill(translate("lprctl", "'%1': %2 (expected a.b.c.d or a.b.c.d:port)"),
                              {text, fault});
        },
        "ADDR[:PORT]");
}

struct CommandLine {
    CLI::App app;
    std::string address;
    std::string user = "admin";
    std::string password; // stays empty unless --password is given
    std::string passwordFile;
    std::vector<CLI::Option*> passwordFlags;
    int seconds = 3;
    std::string image;
    bool waitRestart = false;
    int timeout = 900;
    bool waitBack = false;
    std::string command;
    CLI::App* search = nullptr;
    CLI::App* version = nullptr;
    CLI::App* upgrade = nullptr;
    CLI::App* reboot = nullptr;
    CLI::App* shell = nullptr;
};

void AddCredentials(CommandLine& line, CLI::App* command) {
    command
        ->add_option("ADDR", line.address,
                     translate("lprctl", "camera address, port 80 unless given"))
        ->required()
        ->check(TargetText());
    command->add_option("--user", line.user, translate("lprctl", "user name"))
        ->capture_default_str();
    // No default shown: help output must never carry a password.
    line.passwordFlags.push_back(
        command->add_option("--password", line.password, tool_input::PasswordFlagHelp()));
    command->add_option("--password-file", line.passwordFile, tool_input::PasswordFileHelp());
}

// The program's own description, exit codes, --version and --lang.
void SetUpProgram(CommandLine& line) {
    // The same options on every platform: CLI11 on Windows would otherwise
    // take "/path" arguments for "/option" switches. Set before the
    // subcommands, which inherit it.
    line.app.allow_windows_style_options(false);
    tool_text::TranslateCliWords(line.app);
    line.app.description(translate(
        "lprctl", "lprctl: search, read, upgrade, restart and run shell commands on cameras"));
    line.app.footer(translate("lprctl", R"(
Exit codes:
  0  success
  1  bad arguments
  2  cannot connect or log in (address, port, user name, password)
  3  the camera refused or failed the operation
  4  the camera reported that the upgrade failed
  5  the connection broke before the outcome of an upgrade was seen
  6  the image file cannot be read
  7  timed out waiting for the camera
  8  search: no camera answered)"));
    line.app.set_version_flag("--version", "lprctl " TOLVANE_VERSION,
                              translate("tool", "print the version and exit"));
    line.app.require_subcommand(1);
    // --lang may also follow the subcommand.
    line.app.fallthrough();
    tool_text::AddLangOption(line.app);
}

void SetUpOptions(CommandLine& line) {
    SetUpProgram(line);
    line.search = line.app.add_subcommand(
        "search", translate("lprctl", "list the cameras that answer a search"));
    line.search->add_option("--seconds", line.seconds, translate("lprctl", "how long to listen"))
        ->check(CLI::Range(1, 3600))
        ->capture_default_str();

    line.version = line.app.add_subcommand(
        "version", translate("lprctl", "print a camera's firmware version"));
    AddCredentials(line, line.version);

    line.upgrade = line.app.add_subcommand(
        "upgrade", translate("lprctl", "send one image and follow the flashing"));
    AddCredentials(line, line.upgrade);
    line.upgrade->add_option("IMAGE", line.image, translate("lprctl", "image file (.bin)"))
        ->required();
    line.upgrade->add_flag(
        "--wait-restart", line.waitRestart,
        translate("lprctl", "restart the camera when done and wait until it is back"));
    line.upgrade
        ->add_option("--timeout", line.timeout,
                     translate("lprctl", "seconds to wait for the outcome"))
        ->check(CLI::Range(10, 86400))
        ->capture_default_str();

    line.reboot = line.app.add_subcommand("reboot", translate("lprctl", "restart a camera"));
    AddCredentials(line, line.reboot);
    line.reboot->add_flag("--wait", line.waitBack,
                          translate("lprctl", "wait until the camera is back"));

    line.shell =
        line.app.add_subcommand("shell", translate("lprctl", "run one maintenance shell command"));
    AddCredentials(line, line.shell);
    line.shell
        ->add_option("COMMAND", line.command, translate("lprctl", "the command, at most 256 bytes"))
        ->required();
    tool_text::TranslateSubcommandGroups(line.app);
}

// The camera to talk to, with its credentials from the flags, a file, the
// environment or a prompt; nothing after a message when they cannot be used.
std::optional<lprctl::Target> ResolveTarget(const CommandLine& line) {
    std::optional<lprctl::Target> target = lprctl::ParseTarget(line.address);
    if (!target) {
        return std::nullopt;
    }
    tool_input::PasswordSources sources;
    for (const CLI::Option* flag : line.passwordFlags) {
        if (flag->count() > 0) {
            sources.flag = line.password;
        }
    }
    sources.file = line.passwordFile;
    sources.fallback = target->password;
    std::string error;
    std::optional<std::string> password = tool_input::ResolvePassword(sources, &error);
    if (!password) {
        std::cerr << "lprctl: " << error << "\n";
        return std::nullopt;
    }
    if (std::string problem = tool_input::CredentialProblem(line.user, *password);
        !problem.empty()) {
        std::cerr << "lprctl: " << problem << "\n";
        return std::nullopt;
    }
    target->user = line.user;
    target->password = *password;
    return target;
}

int Dispatch(const CommandLine& line) {
    if (line.search->parsed()) {
        return lprctl::Search(line.seconds, std::cout, std::cerr);
    }
    std::optional<lprctl::Target> target = ResolveTarget(line);
    if (!target) {
        return lprctl::kUsage;
    }
    if (line.version->parsed()) {
        return lprctl::ShowVersion(*target, std::cout, std::cerr);
    }
    if (line.upgrade->parsed()) {
        return lprctl::Upgrade(*target, line.image, line.waitRestart, line.timeout, std::cout,
                               std::cerr);
    }
    if (line.reboot->parsed()) {
        return lprctl::Reboot(*target, line.waitBack, std::cout, std::cerr);
    }
    if (line.shell->parsed()) {
        return lprctl::Shell(*target, line.command, std::cout, std::cerr);
    }
    return lprctl::kUsage;
}

} // namespace

int main(int rawCount, char** rawArguments) {
    tool_input::PrepareStandardStreams();
    tool_input::Utf8Arguments arguments(rawCount, rawArguments);
    const int argc = arguments.Count();
    char** argv = arguments.Values();
    const tool_text::Language language("lprctl", argc, argv);
    if (!language.Valid()) {
        return lprctl::kUsage;
    }
    CommandLine line;
    SetUpOptions(line);
    try {
        line.app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        int code = line.app.exit(e);
        return code == 0 ? lprctl::kOk : lprctl::kUsage;
    }
    const LprSdk& sdk = LprSdkActive();
    sdk.LprSetup();
    int result = Dispatch(line);
    sdk.LprCleanup();
    return result;
}
