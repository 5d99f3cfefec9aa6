#include "resume_command.h"

#include "dialog/batch_journal_read.h"
#include "shown_texts.h"
#include "tool_text.h"
#include "upgrade_command.h"

#include <nlohmann/json.hpp>

using nlohmann::json;
using tool_text::Fill;
using tool_text::translate;

namespace {

constexpr int kBadInput = 2;

void Say(const std::string& text) {
    std::fprintf(stderr, "tolvane-cli: %s\n", text.c_str());
}

// The batch to continue; nothing after a message when there is none, with
// *badId telling a wrong id from a data folder without an unfinished batch.
std::optional<BatchJournalState> BatchToResume(const std::string& id, bool* badId) {
    *badId = false;
    if (id.empty()) {
        std::optional<BatchJournalState> last = LastUnfinishedBatch();
        if (!last) {
            Say(Fill(translate("tolvane-cli", "no unfinished batch in %1"), {BatchesFolder()}));
        }
        return last;
    }
    std::optional<BatchJournalState> named;
    if (IsBatchId(id)) {
        named = ReadBatchJournalFile(BatchJournalPath(id));
    }
    if (!named || named->id != id) {
        Say(Fill(translate("tolvane-cli", "no batch '%1' in %2 (see tolvane-cli batches)"),
                 {id, BatchesFolder()}));
        *badId = true;
        return std::nullopt;
    }
    return named;
}

void PrintSkipped(const BatchJournalState& batch, bool asJson) {
    for (const JournalCameraEntry& e : batch.cameras) {
        if (e.state != JournalCameraState::Done) {
            continue;
        }
        if (asJson) {
            std::printf("%s\n", json({{"event", "skipped"},
                                      {"address", e.camera.address},
                                      {"port", e.camera.port},
                                      {"batch", batch.id}})
                                    .dump(-1, ' ', false, json::error_handler_t::replace)
                                    .c_str());
        } else {
            std::printf(
                "%s\t%s\n", CameraText(e.camera.address, e.camera.port).c_str(),
                translate("tolvane-cli", "skipped: upgraded earlier in this batch").c_str());
        }
    }
    std::fflush(stdout);
}

uint32_t BatchWorkers(const BatchJournalState& batch) {
    const json& workers = batch.options.value("workers", json());
    if (workers.is_number_unsigned() && workers.get<uint64_t>() >= 1 &&
        workers.get<uint64_t>() <= kMaxUpgradeWorkers) {
        return workers.get<uint32_t>();
    }
    return UPGRADE_TASK_COUNT;
}

const char* StateWord(const BatchJournalState& batch) {
    if (BatchJournalInUse(batch.id)) {
        return "running";
    }
    return batch.Unfinished() ? "unfinished" : "finished";
}

// Behind a batch's counts in the table: whether it is running or unfinished.
std::string ShownState(const BatchJournalState& batch) {
    const std::string word = StateWord(batch);
    if (word == "running") {
        return "\t" + translate("tolvane-cli", "(running)");
    }
    return word == "unfinished" ? "\t" + translate("tolvane-cli", "(unfinished)") : "";
}

} // namespace

int RunResume(const std::string& id, const std::string& user, const std::string& password,
              std::optional<std::chrono::milliseconds> bound, CliOutput& output,
              const std::string& csvPath, bool asJson) {
    bool badId = false;
    const std::optional<BatchJournalState> batch = BatchToResume(id, &badId);
    if (!batch) {
        return badId ? kBadInput : 0;
    }
    if (BatchJournalInUse(batch->id)) {
        // Two runs upgrading the same cameras at once would fight over them.
        Say(Fill(translate("tolvane-cli", "batch %1 is still running in another program"),
                 {batch->id}));
        return kBadInput;
    }
    PrintSkipped(*batch, asJson);
    const std::vector<JournalCamera> left = batch->CamerasLeft();
    if (left.empty()) {
        Say(Fill(translate("tolvane-cli", "batch %1: nothing left to upgrade"), {batch->id}));
        return 0;
    }
    std::vector<UpgradeTarget> targets;
    for (const JournalCamera& c : left) {
        targets.push_back({c.address, c.port});
    }
    return RunUpgrade(targets, user, password, bound, output, BatchWorkers(*batch), csvPath,
                      batch->id);
}

int RunBatches(bool asJson, std::FILE* out) {
    const BatchJournalListing listing = ListBatchJournals();
    for (const std::string& path : listing.unreadable) {
        Say(Fill(translate("tolvane-cli", "%1: no readable batch record; left out"), {path}));
    }
    if (!asJson) {
        std::fprintf(
            out, "%s\n",
            translate("tolvane-cli", "batch\tstart\tcameras\tdone\tfailed\tnot started\tunfinished")
                .c_str());
    }
    for (const BatchJournalState& b : listing.batches) {
        const BatchCounts c = b.Counts();
        if (asJson) {
            std::fprintf(out, "%s\n",
                         json({{"batch", b.id},
                               {"start", b.time},
                               {"cameras", b.cameras.size()},
                               {"done", c.done},
                               {"failed", c.failed},
                               {"not_started", c.notStarted},
                               {"unfinished", c.inProgress},
                               {"state", StateWord(b)},
                               {"resumes", b.resumes},
                               {"options", b.options}})
                             .dump(-1, ' ', false, json::error_handler_t::replace)
                             .c_str());
        } else {
            std::fprintf(out, "%s\t%s\t%zu\t%d\t%d\t%d\t%d%s\n", b.id.c_str(),
                         OneLineText(b.time).c_str(), b.cameras.size(), c.done, c.failed,
                         c.notStarted, c.inProgress, ShownState(b).c_str());
        }
    }
    std::fflush(out);
    return 0;
}
