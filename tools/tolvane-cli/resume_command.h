// `tolvane-cli upgrade --resume [ID]` and `tolvane-cli batches`: a batch cut
// short is continued from its journal with exactly the cameras it has left.
#pragma once

#include "cli_output.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>

// Continues batch `id`, or the data folder's latest unfinished batch when
// `id` is empty: the cameras without a verified success or an already
// installed image, in batch order, on the batch's workers, in the same
// journal. Prints each camera skipped. 0 with a notice when nothing is left;
// 2 when the id is no batch of the data folder; else as RunUpgrade.
int RunResume(const std::string& id, const std::string& user, const std::string& password,
              std::optional<std::chrono::milliseconds> bound, CliOutput& output,
              const std::string& csvPath, bool json);

// Lists the journals, oldest first: id, start, and how many cameras are
// done, failed, not started and in progress (cut short). 0.
int RunBatches(bool json, std::FILE* out);
