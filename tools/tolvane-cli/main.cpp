// tolvane-cli: the upgrade engine without the window, for automation.
#include "cli_output.h"
#include "engine/program_folder.h"
#include "password_input.h"
#include "search_command.h"
#include "upgrade_command.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int kBadInput = 2;

struct SearchOptions {
    double seconds = 3.0;
    double versionWait = 0;
};

struct UpgradeOptions {
    std::vector<std::string> targets;
    std::string user = "admin";
    std::string password; // stays empty unless --password is given
    std::string passwordFile;
    double timeout = 0;
    uint32_t workers = UPGRADE_TASK_COUNT;
};

struct CommandLine {
    CLI::App app{"Finds licence-plate cameras and upgrades their firmware."};
    bool json = false;
    std::string programFolder;
    CLI::App* search = nullptr;
    CLI::App* upgrade = nullptr;
    CLI::Option* passwordFlag = nullptr;
    SearchOptions searchOptions;
    UpgradeOptions upgradeOptions;
};

void AddSearchOptions(CommandLine& line) {
    SearchOptions& o = line.searchOptions;
    line.search = line.app.add_subcommand("search", "list the cameras found, with their versions");
    line.search->add_option("--seconds", o.seconds, "how long to search")
        ->check(CLI::Range(0.1, 3600.0));
    line.search
        ->add_option("--version-wait", o.versionWait,
                     "longest wait for the versions after the search, in seconds "
                     "(default: a bound from the number of cameras)")
        ->check(CLI::Range(0.0, 86400.0));
}

void AddUpgradeOptions(CommandLine& line) {
    UpgradeOptions& o = line.upgradeOptions;
    line.upgrade = line.app.add_subcommand("upgrade", "upgrade cameras, spread over the workers");
    line.upgrade->add_option("cameras", o.targets, "ADDRESS[:PORT] (port 80 when omitted)")
        ->required();
    line.upgrade->add_option("--user", o.user, "log-in user name (default admin)");
    line.passwordFlag =
        line.upgrade->add_option("--password", o.password, tool_input::kPasswordFlagHelp);
    line.upgrade->add_option("--password-file", o.passwordFile, tool_input::kPasswordFileHelp);
    line.upgrade
        ->add_option("--timeout", o.timeout,
                     "longest wait for all results, in seconds (default: the worst case)")
        ->check(CLI::Range(0.0, 1.0e7));
    line.upgrade
        ->add_option("--workers", o.workers,
                     "upgrade workers; camera k goes to worker k mod N (default 5, as the window)")
        ->check(CLI::Range(1u, kMaxUpgradeWorkers));
}

void SetUpOptions(CommandLine& line) {
    line.app.require_subcommand(1);
    line.app.add_flag("--json", line.json, "one JSON object per line");
    line.app.add_option("--program-folder", line.programFolder,
                        "folder holding UpdateFiles and the logs (default: the program's own)");
    AddSearchOptions(line);
    AddUpgradeOptions(line);
    // Global flags may also follow the subcommand.
    for (CLI::App* sub : {line.search, line.upgrade}) {
        sub->fallthrough();
    }
}

std::optional<std::chrono::milliseconds> SecondsBound(double seconds) {
    if (seconds <= 0) {
        return std::nullopt;
    }
    return std::chrono::milliseconds(static_cast<int64_t>(seconds * 1000));
}

// The password from the flag, a file, the environment or a prompt; nothing
// after a message when none can be had.
std::optional<std::string> ResolveUpgradePassword(const CommandLine& line) {
    tool_input::PasswordSources sources;
    if (line.passwordFlag->count() > 0) {
        sources.flag = line.upgradeOptions.password;
    }
    sources.file = line.upgradeOptions.passwordFile;
    sources.fallback = "ploma";
    std::string error;
    std::optional<std::string> password = tool_input::ResolvePassword(sources, &error);
    if (!password) {
        std::fprintf(stderr, "tolvane-cli: %s\n", error.c_str());
    }
    return password;
}

// Every input is checked before anything is sent.
int RunUpgradeCommand(const CommandLine& line, CliOutput& output) {
    const UpgradeOptions& o = line.upgradeOptions;
    std::vector<UpgradeTarget> parsed;
    for (const std::string& text : o.targets) {
        std::string error;
        std::optional<UpgradeTarget> target = ParseUpgradeTarget(text, &error);
        if (!target) {
            std::fprintf(stderr, "tolvane-cli: %s\n", error.c_str());
            return kBadInput;
        }
        parsed.push_back(*target);
    }
    std::optional<std::string> password = ResolveUpgradePassword(line);
    if (!password) {
        return kBadInput;
    }
    if (o.user.empty() || o.user.size() > 31 || password->empty() || password->size() > 31) {
        std::fprintf(stderr, "tolvane-cli: user name and password need 1 to 31 characters\n");
        return kBadInput;
    }
    if (std::string problem = tool_input::CredentialProblem(o.user, *password); !problem.empty()) {
        std::fprintf(stderr, "tolvane-cli: %s\n", problem.c_str());
        return kBadInput;
    }
    return RunUpgrade(parsed, o.user, *password, SecondsBound(o.timeout), output, o.workers);
}

} // namespace

int main(int argc, char** argv) {
    CommandLine line;
    SetUpOptions(line);
    CLI11_PARSE(line.app, argc, argv);

    if (!line.programFolder.empty()) {
        SetProgramFolderOverride(line.programFolder);
    }
    CliOutput output(line.json, stdout);
    if (line.search->parsed()) {
        return RunSearch(line.searchOptions.seconds, SecondsBound(line.searchOptions.versionWait),
                         output);
    }
    return RunUpgradeCommand(line, output);
}
