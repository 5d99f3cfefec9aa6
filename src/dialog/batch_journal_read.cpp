#include "batch_journal_read.h"

#include "osa/osa_path.h"
#include "sdk/lpr_sdk.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <tuple>

using nlohmann::json;

namespace {

using CameraKey = std::pair<std::string, int32_t>;

// Far beyond the first record of a batch of 100 000 cameras.
constexpr size_t kMaxRecordBytes = 64u << 20;

std::optional<JournalCamera> CameraOf(const json& record) {
    if (!record.is_object() || !record.contains("address") || !record["address"].is_string() ||
        !record.contains("port") || !record["port"].is_number_integer()) {
        return std::nullopt;
    }
    return JournalCamera{record["address"].get<std::string>(), record["port"].get<int32_t>()};
}

JournalOutcome OutcomeOf(const json& record) {
    JournalOutcome outcome;
    outcome.started = record.value("started", true);
    outcome.success = record.value("success", false);
    outcome.verified = record.value("verified", false);
    outcome.code = record.value("code", 0);
    outcome.sdkError = record.value("sdk_error", 0);
    return outcome;
}

// The batch record: the id, start and cameras; false when it is not one.
bool TakeBatchRecord(const json& record, BatchJournalState& state,
                     std::map<CameraKey, size_t>& index) {
    if (record.value("record", "") != "batch" || !record.contains("batch") ||
        !record["batch"].is_string() || !record.contains("cameras") ||
        !record["cameras"].is_array()) {
        return false;
    }
    state.id = record["batch"].get<std::string>();
    state.time = record.value("time", "");
    state.timeMs = record.value("time_ms", int64_t{0});
    if (record.contains("options") && record["options"].is_object()) {
        state.options = record["options"];
    }
    for (const json& entry : record["cameras"]) {
        if (std::optional<JournalCamera> camera = CameraOf(entry)) {
            if (index.emplace(CameraKey{camera->address, camera->port}, state.cameras.size())
                    .second) {
                state.cameras.push_back({*camera, JournalCameraState::NotStarted, false});
            }
        }
    }
    return true;
}

void TakeRecord(const json& record, BatchJournalState& state,
                const std::map<CameraKey, size_t>& index) {
    const std::string kind = record.value("record", "");
    if (kind == "resume" && record.contains("cameras") && record["cameras"].is_array()) {
        ++state.resumes;
        for (const json& entry : record["cameras"]) {
            if (std::optional<JournalCamera> camera = CameraOf(entry)) {
                if (auto at = index.find({camera->address, camera->port}); at != index.end()) {
                    state.cameras[at->second] = {*camera, JournalCameraState::NotStarted, false};
                }
            }
        }
        return;
    }
    const std::optional<JournalCamera> camera = CameraOf(record);
    const auto at = camera ? index.find({camera->address, camera->port}) : index.end();
    if (at == index.end()) {
        return;
    }
    JournalCameraEntry& entry = state.cameras[at->second];
    if (kind == "start") {
        entry.state = JournalCameraState::InProgress;
        entry.ended = false;
    } else if (kind == "end") {
        const JournalOutcome outcome = OutcomeOf(record);
        entry.ended = true;
        entry.state = JournalOutcomeIsDone(outcome) ? JournalCameraState::Done
                      : outcome.started             ? JournalCameraState::Failed
                                                    : JournalCameraState::NotStarted;
    }
}

} // namespace

bool JournalOutcomeIsDone(const JournalOutcome& outcome) {
    return outcome.started && outcome.success &&
           (outcome.verified || outcome.sdkError == LPR_ERR_ALREADY_INSTALLED);
}

bool BatchJournalState::Unfinished() const {
    return std::any_of(cameras.begin(), cameras.end(),
                       [](const JournalCameraEntry& e) { return !e.ended; });
}

BatchCounts BatchJournalState::Counts() const {
    BatchCounts counts;
    for (const JournalCameraEntry& e : cameras) {
        switch (e.state) {
        case JournalCameraState::Done:
            ++counts.done;
            break;
        case JournalCameraState::Failed:
            ++counts.failed;
            break;
        case JournalCameraState::NotStarted:
            ++counts.notStarted;
            break;
        case JournalCameraState::InProgress:
            ++counts.inProgress;
            break;
        }
    }
    return counts;
}

std::vector<JournalCamera> BatchJournalState::CamerasLeft() const {
    std::vector<JournalCamera> left;
    for (const JournalCameraEntry& e : cameras) {
        if (e.state != JournalCameraState::Done) {
            left.push_back(e.camera);
        }
    }
    return left;
}

std::optional<BatchJournalState> ReadBatchJournal(std::istream& in) {
    BatchJournalState state;
    std::map<CameraKey, size_t> index;
    bool named = false;
    for (std::string line; std::getline(in, line);) {
        if (line.empty()) {
            continue;
        }
        const json record = line.size() > kMaxRecordBytes
                                ? json()
                                : json::parse(line, nullptr, false, /*ignore_comments=*/false);
        if (!record.is_object()) {
            // A torn record: the crash's last line, or the part of one a line
            // break was put after before the next record.
            ++state.skippedLines;
        } else if (!named) {
            if (!TakeBatchRecord(record, state, index)) {
                return std::nullopt;
            }
            named = true;
        } else {
            TakeRecord(record, state, index);
        }
    }
    if (!named) {
        return std::nullopt;
    }
    return state;
}

std::optional<BatchJournalState> ReadBatchJournalFile(const std::string& path) {
    std::ifstream in(OSA_pathFromUtf8(path), std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return ReadBatchJournal(in);
}

BatchJournalListing ListBatchJournals() {
    BatchJournalListing listing;
    std::error_code error;
    std::filesystem::directory_iterator it(OSA_pathFromUtf8(BatchesFolder()), error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        const std::filesystem::path& path = it->path();
        if (path.extension() != ".jsonl" || !IsBatchId(OSA_pathToUtf8(path.stem()))) {
            continue;
        }
        std::optional<BatchJournalState> state = ReadBatchJournalFile(OSA_pathToUtf8(path));
        if (state) {
            listing.batches.push_back(std::move(*state));
        } else {
            listing.unreadable.push_back(OSA_pathToUtf8(path));
        }
    }
    std::sort(listing.batches.begin(), listing.batches.end(),
              [](const BatchJournalState& a, const BatchJournalState& b) {
                  return std::tie(a.timeMs, a.id) < std::tie(b.timeMs, b.id);
              });
    std::sort(listing.unreadable.begin(), listing.unreadable.end());
    return listing;
}

std::optional<BatchJournalState> LastUnfinishedBatch() {
    BatchJournalListing listing = ListBatchJournals();
    for (auto it = listing.batches.rbegin(); it != listing.batches.rend(); ++it) {
        if (it->Unfinished()) {
            return std::move(*it);
        }
    }
    return std::nullopt;
}

bool LastBatchUnfinished() {
    const BatchJournalListing listing = ListBatchJournals();
    return !listing.batches.empty() && listing.batches.back().Unfinished();
}
