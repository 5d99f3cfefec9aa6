// Records that cross between the window thread and the workers, their
// numbers, and the functions that send and post them. Ownership passes with
// every send or post, also when it is refused.
#pragma once

#include "engine/note_window.h"
#include "engine/upgrade_codes.h"
#include "osa/osa_tsk.h"

#include <cstddef>
#include <cstdint>
#include <string>

constexpr size_t TEXT_FIELD_SIZE = 32; // 31 characters and the terminating zero
constexpr size_t IMAGE_NAME_BUFFER_SIZE = 128;

constexpr uint32_t UPGRADE_TASK_COUNT = 5;

constexpr uint16_t CMD_UPDATE_DEVICE = 101;
constexpr uint16_t CMD_GET_DEVICE_VERSION = 102;

constexpr uint32_t WM_USER = 0x0400;
constexpr uint32_t WM_DEVICE_FOUND = WM_USER + 200;
constexpr uint32_t WM_UPGRADE_RESULT = WM_USER + 201;
constexpr uint32_t WM_UPGRADE_PROGRESS = WM_USER + 202;
constexpr uint32_t WM_DEVICE_VERSION = WM_USER + 203;

// What the workers know of the dialog that sent them a request.
class NoteOwner {
public:
    // The window to post to; read afresh at every post.
    virtual NoteWindow GetNoteWindow() const = 0;
    // The dialog's run flag (m_bRunning); safe to read from any thread.
    virtual bool IsRunning() const = 0;

protected:
    ~NoteOwner() = default;
};

struct UpgradeRequest {
    char address[TEXT_FIELD_SIZE];
    int32_t port;
    char user[TEXT_FIELD_SIZE];
    char password[TEXT_FIELD_SIZE];
    NoteOwner* owner;
};

// Same fields; user and password stay empty.
using VersionRequest = UpgradeRequest;

struct UpgradeNote {
    char address[TEXT_FIELD_SIZE];
    int32_t value;
};
using UpgradeProgressNote = UpgradeNote;

// The outcome of one camera's run. Versions are dotted texts ("5.1.7.9"),
// empty when they were not read.
struct UpgradeResultNote {
    char address[TEXT_FIELD_SIZE];
    int32_t value;
    char versionBefore[TEXT_FIELD_SIZE]; // the read that chose the images
    char versionAfter[TEXT_FIELD_SIZE];  // the read once the camera was back from its last image
    int32_t check;                       // UPGRADE_CHECK_*
};

// What a run learnt of the camera's version, for its result note.
struct UpgradeVersions {
    int32_t before[4] = {0, 0, 0, 0};
    int32_t after[4] = {0, 0, 0, 0};
    int32_t check = UPGRADE_CHECK_NONE;
};

struct DeviceVersionNote {
    char address[TEXT_FIELD_SIZE];
    char version[TEXT_FIELD_SIZE];
};

// The address text exactly as the search reported it.
using FoundDeviceNote = std::string;

// A record's text field as text: up to its terminating zero, never past the
// 31 characters a field holds.
std::string FieldText(const char (&field)[TEXT_FIELD_SIZE]);

// Results of the send functions.
constexpr int32_t SEND_OK = 0;
constexpr int32_t SEND_REFUSED = -1;       // bad index, no task, or the mailbox is full
constexpr int32_t SEND_TEXT_TOO_LONG = -2; // a text does not fit its 32-byte field; nothing sent

// Sends an UpgradeRequest to upgradeTasks[index] with CMD_UPDATE_DEVICE.
int32_t SendUpgradeRequest(OsaTask* const* upgradeTasks, uint32_t index, const char* address,
                           int32_t port, const char* user, const char* password, NoteOwner* owner);

// The same to one upgrade task, for a set of workers of any size.
int32_t SendUpgradeRequestTo(OsaTask* task, const char* address, int32_t port, const char* user,
                             const char* password, NoteOwner* owner);

// Sends a VersionRequest to the version task with CMD_GET_DEVICE_VERSION.
int32_t SendVersionRequest(OsaTask* versionTask, const char* address, int32_t port,
                           NoteOwner* owner);

// Posts an UpgradeProgressNote or UpgradeResultNote (by message number) with
// the given value and lParam. When the post fails the note, and an image-name
// buffer in lParam of a step-5 progress note, are freed here.
void PostUpgradeNote(NoteWindow window, uint32_t message, int32_t value, intptr_t lParam,
                     const char* address);

// Posts an UpgradeResultNote carrying the versions; a version whose first
// part is not above 0 stays empty. Frees the note when the post fails.
void PostUpgradeResult(NoteWindow window, int32_t value, intptr_t code, const char* address,
                       const UpgradeVersions& versions);

// The dotted text of a version, "" when its first part is not above 0.
std::string VersionText(const int32_t version[4]);

// Posts a DeviceVersionNote when v[0] > 0; nothing otherwise.
void PostDeviceVersionNote(NoteWindow window, const char* address, const int32_t version[4]);

// The SDK's search callback; userData is the NoteOwner to post WM_DEVICE_FOUND to.
void FindDeviceCallback(uint32_t reserved1, const char* address, uint32_t port, uint32_t reserved4,
                        uint32_t reserved5, uint32_t reserved6, void* userData);

// Frees the records that a posted message carries (for a message that can no
// longer be handled, e.g. its window is gone).
void FreeNoteMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
