// The command-line options behind RolloutArguments.
#pragma once

#include "rollout_options.h"

#include <CLI/CLI.hpp>

void AddRolloutOptions(CLI::App* upgrade, RolloutArguments& arguments);
