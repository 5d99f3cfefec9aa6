// Drives tolvane.exe by window messages, as an operator's clicks would, on a
// Windows system or under Wine, against camsim's demo fleet: the defaults,
// the search with the versions, ticking all rows from the heading, the
// batch with its lock and refused close, the results, row colours and the
// summary box, and the close. Prints every failed check; exit code 1 if any.
// With TOLVANE_WINE_SEARCH_CAMERAS=N, against a fleet of N cameras instead:
// the search button clicked twice in quick succession by the mouse, then
// every camera listed once, with its version.
//   wine_window_test.exe TOLVANE_EXE ADDRESS_PREFIX [SCREENSHOT.bmp]
#include "fleet_expectations.h"
#include "remote_window.h"
#include "screen_shot.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <thread>

namespace {

constexpr int kIdcEditPort = 1000, kIdcEditUser = 1001, kIdcList = 1002, kIdcUpgrade = 1003,
              kIdcSearch = 1004, kIdcBatch = 1010, kIdcBatchStatus = 1009;
constexpr char kCaption[] = "自动升级工具(2.0.6版本）- 同时支持TI和海思相机";

int g_failures = 0;

void Check(bool ok, const std::string& what) {
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
    std::fflush(stdout);
    if (!ok)
        ++g_failures;
}

void Expect(const std::string& actual, const std::string& expected, const std::string& what) {
    Check(actual == expected, what + ": \"" + actual + "\" (expected \"" + expected + "\")");
}

// Polls until `done` or `seconds` have passed.
bool WaitFor(const std::function<bool()>& done, int seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return true;
}

void Click(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

HWND WaitForBox(DWORD processId, HWND dialog, int seconds) {
    HWND box = nullptr;
    WaitFor(
        [&] {
            const std::vector<HWND> boxes = ProcessDialogs(processId, dialog);
            box = boxes.empty() ? nullptr : boxes.front();
            return box != nullptr;
        },
        seconds);
    return box;
}

COLORREF ScreenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return colour;
}

void CheckRows(RemoteList& list, const std::string& prefix, bool afterBatch) {
    for (int i = 0; i < kDemoFleetSize; ++i) {
        const FleetCamera& camera = kDemoFleet[i];
        const std::string row = prefix + std::to_string(camera.host);
        Expect(list.Text(i, 1), row, "row " + std::to_string(i) + " address");
        if (!afterBatch) {
            Expect(list.Text(i, 2), "8080", row + " port");
            continue;
        }
        Expect(list.Text(i, 4), camera.result, row + " result");
        Expect(list.Text(i, 3), camera.after, row + " version after");
        const RECT cell = list.CellOnScreen(i, 2);
        const COLORREF colour = ScreenPixel(cell.right - 3, (cell.top + cell.bottom) / 2);
        const bool ok = std::string(camera.result) == kFleetOk;
        const COLORREF expected = ok ? RGB(64, 224, 205) : RGB(255, 127, 80);
        char seen[64];
        std::snprintf(seen, sizeof(seen), "%06lx (expected %06lx)", colour, expected);
        Check(colour == expected, row + " background " + seen);
    }
}

void RunBatch(HANDLE process, DWORD processId, HWND dialog, const std::string& prefix,
              const char* screenshot) {
    RemoteList list(process, GetDlgItem(dialog, kIdcList));
    Check(list.HeaderItems() == 5, "five columns");
    Expect(WindowText(GetDlgItem(dialog, kIdcEditPort)), "80", "port default");
    Expect(WindowText(GetDlgItem(dialog, kIdcEditUser)), "admin", "user default");

    // A notice: the single command with the address box still at 0.0.0.0.
    Click(dialog, kIdcUpgrade);
    HWND notice = WaitForBox(processId, dialog, 10);
    Check(notice != nullptr, "notice box");
    if (notice) {
        Expect(MessageBoxText(notice), "请输入设备IP！", "notice text");
        Expect(WindowText(notice), "提示", "notice caption");
        PostMessageW(GetDlgItem(notice, IDOK), BM_CLICK, 0, 0);
        Check(WaitFor([&] { return !IsWindow(notice); }, 10), "notice closes on OK");
    }

    Click(dialog, kIdcSearch);
    Check(WaitFor([&] { return list.Count() == kDemoFleetSize; }, 30), "search lists the fleet");
    Check(WaitFor(
              [&] {
                  for (int i = 0; i < list.Count(); ++i)
                      if (list.Text(i, 3) != kDemoFleet[i].version)
                          return false;
                  return true;
              },
              30),
          "every version read");
    CheckRows(list, prefix, false);

    list.ClickHeading(0);
    bool allTicked = list.Count() == kDemoFleetSize;
    for (int i = 0; i < list.Count(); ++i)
        allTicked = allTicked && list.Checked(i);
    Check(allTicked, "the heading ticks every row");

    Click(dialog, kIdcBatch);
    Check(WaitFor([&] { return WindowText(GetDlgItem(dialog, kIdcBatchStatus)) == "共选择12台"; },
                  10),
          "batch status names 12 cameras");
    Check(!IsWindowEnabled(GetDlgItem(dialog, kIdcSearch)) &&
              !IsWindowEnabled(GetDlgItem(dialog, kIdcUpgrade)),
          "controls locked");
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    Check(IsWindow(dialog) && IsWindowVisible(dialog), "close refused while the batch runs");

    HWND box = WaitForBox(processId, dialog, 170);
    Check(box != nullptr, "summary box");
    if (!box)
        return;
    Expect(MessageBoxText(box), kDemoFleetSummary, "summary text");
    Expect(WindowText(box), "tolvane", "summary caption");
    Expect(WindowText(GetDlgItem(dialog, kIdcBatchStatus)), "", "batch status after");
    Check(IsWindowEnabled(GetDlgItem(dialog, kIdcSearch)) != 0, "controls unlocked");
    PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    Check(WaitFor([&] { return !IsWindow(box); }, 10), "summary box closes on OK");

    list.DeselectAll();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    CheckRows(list, prefix, true);
    if (screenshot)
        Check(SaveWindowImage(dialog, screenshot), std::string("screenshot ") + screenshot);
}

// A left click at the centre of a control, through the system's input queue.
void MouseClick(HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    INPUT press[2] = {};
    press[0].type = press[1].type = INPUT_MOUSE;
    press[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    press[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, press, sizeof(INPUT));
}

void RunDoubleSearch(HANDLE process, HWND dialog, int cameras) {
    RemoteList list(process, GetDlgItem(dialog, kIdcList));
    SetForegroundWindow(dialog);
    // The first press by the mouse. The system hands input over only once no
    // posted message waits, so the second is posted: it then waits in line
    // with the first search's reports, and those behind it reach the new list.
    MouseClick(GetDlgItem(dialog, kIdcSearch));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    Click(dialog, kIdcSearch);
    Check(WaitFor([&] { return list.Count() >= cameras; }, 60),
          "search lists " + std::to_string(cameras) + " cameras");
    const auto versionsRead = [&] {
        for (int i = 0; i < list.Count(); ++i)
            if (list.Text(i, 3).empty())
                return false;
        return true;
    };
    Check(WaitFor(versionsRead, 120), "every row has its version");
    // Late reports of the first search would be listed by now.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    std::set<std::string> listed;
    for (int i = 0; i < list.Count(); ++i)
        listed.insert(list.Text(i, 1) + ":" + list.Text(i, 2));
    Check(list.Count() == cameras, "rows: " + std::to_string(list.Count()));
    Check(static_cast<int>(listed.size()) == list.Count(), "no camera listed twice");
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: wine_window_test TOLVANE_EXE PREFIX [SCREENSHOT.bmp]\n");
        return 2;
    }
    const std::string prefix = Utf8(argv[2]);
    const std::string screenshot = argc > 3 ? Utf8(argv[3]) : std::string();
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child{};
    std::wstring command = L"\"" + std::wstring(argv[1]) + L"\"";
    if (!CreateProcessW(argv[1], command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &child)) {
        std::fprintf(stderr, "cannot start tolvane.exe (%lu)\n", GetLastError());
        return 1;
    }
    HWND dialog = nullptr;
    WaitFor(
        [&] {
            for (HWND window : ProcessDialogs(child.dwProcessId, nullptr))
                if (WindowText(window) == kCaption)
                    dialog = window;
            return dialog != nullptr;
        },
        60);
    Check(dialog != nullptr, "main dialog with its caption");
    const char* searchCameras = std::getenv("TOLVANE_WINE_SEARCH_CAMERAS");
    if (dialog && searchCameras) {
        RunDoubleSearch(child.hProcess, dialog, std::atoi(searchCameras));
        PostMessageW(dialog, WM_CLOSE, 0, 0);
    } else if (dialog) {
        RunBatch(child.hProcess, child.dwProcessId, dialog, prefix,
                 screenshot.empty() ? nullptr : screenshot.c_str());
        PostMessageW(dialog, WM_CLOSE, 0, 0);
    }
    const bool ended = WaitForSingleObject(child.hProcess, 20000) == WAIT_OBJECT_0;
    Check(ended, "closed: the process ends");
    if (!ended)
        TerminateProcess(child.hProcess, 1);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    std::printf("%d failed\n", g_failures);
    return g_failures == 0 ? 0 : 1;
}
