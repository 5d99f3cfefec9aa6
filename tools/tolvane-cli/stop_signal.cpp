#include "stop_signal.h"

#include <atomic>
#include <csignal>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

// Lock-free, so the handlers may touch them.
std::atomic<int> g_requests{0};
static_assert(std::atomic<int>::is_always_lock_free);

// The second request: no clean-up, the technician asked to quit now.
[[noreturn]] void QuitNow(int status) {
#ifdef _WIN32
    ExitProcess(static_cast<UINT>(status));
#else
    _exit(status);
#endif
}

#ifdef _WIN32
BOOL WINAPI OnConsoleEvent(DWORD event) {
    const int status = event == CTRL_C_EVENT ? 130 : 143;
    if (g_requests.fetch_add(1) > 0) {
        QuitNow(status);
    }
    // Closing the console gives a few seconds at most; the batch stops
    // until then.
    return TRUE;
}
#else
struct sigaction g_previousInt;
struct sigaction g_previousTerm;

void OnSignal(int number) {
    if (g_requests.fetch_add(1) > 0) {
        QuitNow(128 + number);
    }
}
#endif

} // namespace

StopSignalGuard::StopSignalGuard() {
    g_requests.store(0);
#ifdef _WIN32
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
#else
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &g_previousInt);
    sigaction(SIGTERM, &action, &g_previousTerm);
#endif
}

StopSignalGuard::~StopSignalGuard() {
#ifdef _WIN32
    SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
#else
    sigaction(SIGINT, &g_previousInt, nullptr);
    sigaction(SIGTERM, &g_previousTerm, nullptr);
#endif
}

bool StopSignalSeen() {
    return g_requests.load() > 0;
}
