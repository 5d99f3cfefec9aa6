// Progress step codes and result codes of one camera's upgrade.
#pragma once

#include <cstdint>

constexpr int32_t UPGRADE_STEP_CLEAN_LOG = 1;
constexpr int32_t UPGRADE_STEP_CLEAN_DATABASE = 2;
constexpr int32_t UPGRADE_STEP_REBOOT_AFTER_CLEAN = 3;
constexpr int32_t UPGRADE_STEP_SEND_IMAGE = 5; // lParam carries the image-name buffer
constexpr int32_t UPGRADE_STEP_IMAGE_ACCEPTED = 6;

constexpr int32_t UPGRADE_OK = 0;
constexpr int32_t UPGRADE_ERR_OPEN = 1;
constexpr int32_t UPGRADE_ERR_NO_VERSION = 2;
constexpr int32_t UPGRADE_ERR_NO_IMAGE = 3;
constexpr int32_t UPGRADE_ERR_SEND = 4;
constexpr int32_t UPGRADE_ERR_REREAD_VERSION = 5;
// An image was flashed, yet the camera came back with the version it had.
constexpr int32_t UPGRADE_ERR_VERSION_UNCHANGED = 6;
// The camera came back on another version than the last image's target.
constexpr int32_t UPGRADE_ERR_VERSION_MISMATCH = 7;
// The version could not be read at the end: nobody knows what the camera runs.
constexpr int32_t UPGRADE_ERR_UNVERIFIED = 8;
// Another device (serial, model or platform) answered at the camera's address.
constexpr int32_t UPGRADE_ERR_DEVICE_REPLACED = 9;
// An image failed its checks (ImageFault says which); nothing was sent.
constexpr int32_t UPGRADE_ERR_BAD_IMAGE = 10;

// What the version read after the last image says about a run's outcome.
constexpr int32_t UPGRADE_CHECK_NONE = 0;       // the run failed before that read
constexpr int32_t UPGRADE_CHECK_VERIFIED = 1;   // the version was read at the end
constexpr int32_t UPGRADE_CHECK_UNVERIFIED = 2; // it could not be read: the outcome is unconfirmed
