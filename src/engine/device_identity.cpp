#include "engine/device_identity.h"

#include <cstring>

namespace {

template <std::size_t N> std::string Field(const char (&text)[N]) {
    return std::string(text, strnlen(text, N));
}

std::string Describe(const LprIdentity& identity) {
    return Field(identity.serial) + "/" + Field(identity.model) + "/" + Field(identity.platform);
}

bool Same(const LprIdentity& a, const LprIdentity& b) {
    return Field(a.serial) == Field(b.serial) && Field(a.model) == Field(b.model) &&
           Field(a.platform) == Field(b.platform);
}

} // namespace

LoginIdentity ReadLoginIdentity(LprHandle handle) {
    LoginIdentity login;
    const LprSdk& sdk = LprSdkActive();
    login.known =
        sdk.LprGetIdentity != nullptr && sdk.LprGetIdentity(handle, &login.identity, nullptr) == 0;
    return login;
}

bool DeviceReplaced(LprHandle handle, const LoginIdentity& login, std::string* detail) {
    if (!login.known) {
        return false;
    }
    LprIdentity now{};
    if (LprSdkActive().LprGetIdentity(handle, nullptr, &now) != 0 || Same(now, login.identity)) {
        return false;
    }
    if (detail != nullptr) {
        *detail = Describe(login.identity) + " -> " + Describe(now);
    }
    return true;
}
