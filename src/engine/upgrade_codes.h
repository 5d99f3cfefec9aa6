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
