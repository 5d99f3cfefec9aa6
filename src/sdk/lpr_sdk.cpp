#include "sdk/lpr_sdk.h"

#include <atomic>

namespace {
std::atomic<const LprSdk*> g_installed{nullptr};
}

const LprSdk& LprSdkActive() {
    const LprSdk* table = g_installed.load(std::memory_order_acquire);
    return table != nullptr ? *table : LprNetworkSdk();
}

void LprSdkInstall(const LprSdk* table) {
    g_installed.store(table, std::memory_order_release);
}
