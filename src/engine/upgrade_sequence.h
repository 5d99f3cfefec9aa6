// What one upgrade worker does with one camera.
#pragma once

#include <cstdint>
#include <string>

#include "engine/requests_notes.h"
#include "osa/osa_tsk.h"
#include "sdk/lpr_sdk.h"

// Main function of every upgrade worker.
int32_t UpdateTaskMain(OsaTask* task);

// 0 when the request was handled (whatever its outcome), -1 when the request
// or its owner is missing.
int32_t UpdateDevice(const UpgradeRequest* request);

// Caller sets both out values to 0; written only by a successful read.
bool GetDeviceVersion(LprHandle handle, int tries, int32_t* versionNumber, int32_t* fourthField);

bool UpdateOneImage(const char* address, NoteOwner* owner, LprHandle handle,
                    const std::string& imagePath, int32_t versionNumber);

// False when the camera did not report itself connected within the bound.
bool RebootAndWait(LprHandle handle);

int32_t StopAvServer(const char* address);
