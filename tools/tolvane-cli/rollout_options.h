// The rollout options of `tolvane-cli upgrade`: --canary, --max-failures,
// --retries and --progress, as given and as they apply to one batch.
#pragma once

#include "dialog/batch_control.h"

#include <cstddef>
#include <optional>
#include <string>

struct RolloutArguments {
    std::string canary;      // "" when not given
    std::string maxFailures; // "N" or "P%"; "" when not given
    uint32_t retries = 0;
    bool progress = false;
};

// What the batch runs with; returns nothing after a message on stderr when
// a value is bad for a batch of `cameras`.
std::optional<BatchOptions> ResolveRollout(const RolloutArguments& arguments, size_t cameras);
