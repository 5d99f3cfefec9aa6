// A window that records what is posted to it, and an owner that points at it.
#pragma once

#include "engine/requests_notes.h"

#include <mutex>
#include <vector>

struct PostedMessage {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};

class RecordingWindow : public NoteOwner {
public:
    RecordingWindow() {
        handle_ = RegisterNoteWindow([this](uint32_t message, uintptr_t wParam, intptr_t lParam) {
            std::lock_guard<std::mutex> guard(mutex_);
            posted_.push_back({message, wParam, lParam});
        });
    }
    ~RecordingWindow() {
        UnregisterNoteWindow(handle_);
        for (const PostedMessage& m : posted_) {
            FreeNoteMessage(m.message, m.wParam, m.lParam);
        }
    }
    RecordingWindow(const RecordingWindow&) = delete;
    RecordingWindow& operator=(const RecordingWindow&) = delete;

    // Closes the window early: later posts find it gone.
    void Close() { UnregisterNoteWindow(handle_); }

    NoteWindow GetNoteWindow() const override { return handle_; }
    bool IsRunning() const override { return true; }

    std::vector<PostedMessage> Posted() {
        std::lock_guard<std::mutex> guard(mutex_);
        return posted_;
    }

private:
    NoteWindow handle_ = 0;
    std::mutex mutex_;
    std::vector<PostedMessage> posted_;
};
