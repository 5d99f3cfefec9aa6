#include "engine/requests_notes.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// Length of `text` when it fits a text field with its terminating zero;
// TEXT_FIELD_SIZE when it does not. A missing text counts as empty.
size_t FieldLength(const char* text) {
    return text != nullptr ? strnlen(text, TEXT_FIELD_SIZE) : 0;
}

bool FitsField(const char* text) {
    return FieldLength(text) < TEXT_FIELD_SIZE;
}

// Copies at most 31 characters and always leaves the field terminated; the
// bytes behind stay as they were (zero in a zero-filled record).
void CopyField(char (&field)[TEXT_FIELD_SIZE], const char* text) {
    const size_t length = FieldLength(text);
    const size_t copied = length < TEXT_FIELD_SIZE ? length : TEXT_FIELD_SIZE - 1;
    if (copied > 0) {
        std::memcpy(field, text, copied);
    }
    field[copied] = '\0';
}

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

std::string FieldText(const char (&field)[TEXT_FIELD_SIZE]) {
    return std::string(field, strnlen(field, TEXT_FIELD_SIZE - 1));
}

int32_t SendUpgradeRequest(OsaTask* const* upgradeTasks, uint32_t index, const char* address,
                           int32_t port, const char* user, const char* password, NoteOwner* owner) {
    if (index >= UPGRADE_TASK_COUNT || upgradeTasks == nullptr) {
        return SEND_REFUSED;
    }
    return SendUpgradeRequestTo(upgradeTasks[index], address, port, user, password, owner);
}

int32_t SendUpgradeRequestTo(OsaTask* task, const char* address, int32_t port, const char* user,
                             const char* password, NoteOwner* owner) {
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

void PostUpgradeNote(NoteWindow window, uint32_t message, int32_t value, intptr_t lParam,
                     const char* address) {
    if (message == WM_UPGRADE_RESULT) {
        PostUpgradeResult(window, value, lParam, address, UpgradeVersions{});
        return;
    }
    auto* note = new (std::nothrow) UpgradeNote{};
    if (note != nullptr) {
        CopyField(note->address, address);
        note->value = value;
        if (PostNoteMessage(window, message, reinterpret_cast<uintptr_t>(note), lParam)) {
            return;
        }
    }
    // Nobody will handle the message: free what it would have carried.
    delete note;
    if (message == WM_UPGRADE_PROGRESS && value == UPGRADE_STEP_SEND_IMAGE) {
        delete[] reinterpret_cast<char*>(lParam);
    }
}

void PostUpgradeResult(NoteWindow window, int32_t value, intptr_t code, const char* address,
                       const UpgradeVersions& versions) {
    auto* note = new (std::nothrow) UpgradeResultNote{};
    if (note == nullptr) {
        return;
    }
    CopyField(note->address, address);
    note->value = value;
    CopyField(note->versionBefore, VersionText(versions.before).c_str());
    CopyField(note->versionAfter, VersionText(versions.after).c_str());
    note->check = versions.check;
    if (!PostNoteMessage(window, WM_UPGRADE_RESULT, reinterpret_cast<uintptr_t>(note), code)) {
        delete note;
    }
}

std::string VersionText(const int32_t version[4]) {
    if (version == nullptr || version[0] <= 0) {
        return "";
    }
    char text[TEXT_FIELD_SIZE] = {};
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", version[0], version[1], version[2], version[3]);
    return text;
}

void PostDeviceVersionNote(NoteWindow window, const char* address, const int32_t version[4]) {
    if (version == nullptr || version[0] <= 0) {
        return;
    }
    auto* note = new (std::nothrow) DeviceVersionNote{};
    if (note == nullptr) {
        return;
    }
    CopyField(note->address, address);
    CopyField(note->version, VersionText(version).c_str());
    if (!PostNoteMessage(window, WM_DEVICE_VERSION, reinterpret_cast<uintptr_t>(note), 0)) {
        delete note;
    }
}

void FindDeviceCallback(uint32_t /*reserved1*/, const char* address, uint32_t port,
                        uint32_t /*reserved4*/, uint32_t /*reserved5*/, uint32_t /*reserved6*/,
                        void* userData) {
    if (userData == nullptr || address == nullptr) {
        return;
    }
    const NoteOwner* owner = static_cast<const NoteOwner*>(userData);
    FoundDeviceNote* note = nullptr;
    try {
        note = new FoundDeviceNote(address);
    } catch (const std::bad_alloc&) {
        return; // the SDK's thread must not see an exception; this report is lost
    }
    if (!PostNoteMessage(owner->GetNoteWindow(), WM_DEVICE_FOUND, port & 0xFFFFu,
                         reinterpret_cast<intptr_t>(note))) {
        delete note;
    }
}

void FreeNoteMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    switch (message) {
    case WM_DEVICE_FOUND:
        delete reinterpret_cast<FoundDeviceNote*>(lParam);
        break;
    case WM_UPGRADE_RESULT:
        delete reinterpret_cast<UpgradeResultNote*>(wParam);
        break;
    case WM_UPGRADE_PROGRESS: {
        auto* note = reinterpret_cast<UpgradeProgressNote*>(wParam);
        // Only step 5 carries a buffer in lParam; any other lParam is not ours.
        if (note != nullptr && note->value == UPGRADE_STEP_SEND_IMAGE) {
            delete[] reinterpret_cast<char*>(lParam);
        }
        delete note;
        break;
    }
    case WM_DEVICE_VERSION:
        delete reinterpret_cast<DeviceVersionNote*>(wParam);
        break;
    default:
        break;
    }
}
