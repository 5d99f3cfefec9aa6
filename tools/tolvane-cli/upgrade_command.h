// `tolvane-cli upgrade`: a batch exactly as the window dispatches it, on
// five upgrade workers or on as many as asked for.
#pragma once

#include "cli_output.h"
#include "engine/requests_notes.h"
#include "rollout_options.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct UpgradeTarget {
    std::string address;
    int32_t port = 80;
};

// "ADDRESS" or "ADDRESS:PORT"; a plain dotted IPv4 address other than
// 0.0.0.0 and 255.255.255.255, and a port from 1 to 65535.
std::optional<UpgradeTarget> ParseUpgradeTarget(const std::string& text, std::string* error);

// The fixed waits of the slowest possible run of one camera, in ms of the
// system's time (before the time scale).
uint64_t WorstCameraWaitMs();
constexpr uint32_t kMaxUpgradeWorkers = 32;

// Time the workers may take at most: the fixed waits of the slowest possible
// run of every camera on the busiest worker, at the current time scale, plus
// an allowance for the SDK's own (unscaled) timeouts.
std::chrono::milliseconds UpgradeTimeBound(size_t cameras, uint32_t workers = UPGRADE_TASK_COUNT);

// Exit status when every camera was upgraded but the CSV, the history or a
// camera's log could not be written completely.
constexpr int kExitReportsLost = 5;
// Exit status when a stop (a signal, a canary, the failure threshold) left
// any camera of the batch not started.
constexpr int kExitBatchStopped = 4;
constexpr int kExitBadInput = 2;

// Exit status: 0 when every camera was upgraded and every report written,
// kExitBatchStopped when a stop left any camera not started, else 1 when any
// failed or was not dispatched, 3 when results were still missing at the time
// bound, else kExitReportsLost; kExitBadInput, before anything is sent, for
// rollout values the batch cannot take. A camera (address and port) named
// twice is upgraded once. The k-th target goes to worker k mod `workers` (1
// to kMaxUpgradeWorkers). With a csvPath the results are also written there
// as CSV, one row per camera, kept up to date while the batch runs. The
// batch gets a journal (dialog/batch_journal.h); with `resumedBatch` the
// run continues that batch in its journal instead.
int RunUpgrade(const std::vector<UpgradeTarget>& targets, const std::string& user,
               const std::string& password, std::optional<std::chrono::milliseconds> bound,
               CliOutput& output, uint32_t workers = UPGRADE_TASK_COUNT,
               const std::string& csvPath = {}, const std::string& resumedBatch = {},
               const RolloutArguments& rollout = {});
