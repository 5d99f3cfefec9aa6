#include "engine/note_window.h"

#include <mutex>
#include <unordered_map>
#include <utility>

namespace {

struct NoteWindowRegistry {
    std::mutex mutex;
    std::unordered_map<NoteWindow, NoteSink> sinks;
    NoteWindow lastHandle = 0;
};

NoteWindowRegistry& Registry() {
    static NoteWindowRegistry registry;
    return registry;
}

} // namespace

NoteWindow RegisterNoteWindow(NoteSink sink) {
    if (!sink) {
        return 0;
    }
    NoteWindowRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.mutex);
    // Handles are never reused, so a stale handle can never reach a newer window.
    const NoteWindow handle = ++registry.lastHandle;
    registry.sinks.emplace(handle, std::move(sink));
    return handle;
}

void UnregisterNoteWindow(NoteWindow window) {
    NoteSink removed;
    {
        NoteWindowRegistry& registry = Registry();
        std::lock_guard<std::mutex> guard(registry.mutex);
        auto it = registry.sinks.find(window);
        if (it == registry.sinks.end()) {
            return;
        }
        removed = std::move(it->second);
        registry.sinks.erase(it);
    }
    // `removed` is destroyed outside the lock, in case it holds the last
    // reference to something whose destruction posts again.
}

bool PostNoteMessage(NoteWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (window == 0) {
        return false;
    }
    NoteWindowRegistry& registry = Registry();
    // The sink runs under the registry lock so that UnregisterNoteWindow
    // cannot return while a post into the window is still under way. Sinks
    // only queue the message, so the lock is held briefly.
    std::lock_guard<std::mutex> guard(registry.mutex);
    auto it = registry.sinks.find(window);
    if (it == registry.sinks.end()) {
        return false;
    }
    it->second(message, wParam, lParam);
    return true;
}
