// Starting and stopping the workers the way the window and the command line
// both do it.
#pragma once

#include "engine/note_window.h"
#include "osa/osa_tsk.h"

#include <cstddef>

// A zero-filled task running `mainFn`; nothing when it cannot be made.
OsaTask* StartEngineTask(OsaTaskMain mainFn);

// The close sequence, once the caller has cleared its run flag: stop the
// search, release the SDK under g_sdkLock, stop and free the upgrade workers
// in slot order and then the version worker (each finishes the request in
// hand), and last unregister the note window, so that nothing posts to its
// owner any more. Slots are left empty; empty slots are passed over.
void StopEngine(OsaTask** upgradeTasks, size_t upgradeCount, OsaTask*& versionTask,
                NoteWindow window);
