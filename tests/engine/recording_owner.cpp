#include "recording_owner.h"

#include <cstring>

RecordingOwner::RecordingOwner() {
    m_window = RegisterNoteWindow([this](uint32_t message, uintptr_t wParam, intptr_t lParam) {
        Sink(message, wParam, lParam);
    });
}

RecordingOwner::~RecordingOwner() {
    UnregisterNoteWindow(m_window);
}

bool RecordingOwner::IsRunning() const {
    ++m_isRunningCalls;
    return m_running.load();
}

void RecordingOwner::Sink(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    RecordedNote note;
    note.message = message;
    note.lParam = lParam;
    note.thread = std::this_thread::get_id();
    if (message == WM_UPGRADE_RESULT) {
        const auto* result = reinterpret_cast<const UpgradeResultNote*>(wParam);
        note.address.assign(result->address, strnlen(result->address, TEXT_FIELD_SIZE));
        note.value = result->value;
        note.versionBefore = result->versionBefore;
        note.version = result->versionAfter;
        note.check = result->check;
    } else if (message == WM_UPGRADE_PROGRESS) {
        const auto* upgrade = reinterpret_cast<const UpgradeNote*>(wParam);
        note.address.assign(upgrade->address, strnlen(upgrade->address, TEXT_FIELD_SIZE));
        note.value = upgrade->value;
        if (upgrade->value == UPGRADE_STEP_SEND_IMAGE && lParam != 0) {
            const char* buffer = reinterpret_cast<const char*>(lParam);
            note.imageName.assign(buffer, strnlen(buffer, IMAGE_NAME_BUFFER_SIZE));
        }
    } else if (message == WM_DEVICE_VERSION) {
        const auto* version = reinterpret_cast<const DeviceVersionNote*>(wParam);
        note.address.assign(version->address, strnlen(version->address, TEXT_FIELD_SIZE));
        note.version.assign(version->version, strnlen(version->version, TEXT_FIELD_SIZE));
    } else if (message == WM_DEVICE_FOUND) {
        note.address = *reinterpret_cast<const FoundDeviceNote*>(lParam);
        note.value = static_cast<int32_t>(wParam);
    }
    FreeNoteMessage(message, wParam, lParam);
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_notes.push_back(std::move(note));
    }
    m_changed.notify_all();
}

std::vector<RecordedNote> RecordingOwner::Notes() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_notes;
}

std::vector<RecordedNote> RecordingOwner::NotesOf(const std::string& address) const {
    std::lock_guard<std::mutex> guard(m_mutex);
    std::vector<RecordedNote> out;
    for (const RecordedNote& n : m_notes) {
        if (n.address == address) {
            out.push_back(n);
        }
    }
    return out;
}

std::vector<RecordedNote> RecordingOwner::Results() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    std::vector<RecordedNote> out;
    for (const RecordedNote& n : m_notes) {
        if (n.message == WM_UPGRADE_RESULT) {
            out.push_back(n);
        }
    }
    return out;
}

size_t RecordingOwner::CountLocked(uint32_t message) const {
    size_t n = 0;
    for (const RecordedNote& note : m_notes) {
        n += note.message == message ? 1 : 0;
    }
    return n;
}

bool RecordingOwner::WaitForNotes(uint32_t message, size_t count,
                                  std::chrono::milliseconds bound) const {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, bound, [&] { return CountLocked(message) >= count; });
}

bool RecordingOwner::WaitForResults(size_t count, std::chrono::milliseconds bound) const {
    return WaitForNotes(WM_UPGRADE_RESULT, count, bound);
}

std::vector<int> StepTrail(const std::vector<RecordedNote>& notes) {
    std::vector<int> trail;
    for (const RecordedNote& n : notes) {
        if (n.message == WM_UPGRADE_PROGRESS) {
            trail.push_back(n.value);
        } else if (n.message == WM_UPGRADE_RESULT) {
            trail.push_back(100 + static_cast<int>(n.lParam));
        }
    }
    return trail;
}
