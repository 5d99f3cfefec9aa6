// A NoteOwner for engine tests: a registered note window whose sink copies
// what the tests check out of every posted note and frees the note at once.
#pragma once

#include "engine/requests_notes.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct RecordedNote {
    uint32_t message = 0;
    std::string address;
    int32_t value = 0;         // step code or result value
    intptr_t lParam = 0;       // result code; the buffer pointer of step 5
    std::string imageName;     // step 5 only
    std::string version;       // WM_DEVICE_VERSION; a result's version after the upgrade
    std::string versionBefore; // results only
    int32_t check = 0;         // results only: UPGRADE_CHECK_*
    std::thread::id thread;    // the posting thread
};

class RecordingOwner : public NoteOwner {
public:
    RecordingOwner();
    ~RecordingOwner();
    RecordingOwner(const RecordingOwner&) = delete;
    RecordingOwner& operator=(const RecordingOwner&) = delete;

    NoteWindow GetNoteWindow() const override { return m_window; }
    bool IsRunning() const override;

    void SetRunning(bool running) { m_running.store(running); }
    int IsRunningCalls() const { return m_isRunningCalls.load(); }

    std::vector<RecordedNote> Notes() const;
    std::vector<RecordedNote> NotesOf(const std::string& address) const;
    std::vector<RecordedNote> Results() const;
    // Waits (bounded) until `count` result notes have arrived.
    bool WaitForResults(size_t count, std::chrono::milliseconds bound) const;
    bool WaitForNotes(uint32_t message, size_t count, std::chrono::milliseconds bound) const;

private:
    void Sink(uint32_t message, uintptr_t wParam, intptr_t lParam);
    size_t CountLocked(uint32_t message) const;

    NoteWindow m_window = 0;
    std::atomic<bool> m_running{true};
    mutable std::atomic<int> m_isRunningCalls{0};
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::vector<RecordedNote> m_notes;
};

// Progress step codes of one camera's notes, with the result as 100 + code
// (e.g. {1, 2, 3, 5, 6, 100}); makes note order easy to compare.
std::vector<int> StepTrail(const std::vector<RecordedNote>& notes);
