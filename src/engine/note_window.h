// Window handles for posted notes. A window registers a sink and gets a
// handle; workers post to the handle. A post to a handle whose window is
// gone fails instead of reaching a destroyed object, and the poster then
// frees what it would have handed over.
#pragma once

#include <cstdint>
#include <functional>

using NoteWindow = uint64_t; // 0 = no window

// Called on the posting thread; must not block (the window queues the
// message for its own thread). It takes ownership of what wParam/lParam carry.
using NoteSink = std::function<void(uint32_t message, uintptr_t wParam, intptr_t lParam)>;

NoteWindow RegisterNoteWindow(NoteSink sink);

// After this returns no sink call for the window is running or will run.
void UnregisterNoteWindow(NoteWindow window);

// True when the window's sink took the message; false when the window is
// unknown (the caller still owns the records).
bool PostNoteMessage(NoteWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam);
