// tolvane-cli: the upgrade engine without the window, for automation.
#include "cli_output.h"
#include "engine/program_folder.h"
#include "search_command.h"
#include "upgrade_command.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    CLI::App app{"Finds licence-plate cameras and upgrades their firmware."};
    app.require_subcommand(1);
    bool json = false;
    app.add_flag("--json", json, "one JSON object per line");
    std::string programFolder;
    app.add_option("--program-folder", programFolder,
                   "folder holding UpdateFiles and the logs (default: the program's own)");

    CLI::App* search = app.add_subcommand("search", "list the cameras found, with their versions");
    double seconds = 3.0;
    search->add_option("--seconds", seconds, "how long to search")->check(CLI::Range(0.1, 3600.0));
    double versionWait = 0;
    search
        ->add_option("--version-wait", versionWait,
                     "longest wait for the versions after the search, in seconds "
                     "(default: a bound from the number of cameras)")
        ->check(CLI::Range(0.0, 86400.0));

    CLI::App* upgrade = app.add_subcommand("upgrade", "upgrade cameras, spread over five workers");
    std::vector<std::string> targets;
    upgrade->add_option("cameras", targets, "ADDRESS[:PORT] (port 80 when omitted)")->required();
    std::string user = "admin";
    std::string password = "ploma";
    upgrade->add_option("--user", user, "log-in user name (default admin)");
    upgrade->add_option("--password", password, "log-in password (default ploma)");
    double timeout = 0;
    upgrade
        ->add_option("--timeout", timeout,
                     "longest wait for all results, in seconds (default: the worst case)")
        ->check(CLI::Range(0.0, 1.0e7));

    // Global flags may also follow the subcommand.
    for (CLI::App* sub : {search, upgrade}) {
        sub->fallthrough();
    }
    CLI11_PARSE(app, argc, argv);

    if (!programFolder.empty()) {
        SetProgramFolderOverride(programFolder);
    }
    CliOutput output(json, stdout);
    if (search->parsed()) {
        std::optional<std::chrono::milliseconds> bound;
        if (versionWait > 0) {
            bound = std::chrono::milliseconds(static_cast<int64_t>(versionWait * 1000));
        }
        return RunSearch(seconds, bound, output);
    }

    // Every input is checked before anything is sent.
    std::vector<UpgradeTarget> parsed;
    for (const std::string& text : targets) {
        std::string error;
        std::optional<UpgradeTarget> target = ParseUpgradeTarget(text, &error);
        if (!target) {
            std::fprintf(stderr, "tolvane-cli: %s\n", error.c_str());
            return 2;
        }
        parsed.push_back(*target);
    }
    if (user.empty() || user.size() > 31 || password.empty() || password.size() > 31) {
        std::fprintf(stderr, "tolvane-cli: user name and password need 1 to 31 characters\n");
        return 2;
    }
    std::optional<std::chrono::milliseconds> bound;
    if (timeout > 0) {
        bound = std::chrono::milliseconds(static_cast<int64_t>(timeout * 1000));
    }
    return RunUpgrade(parsed, user, password, bound, output);
}
