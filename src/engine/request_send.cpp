#include "engine/request_send.h"

#include "engine/record_fields.h"

#include <cstdlib>
#include <cstring>

using record_fields::CopyField;
using record_fields::FitsField;

namespace {

// A zero-filled request from malloc: the task runtime frees it with free.
UpgradeRequest* NewRequest(const char* address, int32_t port, const char* user,
                           const char* password, NoteOwner* owner) {
    auto* request = static_cast<UpgradeRequest*>(std::malloc(sizeof(UpgradeRequest)));
    if (request == nullptr) {
        return nullptr;
    }
    std::memset(request, 0, sizeof(UpgradeRequest));
    CopyField(request->address, address);
    request->port = port;
    CopyField(request->user, user);
    CopyField(request->password, password);
    request->owner = owner;
    return request;
}

int32_t SendResult(int32_t runtimeResult) {
    return runtimeResult == 0 ? SEND_OK : SEND_REFUSED;
}

} // namespace

int32_t SendUpgradeRequest(OsaTask* const* upgradeTasks, uint32_t index, const char* address,
                           int32_t port, const char* user, const char* password, NoteOwner* owner) {
    if (index >= UPGRADE_TASK_COUNT || upgradeTasks == nullptr) {
        return SEND_REFUSED;
    }
    return SendUpgradeRequestTo(upgradeTasks[index], address, port, user, password, owner);
}

int32_t SendUpgradeRequestTo(OsaTask* task, const char* address, int32_t port, const char* user,
                             const char* password, NoteOwner* owner, int32_t attempt) {
    if (task == nullptr) {
        return SEND_REFUSED;
    }
    // A cut-off password would only fail the log-in minutes later, on the
    // worker; refusing here lets the caller tell the operator at once.
    if (!FitsField(address) || !FitsField(user) || !FitsField(password)) {
        return SEND_TEXT_TOO_LONG;
    }
    UpgradeRequest* request = NewRequest(address, port, user, password, owner);
    if (request == nullptr) {
        return SEND_REFUSED;
    }
    request->attempt = attempt;
    return SendResult(OSA_tskSendNotifyMsgCb(task, CMD_UPDATE_DEVICE, request));
}

int32_t SendVersionRequest(OsaTask* versionTask, const char* address, int32_t port,
                           NoteOwner* owner) {
    if (!FitsField(address)) {
        return SEND_TEXT_TOO_LONG;
    }
    VersionRequest* request = NewRequest(address, port, nullptr, nullptr, owner);
    if (request == nullptr) {
        return SEND_REFUSED;
    }
    // A missing task is the runtime's own assertion case; it frees the request.
    return SendResult(OSA_tskSendNotifyMsgCb(versionTask, CMD_GET_DEVICE_VERSION, request));
}
