#include "cli_session.h"

#include "dialog/engine_stop.h"
#include "engine/upgrade_sequence.h"
#include "engine/version_worker.h"
#include "sdk/lpr_sdk.h"

CliSession::CliSession(uint32_t upgradeWorkers) : m_upgradeTasks(upgradeWorkers, nullptr) {
    InitSdkLock();
    LprSdkActive().LprSetup();
    m_window = RegisterNoteWindow([this](uint32_t message, uintptr_t wParam, intptr_t lParam) {
        Sink(message, wParam, lParam);
    });
    for (OsaTask*& task : m_upgradeTasks) {
        task = StartEngineTask(UpdateTaskMain);
    }
    m_versionTask = StartEngineTask(GetVersionTaskMain);
}

CliSession::~CliSession() {
    Shutdown();
    std::lock_guard<std::mutex> guard(m_mutex);
    for (const PostedNote& note : m_queue) {
        FreeNoteMessage(note.message, note.wParam, note.lParam);
    }
}

bool CliSession::BatchStopped() const {
    const BatchControl* batch = m_batch.load();
    return batch != nullptr && batch->Stopped();
}

void CliSession::Sink(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_queue.push_back({message, wParam, lParam});
    }
    m_arrived.notify_one();
}

bool CliSession::NextNote(PostedNote* note, std::chrono::steady_clock::time_point deadline) {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_arrived.wait_until(lock, deadline, [this] { return !m_queue.empty(); })) {
        return false;
    }
    *note = m_queue.front();
    m_queue.pop_front();
    return true;
}

void CliSession::Shutdown() {
    if (m_shutDown) {
        return;
    }
    m_shutDown = true;
    m_running.store(false);
    // What was posted before stays queued for NextNote.
    StopEngine(m_upgradeTasks.data(), m_upgradeTasks.size(), m_versionTask, m_window);
}
