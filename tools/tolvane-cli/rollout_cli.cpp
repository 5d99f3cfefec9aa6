#include "rollout_cli.h"

#include "tool_text.h"

using tool_text::translate;

void AddRolloutOptions(CLI::App* upgrade, RolloutArguments& arguments) {
    upgrade->add_option("--canary", arguments.canary,
                        translate("tolvane-cli",
                                  "upgrade the first N cameras first; the rest start only when "
                                  "all N succeeded, else the batch stops"));
    upgrade->add_option(
        "--max-failures", arguments.maxFailures,
        translate("tolvane-cli", "N or P%: stop the batch once that many cameras have failed"));
    upgrade
        ->add_option("--retries", arguments.retries,
                     translate("tolvane-cli",
                               "tries more for a camera that failed before it took any image "
                               "(0 to 5, default 0)"))
        ->check(CLI::Range(0u, kMaxBatchRetries));
    upgrade->add_flag("--progress", arguments.progress,
                      translate("tolvane-cli",
                                "print a progress line with the time left on stderr even when "
                                "it is not a terminal"));
}
