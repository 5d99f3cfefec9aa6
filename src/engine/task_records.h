// The records that cross between the window thread and the workers, and
// their numbers: mailbox commands, window messages, text fields.
#pragma once

#include "engine/note_owner.h"
#include "engine/upgrade_codes.h"

#include <cstddef>
#include <cstdint>
#include <string>

constexpr size_t TEXT_FIELD_SIZE = 32; // 31 characters and the terminating zero
constexpr size_t IMAGE_NAME_BUFFER_SIZE = 128;

constexpr uint32_t UPGRADE_TASK_COUNT = 5;

constexpr uint16_t CMD_UPDATE_DEVICE = 101;
constexpr uint16_t CMD_GET_DEVICE_VERSION = 102;

// windows.h, where it is included, defines the same number as a macro.
#ifndef WM_USER
constexpr uint32_t WM_USER = 0x0400;
#endif
constexpr uint32_t WM_DEVICE_FOUND = WM_USER + 200;
constexpr uint32_t WM_UPGRADE_RESULT = WM_USER + 201;
constexpr uint32_t WM_UPGRADE_PROGRESS = WM_USER + 202;
constexpr uint32_t WM_DEVICE_VERSION = WM_USER + 203;

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
    int32_t port; // of the camera the worker serves: two cameras may share an address
};
using UpgradeProgressNote = UpgradeNote;

// The outcome of one camera's run. Versions are dotted texts ("5.1.7.9"),
// empty when they were not read.
struct UpgradeResultNote {
    char address[TEXT_FIELD_SIZE];
    int32_t value;
    char versionBefore[TEXT_FIELD_SIZE];    // the read that chose the images
    char versionAfter[TEXT_FIELD_SIZE];     // the read once the camera was back from its last image
    int32_t check;                          // UPGRADE_CHECK_*
    char versionExpected[TEXT_FIELD_SIZE];  // the last image's target ("" when none was chosen)
    int32_t sdkError;                       // LprUpdateGetError of the transfer that decided, or 0
    int32_t imageFault;                     // ImageFault of UPGRADE_ERR_BAD_IMAGE, else 0
    char imageName[IMAGE_NAME_BUFFER_SIZE]; // the image the outcome is about ("" when none)
    char detail[IMAGE_NAME_BUFFER_SIZE];    // a fact beside the code, e.g. the serials of a swap
    int32_t port;                           // as in UpgradeNote
};

// What a run learnt of the camera's version, for its result note.
struct UpgradeVersions {
    int32_t before[4] = {0, 0, 0, 0};
    int32_t after[4] = {0, 0, 0, 0};
    int32_t check = UPGRADE_CHECK_NONE;
    int32_t expected[4] = {0, 0, 0, 0};
    int32_t sdkError = 0;
    int32_t imageFault = 0;
    std::string imageName;
    std::string detail;
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

// The dotted text of a version, "" when it was never read (all zeros).
std::string VersionText(const int32_t version[4]);
