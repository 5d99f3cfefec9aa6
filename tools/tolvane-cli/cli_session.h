// The engine as the window sets it up: the SDK, the upgrade workers (five,
// as in the window, unless asked for more), the version worker and a note
// window whose messages the main thread drains.
#pragma once

#include "dialog/batch_control.h"
#include "engine/requests_notes.h"
#include "osa/osa_tsk.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

// A posted message; the receiver frees it with FreeNoteMessage.
struct PostedNote {
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

class CliSession : public NoteOwner {
public:
    explicit CliSession(uint32_t upgradeWorkers = UPGRADE_TASK_COUNT);
    ~CliSession(); // Shutdown() if not done yet
    CliSession(const CliSession&) = delete;
    CliSession& operator=(const CliSession&) = delete;

    NoteWindow GetNoteWindow() const override { return m_window; }
    bool IsRunning() const override { return m_running.load(); }
    bool BatchStopped() const override;
    // The batch whose stop the workers heed; set before its first request.
    void FollowBatch(const BatchControl* batch) { m_batch.store(batch); }
    std::string BatchId() const override { return m_batchId; }
    // Before the first request: the workers read it without a lock.
    void SetBatchId(const std::string& id) { m_batchId = id; }

    OsaTask* const* UpgradeTasks() const { return m_upgradeTasks.data(); }
    uint32_t UpgradeTaskCount() const { return static_cast<uint32_t>(m_upgradeTasks.size()); }
    OsaTask* VersionTask() const { return m_versionTask; }

    // Takes the next posted message, waiting until `deadline` at most.
    bool NextNote(PostedNote* note, std::chrono::steady_clock::time_point deadline);

    // The window's close sequence: stops the search, releases the SDK and
    // stops every worker (each finishes its current camera). Notes already
    // posted can still be taken with NextNote; the destructor frees the rest.
    void Shutdown();

private:
    void Sink(uint32_t message, uintptr_t wParam, intptr_t lParam);

    NoteWindow m_window = 0;
    std::string m_batchId;
    std::atomic<bool> m_running{true};
    std::atomic<const BatchControl*> m_batch{nullptr};
    bool m_shutDown = false;
    std::vector<OsaTask*> m_upgradeTasks;
    OsaTask* m_versionTask = nullptr;
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::deque<PostedNote> m_queue;
};
