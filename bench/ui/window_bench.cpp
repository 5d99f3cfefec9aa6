// Window-thread time to insert 1000 found cameras in random address order,
// and the longest single handler during a batch of 100 cameras (real
// workers on the scripted fake SDK and the virtual clock, so that the
// window thread is the only thing measured). Prints figures; never fails
// on them.
#include "device_list_ctrl.h"
#include "engine/program_folder.h"
#include "engine/version_worker.h"
#include "fake_sdk.h"
#include "message_box.h"
#include "tolvane_dlg.h"
#include "virtual_clock.h"

#include <QApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

double ThreadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double WallMs() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

// Processes events until `done` or the bound; returns false on the bound.
template <class Done> bool PumpUntil(Done done, double boundMs) {
    const double end = WallMs() + boundMs;
    while (!done()) {
        if (WallMs() > end)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void InsertThousand() {
    VirtualClock clock;
    FakeSdk sdk(&clock);
    CTolvaneDlg dlg;
    dlg.show();
    QCoreApplication::processEvents();
    std::printf("resident after start-up (offscreen): %.1f MiB\n", ResidentKiB() / 1024.0);

    std::vector<std::string> addresses;
    for (int i = 0; i < 1000; ++i)
        addresses.push_back("10." + std::to_string(i / 250) + "." + std::to_string(i % 250 / 50) +
                            "." + std::to_string(i % 50 + 1));
    std::shuffle(addresses.begin(), addresses.end(), std::mt19937(20261208));
    for (const std::string& address : addresses)
        FindDeviceCallback(0, address.c_str(), 80, 0, 0, 0, static_cast<NoteOwner*>(&dlg));

    DeviceListCtrl* list = dlg.DeviceList();
    dlg.ResetHandlerTiming();
    const double cpu0 = ThreadCpuMs();
    const double wall0 = WallMs();
    const bool all = PumpUntil([&] { return list->GetItemCount() == 1000; }, 60000);
    const double wall = WallMs() - wall0;
    const double cpu = ThreadCpuMs() - cpu0;
    bool ordered = true;
    for (int row = 1; row < list->GetItemCount(); ++row)
        ordered = ordered &&
                  IsAddressLess(list->GetItemText(row - 1, COL_IP), list->GetItemText(row, COL_IP));
    std::printf("insert 1000 found cameras, random order: %.1f ms window-thread wall, "
                "%.1f ms window-thread CPU, longest insertion %.2f ms (%s, %s)\n",
                wall, cpu, dlg.LongestHandlerNs() / 1e6, all ? "all rows" : "TIMED OUT",
                ordered ? "in order" : "NOT IN ORDER");
    std::printf("resident with 1000 rows: %.1f MiB\n", ResidentKiB() / 1024.0);
    dlg.close();
}

void BatchOfHundred() {
    QTemporaryDir folder;
    const std::filesystem::path images =
        std::filesystem::path(folder.path().toStdString()) / "UpdateFiles" / "DM3730" / "517";
    std::filesystem::create_directories(images);
    std::ofstream(images / "DM3730_V5.1.7.9.bin") << "image";
    SetProgramFolderOverride(folder.path().toStdString());

    VirtualClock clock;
    FakeSdk sdk(&clock);
    SetMessageBoxHook(
        [](QWidget*, const QString&, const QString&, MessageButtons) { return IDOK; });
    CTolvaneDlg dlg;
    dlg.show();
    DeviceListCtrl* list = dlg.DeviceList();
    for (int i = 0; i < 100; ++i) {
        const std::string address = "10.50.0." + std::to_string(i + 1);
        auto& camera = sdk.Camera(address);
        const int32_t version[4] = {5, 1, 7, 1};
        std::copy(version, version + 4, camera.version);
        const int row = list->InsertItem(i, QString());
        list->SetItemText(row, COL_IP, QString::fromStdString(address));
        list->SetItemText(row, COL_PORT, QStringLiteral("80"));
    }
    dlg.OnColumnClickDeviceList(COL_CHECK);
    QCoreApplication::processEvents();

    dlg.ResetHandlerTiming();
    const double click0 = WallMs();
    dlg.findChild<QPushButton*>(QStringLiteral("IDC_BTN_BATCH_UPGRADE"))->click();
    const double clickMs = WallMs() - click0;
    const double wall0 = WallMs();
    const bool done = PumpUntil([&] { return dlg.CloseEnabled(); }, 60000);
    std::printf("batch of 100 cameras: batch command %.2f ms, longest note handler %.3f ms, "
                "%d succeeded, %d failed, %.0f ms until done (%s)\n",
                clickMs, dlg.LongestHandlerNs() / 1e6, dlg.Succeeded(), dlg.Failed(),
                WallMs() - wall0, done ? "finished" : "TIMED OUT");
    SetMessageBoxHook({});
    dlg.close();
    SetProgramFolderOverride({});
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    InitSdkLock();
    QApplication app(argc, argv);
    InsertThousand();
    BatchOfHundred();
    return 0;
}
