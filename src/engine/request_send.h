// Sending requests into the workers' mailboxes. A send never waits; the
// request passes to the task runtime also when it is refused.
#pragma once

#include "engine/task_records.h"
#include "osa/osa_tsk.h"

// Results of the send functions.
constexpr int32_t SEND_OK = 0;
constexpr int32_t SEND_REFUSED = -1;       // bad index, no task, or the mailbox is full
constexpr int32_t SEND_TEXT_TOO_LONG = -2; // a text does not fit its 32-byte field; nothing sent

// Sends an UpgradeRequest to upgradeTasks[index] with CMD_UPDATE_DEVICE.
int32_t SendUpgradeRequest(OsaTask* const* upgradeTasks, uint32_t index, const char* address,
                           int32_t port, const char* user, const char* password, NoteOwner* owner);

// The same to one upgrade task, for a set of workers of any size.
int32_t SendUpgradeRequestTo(OsaTask* task, const char* address, int32_t port, const char* user,
                             const char* password, NoteOwner* owner, int32_t attempt = 1);

// Sends a VersionRequest to the version task with CMD_GET_DEVICE_VERSION.
int32_t SendVersionRequest(OsaTask* versionTask, const char* address, int32_t port,
                           NoteOwner* owner);
