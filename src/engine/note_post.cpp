#include "engine/note_post.h"

#include "engine/record_fields.h"

#include <algorithm>
#include <cstring>
#include <new>

using record_fields::CopyField;

namespace {

thread_local int32_t t_servedPort = 0;

// Cut to fit, always terminated.
void CopyText(char (&buffer)[IMAGE_NAME_BUFFER_SIZE], const std::string& text) {
    const std::size_t count = std::min(text.size(), IMAGE_NAME_BUFFER_SIZE - 1);
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
}

} // namespace

ServingCamera::ServingCamera(int32_t port) : m_previous(t_servedPort) {
    t_servedPort = port;
}

ServingCamera::~ServingCamera() {
    t_servedPort = m_previous;
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
        note->port = t_servedPort;
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

void FillResultNote(UpgradeResultNote& note, int32_t value, const char* address,
                    const UpgradeVersions& versions) {
    CopyField(note.address, address);
    note.value = value;
    CopyField(note.versionBefore, VersionText(versions.before).c_str());
    CopyField(note.versionAfter, VersionText(versions.after).c_str());
    note.check = versions.check;
    CopyField(note.versionExpected, VersionText(versions.expected).c_str());
    note.sdkError = versions.sdkError;
    note.imageFault = versions.imageFault;
    CopyText(note.imageName, versions.imageName);
    CopyText(note.detail, versions.detail);
    note.port = t_servedPort;
}

void PostUpgradeResult(NoteWindow window, int32_t value, intptr_t code, const char* address,
                       const UpgradeVersions& versions) {
    auto* note = new (std::nothrow) UpgradeResultNote{};
    if (note == nullptr) {
        return;
    }
    FillResultNote(*note, value, address, versions);
    if (!PostNoteMessage(window, WM_UPGRADE_RESULT, reinterpret_cast<uintptr_t>(note), code)) {
        delete note;
    }
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
