#include "engine/upgrade_log.h"
#include "engine/upgrade_sequence.h"
#include "osa/osa_sleep.h"

bool RebootAndWait(LprHandle handle) {
    const LprSdk& sdk = LprSdkActive();
    sdk.LprReboot(handle);
    OSA_sleep(WAIT_AFTER_REBOOT);

    // Zeroed once: the SDK only ever writes 1 into the first byte.
    uint8_t status[2] = {0, 0};
    sdk.LprIsConnected(handle, status);
    int polls = 0;
    while (status[0] != 1) {
        if (polls >= CONNECTION_POLLS_AFTER_FIRST) {
            return false;
        }
        OSA_sleep(WAIT_BETWEEN_CONNECTION_POLLS);
        ++polls;
        sdk.LprIsConnected(handle, status);
    }
    OSA_sleep(WAIT_AFTER_RECONNECT);
    return true;
}

int32_t StopAvServer(const char* address) {
    const LprSdk& sdk = LprSdkActive();
    const int32_t feed = sdk.RemoteShellExec(address, SHELL_FEED_DOG);
    if (feed != 0) {
        WriteUpdateLog(address, LOG_FEED_DOG_FAILED);
    }
    OSA_sleep(WAIT_AFTER_SHELL_COMMAND);
    const int32_t kill = sdk.RemoteShellExec(address, SHELL_KILL_AV_SERVER);
    if (kill != 0) {
        WriteUpdateLog(address, LOG_KILL_AV_SERVER_FAILED);
    }
    OSA_sleep(WAIT_AFTER_SHELL_COMMAND);
    return feed == 0 && kill == 0 ? 0 : -1;
}
