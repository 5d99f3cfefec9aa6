// The SDK table of a build without a network transport for its platform:
// every operation fails, so that the engine and its tests still link.
#include "sdk/lpr_sdk.h"

namespace {
int32_t Fail0() {
    return -1;
}
uint32_t NoDrops() {
    return 0;
}
int32_t FailStart(LprFindDeviceCallback, void*) {
    return -1;
}
LprHandle FailOpen(const char*, uint32_t, const char*, const char*) {
    return nullptr;
}
int32_t FailH(LprHandle) {
    return -1;
}
int32_t FailConn(LprHandle, uint8_t*) {
    return -1;
}
int32_t FailVer(LprHandle, int32_t*, int32_t*, int32_t*, int32_t*) {
    return -1;
}
int32_t FailUpd(LprHandle, const char*) {
    return -1;
}
int32_t FailShell(const char*, const char*) {
    return -1;
}
int32_t FailProbe(const uint32_t*, uint32_t, LprFindDeviceCallback, void*) {
    return -1;
}
int32_t NoProbe() {
    return 0;
}
int32_t FailIdentity(LprHandle, LprIdentity*, LprIdentity*) {
    return -1;
}

const LprSdk kTable = {Fail0,     Fail0,   FailStart, Fail0,   FailOpen,    FailH,
                       FailConn,  FailVer, FailUpd,   FailH,   Fail0,       FailH,
                       FailShell, NoDrops, FailProbe, NoProbe, FailIdentity};
} // namespace

const LprSdk& LprNetworkSdk() {
    return kTable;
}
