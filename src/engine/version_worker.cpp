#include "engine/version_worker.h"

#include "osa/osa_assert.h"
#include "osa/osa_sleep.h"
#include "sdk/lpr_sdk.h"

#include <cstring>
#include <mutex>

OsaCriticalSection g_sdkLock{};

namespace {

constexpr char kVersionUser[] = "admin";
constexpr char kVersionPassword[] = "ploma";
constexpr int kVersionReads = 3;
constexpr uint32_t kWaitAfterFailedRead = 1200;
constexpr uint32_t kSdkLockSpinCount = 2000;

std::once_flag g_sdkLockOnce;

} // namespace

void InitSdkLock() {
    std::call_once(g_sdkLockOnce, [] { OSA_csInit(&g_sdkLock, kSdkLockSpinCount); });
}

int32_t GetVersionTaskMain(OsaTask* task) {
    if (task == nullptr) {
        OSA_ASSERT_REPORT("GetVersionTaskMain");
        return 0;
    }
    InitSdkLock();
    while (OSA_tskIsRunning(task)) {
        OsaMessage* msg = nullptr;
        if (OSA_mbxWaitMsg(&task->mailbox, &msg) != 0 || msg == nullptr) {
            break;
        }
        if (msg->command == CMD_GET_DEVICE_VERSION) {
            QueryDeviceVersion(static_cast<const VersionRequest*>(msg->payload));
        }
        OSA_mbxAckOrFreeMsg(msg);
    }
    return 0;
}

int32_t QueryDeviceVersion(const VersionRequest* request) {
    if (request == nullptr || request->owner == nullptr) {
        return -1;
    }
    NoteOwner* owner = request->owner;
    const std::string addressText = FieldText(request->address);
    const char* address = addressText.c_str();
    if (!owner->IsRunning()) {
        return -1;
    }
    InitSdkLock();
    OSA_csEnter(&g_sdkLock);
    // The close sequence may have released the SDK while we waited for the
    // lock: a log-in now would reach a released SDK.
    if (!owner->IsRunning()) {
        OSA_csLeave(&g_sdkLock);
        return -1;
    }
    const LprSdk& sdk = LprSdkActive();
    const uint32_t port = static_cast<uint32_t>(request->port) & 0xFFFFu;
    LprHandle handle = sdk.LprOpen(address, port, kVersionUser, kVersionPassword);
    if (handle != nullptr) {
        int32_t v[4] = {0, 0, 0, 0};
        for (int i = 0; i < kVersionReads; ++i) {
            if (sdk.LprGetVersion(handle, &v[0], &v[1], &v[2], &v[3]) == 0) {
                break;
            }
            if (!owner->IsRunning()) {
                break;
            }
            OSA_sleep(kWaitAfterFailedRead);
        }
        // Only the first number decides, also after a failed last read.
        PostDeviceVersionNote(owner->GetNoteWindow(), address, v);
        sdk.LprClose(handle);
    }
    OSA_csLeave(&g_sdkLock);
    return 0;
}
