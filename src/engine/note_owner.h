// What the workers know of the dialog (or command line) that sent them a
// request: where to post notes, and whether it still runs.
#pragma once

#include "engine/note_window.h"

#include <string>

// What the workers know of the dialog that sent them a request.
class NoteOwner {
public:
    // The window to post to; read afresh at every post.
    virtual NoteWindow GetNoteWindow() const = 0;
    // The dialog's run flag (m_bRunning); safe to read from any thread.
    virtual bool IsRunning() const = 0;
    // True once the owner's batch has been stopped: a worker then answers a
    // request still in its mailbox "not started" instead of running it.
    // Safe to read from any thread.
    virtual bool BatchStopped() const { return false; }
    // The batch the request belongs to, for the history; "" outside a batch.
    // Set before the first request is sent and not changed while it runs.
    virtual std::string BatchId() const { return {}; }

protected:
    ~NoteOwner() = default;
};
