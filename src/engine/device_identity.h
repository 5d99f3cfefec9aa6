// Whether the device at a camera's address is still the camera that logged
// in. A restart gives the address up for a while, and another device (a
// spare, a neighbour with a clashing address) may answer there afterwards:
// it must never get the first camera's images.
#pragma once

#include "sdk/lpr_sdk.h"

#include <string>

struct LoginIdentity {
    bool known = false; // false: the SDK cannot tell, and no check is made
    LprIdentity identity{};
};

// The identity the camera gave at log-in.
LoginIdentity ReadLoginIdentity(LprHandle handle);

// True when the device answering now gives another serial, model or
// platform than at log-in; `detail` then says which ("login -> now"). A
// device that does not answer is not known to differ: the next step fails
// on its own.
bool DeviceReplaced(LprHandle handle, const LoginIdentity& login, std::string* detail);
