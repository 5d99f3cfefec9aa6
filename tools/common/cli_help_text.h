// CLI11's own words in help output (labels, groups, the help flag), in the
// language of the run. Called before any option or subcommand is added, and
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
}

inline void TranslateSubcommandGroups(CLI::App& app) {
    for (CLI::App* sub : app.get_subcommands({})) {
        sub->group(translate("cli", "Subcommands"));
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
