#include "osa/osa_placement.h"
#include "osa/osa_sync.h"

#include <mutex>

struct OsaLockImpl {
    std::mutex mutex;
};

// The spin count is a tuning hint for the platform's critical sections; a
// std::mutex already spins briefly before sleeping, so it is not used.
int32_t OSA_csInit(OsaCriticalSection* cs, uint32_t /*spinCount*/) {
    if (cs == nullptr) {
        return -1;
    }
    cs->impl = OSA_newObject<OsaLockImpl>();
    return cs->impl != nullptr ? 0 : -1;
}

void OSA_csEnter(OsaCriticalSection* cs) {
    cs->impl->mutex.lock();
}

void OSA_csLeave(OsaCriticalSection* cs) {
    cs->impl->mutex.unlock();
}

void OSA_csDelete(OsaCriticalSection* cs) {
    if (cs != nullptr) {
        OSA_deleteObject(cs->impl);
        cs->impl = nullptr;
    }
}
