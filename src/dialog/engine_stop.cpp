#include "dialog/engine_stop.h"

#include "engine/version_worker.h"
#include "sdk/lpr_sdk.h"

#include <cstdlib>

namespace {

void DeleteTask(OsaTask*& task) {
    if (task == nullptr) {
        return;
    }
    OSA_tskDelete(task);
    std::free(task);
    task = nullptr;
}

} // namespace

OsaTask* StartEngineTask(OsaTaskMain mainFn) {
    auto* task = static_cast<OsaTask*>(std::calloc(1, sizeof(OsaTask)));
    if (task != nullptr && OSA_tskCreate(task, mainFn) != 0) {
        std::free(task);
        return nullptr;
    }
    return task;
}

void StopEngine(OsaTask** upgradeTasks, size_t upgradeCount, OsaTask*& versionTask,
                NoteWindow window) {
    const LprSdk& sdk = LprSdkActive();
    sdk.LprStopFindDevice();
    OSA_csEnter(&g_sdkLock);
    sdk.LprCleanup();
    OSA_csLeave(&g_sdkLock);
    for (size_t i = 0; i < upgradeCount; ++i) {
        DeleteTask(upgradeTasks[i]);
    }
    // The version worker tests the run flag before each camera, so it ends
    // after the visit in hand; left running it would post to a dead owner.
    DeleteTask(versionTask);
    if (window != 0) {
        UnregisterNoteWindow(window);
    }
}
