// Posting notes to the window, from the workers and the search callback, and
// freeing the records of a message nobody will handle. The receiver owns
// every note posted; a post that fails frees what it carried.
#pragma once

#include "engine/task_records.h"

// Marks the calling worker thread as serving the camera at `port` while it
// lives: every upgrade note the thread posts meanwhile carries that port,
// so that two cameras behind one address stay apart.
class ServingCamera {
public:
    explicit ServingCamera(int32_t port);
    ~ServingCamera();
    ServingCamera(const ServingCamera&) = delete;
    ServingCamera& operator=(const ServingCamera&) = delete;

private:
    int32_t m_previous;
};

// Posts an UpgradeProgressNote or UpgradeResultNote (by message number) with
// the given value and lParam. When the post fails the note, and an image-name
// buffer in lParam of a step-5 progress note, are freed here.
void PostUpgradeNote(NoteWindow window, uint32_t message, int32_t value, intptr_t lParam,
                     const char* address);

// Posts an UpgradeResultNote carrying the versions; a version whose first
// part is not above 0 stays empty. Frees the note when the post fails.
void PostUpgradeResult(NoteWindow window, int32_t value, intptr_t code, const char* address,
                       const UpgradeVersions& versions);

// A result note's fields from a run's facts.
void FillResultNote(UpgradeResultNote& note, int32_t value, const char* address,
                    const UpgradeVersions& versions);

// Posts a DeviceVersionNote when v[0] > 0; nothing otherwise.
void PostDeviceVersionNote(NoteWindow window, const char* address, const int32_t version[4]);

// The SDK's search callback; userData is the NoteOwner to post WM_DEVICE_FOUND to.
void FindDeviceCallback(uint32_t reserved1, const char* address, uint32_t port, uint32_t reserved4,
                        uint32_t reserved5, uint32_t reserved6, void* userData);

// Frees the records that a posted message carries (for a message that can no
// longer be handled, e.g. its window is gone).
void FreeNoteMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
