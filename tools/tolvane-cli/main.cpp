// tolvane-cli: the upgrade engine without the window, for automation.
#include "cli_help_text.h"
#include "cli_output.h"
#include "csv_report.h"
#include "engine/program_folder.h"
#include "history_command.h"
#include "netaddr/address_range.h"
#include "netaddr/dotted_ipv4.h"
#include "password_input.h"
#include "plan_command.h"
#include "resume_command.h"
#include "rollout_cli.h"
#include "search_command.h"
#include "standard_streams.h"
#include "tolvane_version.h"
#include "tool_text.h"
#include "upgrade_command.h"
#include "utf8_arguments.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

using tool_text::Fill;
using tool_text::translate;

constexpr int kBadInput = 2;

struct SearchOptions {
    double seconds = 3.0;
    double versionWait = 0;
    std::vector<std::string> added;
    std::string range;
};

struct UpgradeOptions {
    std::vector<std::string> targets;
    std::string user = "admin";
    std::string password; // stays empty unless --password is given
    std::string passwordFile;
    double timeout = 0;
    std::string csvPath;
    uint32_t workers = UPGRADE_TASK_COUNT;
    std::string resumeId; // with --resume: "" for the latest unfinished batch
    RolloutArguments rollout;
};

struct CommandLine {
    CLI::App app;
    bool json = false;
    std::string programFolder;
    CLI::App* search = nullptr;
    CLI::App* upgrade = nullptr;
    CLI::App* plan = nullptr;
    CLI::App* history = nullptr;
    CLI::App* batches = nullptr;
    CLI::Option* resumeFlag = nullptr;
    CLI::Option* passwordFlag = nullptr;
    CLI::Option* planPasswordFlag = nullptr;
    SearchOptions searchOptions;
    UpgradeOptions upgradeOptions;
    HistoryFilter historyFilter;
};

void AddSearchOptions(CommandLine& line) {
    SearchOptions& o = line.searchOptions;
    line.search = line.app.add_subcommand(
        "search", translate("tolvane-cli", "list the cameras found, with their versions"));
    line.search->add_option("--seconds", o.seconds, translate("tolvane-cli", "how long to search"))
        ->check(CLI::Range(0.1, 3600.0));
    line.search
        ->add_option("--version-wait", o.versionWait,
                     translate("tolvane-cli",
                               "longest wait for the versions after the search, in seconds "
                               "(default: a bound from the number of cameras)"))
        ->check(CLI::Range(0.0, 86400.0));
    line.search->add_option(
        "--add", o.added,
        translate("tolvane-cli",
                  "ADDRESS[:PORT]... probed by unicast instead of the broadcast search; "
                  "listed even when silent (port 80 when omitted)"));
    line.search->add_option("--range", o.range,
                            translate("tolvane-cli",
                                      "FIRST-LAST or ADDRESS/PREFIX (at most 4096 addresses) "
                                      "probed by unicast instead of the broadcast search"));
}

// The unicast probes the options ask for, each address once; nothing after
// a message when an address or the range is wrong.
std::optional<ProbeRequest> ParseProbeRequest(const SearchOptions& o) {
    ProbeRequest request;
    std::set<uint32_t> addresses;
    std::string error;
    for (const std::string& text : o.added) {
        std::optional<netaddr::Ipv4Address> address = netaddr::ParseIpv4WithPort(text, &error);
        if (!address) {
            std::fprintf(stderr, "tolvane-cli: --add %s: %s\n", text.c_str(), error.c_str());
            return std::nullopt;
        }
        request.added.emplace_back(address->value, address->port != 0 ? address->port : 80);
        addresses.insert(address->value);
    }
    if (!o.range.empty()) {
        std::optional<std::vector<uint32_t>> range = netaddr::ParseAddressRange(o.range, &error);
        if (!range) {
            std::fprintf(stderr, "tolvane-cli: --range %s: %s\n", o.range.c_str(), error.c_str());
            return std::nullopt;
        }
        addresses.insert(range->begin(), range->end());
    }
    if (addresses.size() > netaddr::kMaxRangeAddresses) {
        std::fprintf(
            stderr, "tolvane-cli: %s\n",
            Fill(translate("tolvane-cli", "%1 addresses to probe; a scan covers at most %2"),
                 {std::to_string(addresses.size()), std::to_string(netaddr::kMaxRangeAddresses)})
                .c_str());
        return std::nullopt;
    }
    request.addresses.assign(addresses.begin(), addresses.end());
    return request;
}

// Cameras and credentials, as `upgrade` and `plan` both take them; returns
// the --password option.
CLI::Option* AddCameraOptions(CLI::App* sub, UpgradeOptions& o) {
    sub->add_option("cameras", o.targets,
                    translate("tolvane-cli", "ADDRESS[:PORT] (port 80 when omitted)"))
        ->required();
    sub->add_option("--user", o.user, translate("tolvane-cli", "log-in user name (default admin)"));
    CLI::Option* flag = sub->add_option("--password", o.password, tool_input::PasswordFlagHelp());
    sub->add_option("--password-file", o.passwordFile, tool_input::PasswordFileHelp());
    return flag;
}

void AddReportCommands(CommandLine& line) {
    line.plan = line.app.add_subcommand(
        "plan", translate("tolvane-cli", "show what an upgrade would do to each camera (log-in "
                                         "and version reads only)"));
    line.planPasswordFlag = AddCameraOptions(line.plan, line.upgradeOptions);
    line.history =
        line.app.add_subcommand("history", translate("tolvane-cli", "list the finished upgrades"));
    line.history->add_option(
        "--since", line.historyFilter.since,
        translate("tolvane-cli",
                  "only upgrades at or after DATE (YYYY-MM-DD[THH:MM[:SS]], local time "
                  "unless an offset such as +0800 follows)"));
    line.history->add_option("--address", line.historyFilter.address,
                             translate("tolvane-cli", "only this camera"));
}

void AddUpgradeOptions(CommandLine& line) {
    UpgradeOptions& o = line.upgradeOptions;
    line.upgrade = line.app.add_subcommand(
        "upgrade", translate("tolvane-cli", "upgrade cameras, spread over the workers"));
    line.passwordFlag = AddCameraOptions(line.upgrade, o);
    line.upgrade->add_option("--csv", o.csvPath,
                             translate("tolvane-cli", "also write the results to FILE as CSV "
                                                      "(UTF-8, spreadsheet-ready)"));
    line.upgrade
        ->add_option(
            "--timeout", o.timeout,
            translate("tolvane-cli",
                      "longest wait for all results, in seconds (default: the worst case)"))
        ->check(CLI::Range(0.0, 1.0e7));
    line.upgrade
        ->add_option("--workers", o.workers,
                     translate("tolvane-cli", "upgrade workers; camera k goes to worker k mod N "
                                              "(default 5, as the window)"))
        ->check(CLI::Range(1u, kMaxUpgradeWorkers));
    // Cameras come from the journal instead; RunUpgradeCommand refuses both.
    line.upgrade->get_option("cameras")->required(false);
    line.resumeFlag =
        line.upgrade
            ->add_option("--resume", o.resumeId,
                         translate("tolvane-cli",
                                   "continue batch ID (default: the latest unfinished one) with "
                                   "the cameras it has left; no cameras may be named"))
            ->expected(0, 1);
    line.batches = line.app.add_subcommand(
        "batches", translate("tolvane-cli", "list the batches' journals and what each has left"));
    AddRolloutOptions(line.upgrade, o.rollout);
}

void SetUpOptions(CommandLine& line) {
    // The same options on every platform: CLI11 on Windows would otherwise
    // take "/path" arguments for "/option" switches. Set before the
    // subcommands, which inherit it.
    line.app.allow_windows_style_options(false);
    tool_text::TranslateCliWords(line.app);
    line.app.description(
        translate("tolvane-cli", "Finds licence-plate cameras and upgrades their firmware."));
    line.app.require_subcommand(1);
    line.app.add_flag("--json", line.json, translate("tolvane-cli", "one JSON object per line"));
    line.app.set_version_flag("--version", "tolvane-cli " TOLVANE_VERSION,
                              translate("tool", "print the version and exit"));
    line.app.add_option(
        "--program-folder", line.programFolder,
        translate("tolvane-cli",
                  "data folder: UpdateFiles, the logs and the history (default: beside the "
                  "program in a portable folder; $XDG_DATA_HOME/tolvane, else "
                  "~/.local/share/tolvane, when installed in a bin folder)"));
    tool_text::AddLangOption(line.app);
    // Only asked when help is shown; an installed tool lays the folder out then.
    line.app.footer([] {
        return tool_text::Fill(translate("tolvane-cli", "Data folder in use: %1"),
                               {GetProgramFolder()});
    });
    AddSearchOptions(line);
    AddUpgradeOptions(line);
    AddReportCommands(line);
    // Global flags may also follow the subcommand.
    for (CLI::App* sub : {line.search, line.upgrade, line.plan, line.history, line.batches}) {
        sub->fallthrough();
    }
    tool_text::TranslateSubcommandGroups(line.app);
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
    if (line.passwordFlag->count() > 0 || line.planPasswordFlag->count() > 0) {
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

// Every input is checked before anything is sent; the credentials go to
// `run` only when they are usable.
int WithCheckedInputs(
    const CommandLine& line,
    const std::function<int(const std::vector<UpgradeTarget>&, const std::string&)>& run) {
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
        std::fprintf(
            stderr, "tolvane-cli: %s\n",
            translate("tolvane-cli", "user name and password need 1 to 31 characters").c_str());
        return kBadInput;
    }
    if (std::string problem = tool_input::CredentialProblem(o.user, *password); !problem.empty()) {
        std::fprintf(stderr, "tolvane-cli: %s\n", problem.c_str());
        return kBadInput;
    }
    return run(parsed, *password);
}

int RunUpgradeCommand(const CommandLine& line, CliOutput& output) {
    const UpgradeOptions& o = line.upgradeOptions;
    if (!o.csvPath.empty()) {
        if (std::string problem = CsvPathProblem(o.csvPath); !problem.empty()) {
            std::fprintf(stderr, "tolvane-cli: %s\n", problem.c_str());
            return kBadInput;
        }
    }
    const bool resume = line.resumeFlag->count() > 0;
    const bool workersGiven = line.upgrade->get_option("--workers")->count() > 0;
    if (resume == !o.targets.empty() || (resume && workersGiven)) {
        const std::string problem =
            !resume ? translate("tolvane-cli", "upgrade needs cameras, or --resume")
            : workersGiven
                ? translate("tolvane-cli", "upgrade --resume takes the batch's own workers")
                : translate("tolvane-cli", "upgrade --resume takes no cameras");
        std::fprintf(stderr, "tolvane-cli: %s\n", problem.c_str());
        return kBadInput;
    }
    return WithCheckedInputs(line, [&](const auto& targets, const std::string& password) {
        if (resume) {
            return RunResume(o.resumeId, o.user, password, SecondsBound(o.timeout), output,
                             o.csvPath, line.json);
        }
        return RunUpgrade(targets, o.user, password, SecondsBound(o.timeout), output, o.workers,
                          o.csvPath, {}, o.rollout);
    });
}

int RunPlanCommand(const CommandLine& line) {
    return WithCheckedInputs(line, [&](const auto& targets, const std::string& password) {
        std::vector<PlanTarget> plan;
        for (const UpgradeTarget& t : targets) {
            plan.push_back({t.address, t.port});
        }
        return RunPlan(plan, line.upgradeOptions.user, password, line.json, stdout);
    });
}

int RunHistoryCommand(const CommandLine& line) {
    if (std::string problem = HistoryFilterProblem(line.historyFilter); !problem.empty()) {
        std::fprintf(stderr, "tolvane-cli: %s\n", problem.c_str());
        return kBadInput;
    }
    return RunHistory(line.historyFilter, line.json, stdout);
}

} // namespace

int main(int rawCount, char** rawArguments) {
    tool_input::PrepareStandardStreams();
    tool_input::Utf8Arguments arguments(rawCount, rawArguments);
    const int argc = arguments.Count();
    char** argv = arguments.Values();
    const tool_text::Language language("tolvane-cli", argc, argv);
    if (!language.Valid()) {
        return kBadInput;
    }
    CommandLine line;
    SetUpOptions(line);
    try {
        line.app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // Help and --version end well; every usage error is bad input,
        // whatever the parser's own number for it.
        return line.app.exit(error) == 0 ? 0 : kBadInput;
    }

    if (!line.programFolder.empty()) {
        SetProgramFolderOverride(line.programFolder);
    }
    // An installed tool lays out its data folder on first start.
    GetProgramFolder();
    CliOutput output(line.json, stdout);
    if (line.search->parsed()) {
        std::optional<ProbeRequest> probes = ParseProbeRequest(line.searchOptions);
        if (!probes) {
            return kBadInput;
        }
        return RunSearch(line.searchOptions.seconds, SecondsBound(line.searchOptions.versionWait),
                         *probes, output);
    }
    if (line.plan->parsed()) {
        return RunPlanCommand(line);
    }
    if (line.history->parsed()) {
        return RunHistoryCommand(line);
    }
    if (line.batches->parsed()) {
        return RunBatches(line.json, stdout);
    }
    return RunUpgradeCommand(line, output);
}
