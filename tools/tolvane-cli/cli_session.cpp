#include "cli_session.h"

#include "engine/upgrade_sequence.h"
#include "engine/version_worker.h"
#include "sdk/lpr_sdk.h"

#include <cstdlib>

namespace {

OsaTask* CreateTask(OsaTaskMain mainFn) {
    auto* task = static_cast<OsaTask*>(std::calloc(1, sizeof(OsaTask)));
    if (task != nullptr && OSA_tskCreate(task, mainFn) != 0) {
        std::free(task);
        return nullptr;
    }
    return task;
}

void DeleteTask(OsaTask*& task) {
    if (task != nullptr) {
        OSA_tskDelete(task);
        std::free(task);
        task = nullptr;
    }
}

} // namespace

CliSession::CliSession() {
    InitSdkLock();
    LprSdkActive().LprSetup();
    m_window = RegisterNoteWindow([this](uint32_t message, uintptr_t wParam, intptr_t lParam) {
        Sink(message, wParam, lParam);
    });
    for (OsaTask*& task : m_upgradeTasks) {
        task = CreateTask(UpdateTaskMain);
    }
    m_versionTask = CreateTask(GetVersionTaskMain);
}

CliSession::~CliSession() {
    Shutdown();
    std::lock_guard<std::mutex> guard(m_mutex);
    for (const PostedNote& note : m_queue) {
        FreeNoteMessage(note.message, note.wParam, note.lParam);
    }
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
    const LprSdk& sdk = LprSdkActive();
    sdk.LprStopFindDevice();
    // Workers first: they are idle by now (or finish the camera in hand), so
    // the SDK is never released under a running upgrade.
    for (OsaTask*& task : m_upgradeTasks) {
        DeleteTask(task);
    }
    DeleteTask(m_versionTask);
    OSA_csEnter(&g_sdkLock);
    sdk.LprCleanup();
    OSA_csLeave(&g_sdkLock);
    // Nothing posts any more; what was posted stays queued for NextNote.
    UnregisterNoteWindow(m_window);
}
