// CLI11's own words in help and error output (labels, groups, the help flag,
// the hint after an error), in the language of the run; CLI11's error texts
// themselves stay in English. Called before any option or subcommand is added, and
// once more when all are, for the subcommands' group.
#pragma once

#include "tool_text.h"

#include <CLI/CLI.hpp>

namespace tool_text {

inline void TranslateCliWords(CLI::App& app) {
    auto formatter = app.get_formatter();
    formatter->label("Usage", translate("cli", "Usage"));
    formatter->label("OPTIONS", translate("cli", "OPTIONS"));
    formatter->label("SUBCOMMAND", translate("cli", "SUBCOMMAND"));
    formatter->label("SUBCOMMANDS", translate("cli", "SUBCOMMANDS"));
    formatter->label("Positionals", translate("cli", "Positionals"));
    formatter->label("REQUIRED", translate("cli", "REQUIRED"));
    app.option_defaults()->group(translate("cli", "Options"));
    app.set_help_flag("-h,--help", translate("cli", "Print this help message and exit"));
    app.failure_message([](const CLI::App*, const CLI::Error& e) {
        return std::string(e.what()) + "\n" +
               Fill(translate("cli", "Run with %1 for more information."), {"--help"}) + "\n";
    });
}

inline void TranslateSubcommandGroups(CLI::App& app) {
    for (CLI::App* sub : app.get_subcommands({})) {
        sub->group(translate("cli", "Subcommands"));
        if (CLI::Option* help = sub->get_help_ptr()) {
            help->group(translate("cli", "Options"));
        }
    }
}

// --lang, read before the parser runs (tool_text::Language); here so that
// the parser knows it and help lists it.
inline void AddLangOption(CLI::App& app) {
    app.add_option("--lang")
        ->description(translate("cli", "language of messages and help: zh or en"))
        ->check(CLI::IsMember({"zh", "en"}));
}

} // namespace tool_text
