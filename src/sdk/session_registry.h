// The open camera handles. A handle is a number that is never reused, handed
// out as an opaque pointer; every call looks it up here, so a stale or
// made-up handle fails instead of touching freed memory.
#pragma once

#include "sdk/camera_messages.h"
#include "sdk/firmware_upload.h"
#include "sdk/http_client.h"
#include "sdk/lpr_sdk.h"

#include <memory>
#include <string>
#include <vector>

namespace lpr {

struct CameraSession {
    CameraSession(CameraEndpoint where, DeviceInfo login)
        : endpoint(std::move(where)), atLogin(std::move(login)) {}
    const CameraEndpoint endpoint;
    const DeviceInfo atLogin; // the device answer of the log-in
    FirmwareUpload upload;
};

LprHandle RegisterSession(std::shared_ptr<CameraSession> session);

// The session of a handle, or null.
std::shared_ptr<CameraSession> FindSession(LprHandle handle);

// Removes the handle; the session, or null when it was not open.
std::shared_ptr<CameraSession> TakeSession(LprHandle handle);

// The most recently opened session for this address text; null when none is
// open, or when the open ones disagree on the port: behind one address
// (port forwarding, NAT) each port may be another camera, and the address
// alone cannot tell which one is meant.
std::shared_ptr<CameraSession> FindSessionByAddress(const std::string& address);

// Removes every handle.
std::vector<std::shared_ptr<CameraSession>> TakeAllSessions();

} // namespace lpr
