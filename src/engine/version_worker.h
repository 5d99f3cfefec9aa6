// The version worker: reads each found camera's firmware version.
#pragma once

#include "engine/requests_notes.h"
#include "osa/osa_sync.h"
#include "osa/osa_tsk.h"

#include <cstdint>

// Guards the SDK's release against a running version visit. Initialised
// before the application starts (spin count 2000).
extern OsaCriticalSection g_sdkLock;

// Initialises g_sdkLock once; safe to call more than once.
void InitSdkLock();

int32_t GetVersionTaskMain(OsaTask* task);

// -1 when nothing was attempted (no request, no owner, dialog closing), else 0.
int32_t QueryDeviceVersion(const VersionRequest* request);
