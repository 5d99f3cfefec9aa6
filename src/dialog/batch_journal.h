// The batch journal: batches/<id>.jsonl in the data folder, one JSON record a
// line, so that a batch cut short (a crash, a dead laptop, kill -9) can be
// told apart from a finished one and continued with exactly the cameras left.
// The window and tolvane-cli write and read it through here.
#pragma once

#include "engine/task_records.h"

#include <chrono>
#include <cstdint>
#include <mutex>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <utility>
#include <vector>

struct JournalCamera {
    std::string address;
    int32_t port = 80;
    bool operator==(const JournalCamera&) const = default;
};

// What a camera's end record says.
struct JournalOutcome {
    bool started = true; // false: the camera was never begun (not sent, batch stopped)
    bool success = false;
    bool verified = false;
    int32_t code = 0;
    int32_t sdkError = 0;
};

// A result note's outcome (its code is the note's lParam).
JournalOutcome JournalOutcomeOf(const UpgradeResultNote& note, intptr_t code);

// "20261210T131500Z-3f9a": the UTC time, then four random hex digits; text
// order is start order to the second.
std::string NewBatchId(std::chrono::system_clock::time_point now);
// Only what NewBatchId makes (so that an id never names a path elsewhere).
bool IsBatchId(const std::string& text);

// The data folder's batches folder, and a journal in it.
std::string BatchesFolder();
std::string BatchJournalPath(const std::string& id);
// True while a writer of batch `id` lives, in this program or another; a
// run that was killed or crashed holds it no more.
bool BatchJournalInUse(const std::string& id);

// Appends the records of one batch. Each record is one whole line, appended
// under a lock, so that a reader never takes half a record for one; a
// record that cannot be written is counted as a lost report
// (engine/report_failures.h). One writer per batch; its calls may come from
// any thread. While it lives, BatchJournalInUse tells so.
class BatchJournalWriter {
public:
    // A new batch with a fresh id: its first record names the cameras in
    // batch order and the options (workers, and the rollout options in use).
    static BatchJournalWriter Begin(const std::vector<JournalCamera>& cameras,
                                    const nlohmann::json& options);
    // A run continuing batch `id` in its own journal: the record names the
    // cameras this run upgrades again, whose earlier ends no longer count.
    static BatchJournalWriter Continue(const std::string& id,
                                       const std::vector<JournalCamera>& cameras);

    BatchJournalWriter(BatchJournalWriter&& other) noexcept;
    ~BatchJournalWriter();

    const std::string& Id() const { return m_id; }
    const std::string& Path() const { return m_path; }

    // The camera's first progress; later calls for it are ignored.
    void Started(const JournalCamera& camera);
    void Ended(const JournalCamera& camera, const JournalOutcome& outcome);

private:
    BatchJournalWriter(std::string id, std::string path);
    void Append(nlohmann::json record);

    std::string m_id;
    std::string m_path;
    intptr_t m_lock = -1; // held while the writer lives
    std::mutex m_mutex;
    std::set<std::pair<std::string, int32_t>> m_started;
};
