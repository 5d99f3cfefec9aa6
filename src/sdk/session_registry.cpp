#include "sdk/session_registry.h"

#include <cstdint>
#include <map>
#include <mutex>

namespace lpr {
namespace {

struct Registry {
    std::mutex mutex;
    // Ordered by handle number, so the last entry for an address is the newest.
    std::map<uintptr_t, std::shared_ptr<CameraSession>> sessions;
    uintptr_t next = 0x10;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

uintptr_t KeyOf(LprHandle handle) {
    return reinterpret_cast<uintptr_t>(handle);
}

} // namespace

LprHandle RegisterSession(std::shared_ptr<CameraSession> session) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    uintptr_t key = registry.next;
    registry.next += 0x10;
    registry.sessions.emplace(key, std::move(session));
    return reinterpret_cast<LprHandle>(key);
}

std::shared_ptr<CameraSession> FindSession(LprHandle handle) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto it = registry.sessions.find(KeyOf(handle));
    return it == registry.sessions.end() ? nullptr : it->second;
}

std::shared_ptr<CameraSession> TakeSession(LprHandle handle) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto it = registry.sessions.find(KeyOf(handle));
    if (it == registry.sessions.end()) {
        return nullptr;
    }
    std::shared_ptr<CameraSession> session = std::move(it->second);
    registry.sessions.erase(it);
    return session;
}

std::shared_ptr<CameraSession> FindSessionByAddress(const std::string& address) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    std::shared_ptr<CameraSession> newest;
    for (auto it = registry.sessions.rbegin(); it != registry.sessions.rend(); ++it) {
        const CameraEndpoint& endpoint = it->second->endpoint;
        if (endpoint.address != address) {
            continue;
        }
        if (!newest) {
            newest = it->second;
        } else if (endpoint.port != newest->endpoint.port) {
            return nullptr;
        }
    }
    return newest;
}

std::vector<std::shared_ptr<CameraSession>> TakeAllSessions() {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    std::vector<std::shared_ptr<CameraSession>> all;
    for (auto& entry : registry.sessions) {
        all.push_back(std::move(entry.second));
    }
    registry.sessions.clear();
    return all;
}

} // namespace lpr
