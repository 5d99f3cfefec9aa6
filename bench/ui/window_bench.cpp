// Window-thread time to insert 1000 found cameras in random address order,
// and the longest single handler during a batch of 100 cameras (real
// workers on the scripted fake SDK and the virtual clock, so that the
// window thread is the only thing measured). Then a batch of 1000 cameras
// of camsim on loopback, time scaled down, through the real dialog and the
// network SDK: makespan against the fixed waits, window-thread time per
// note, resident memory. Prints figures; never fails on them.
#include "bench_clock.h"
#include "camsim_harness.h"
#include "device_list_ctrl.h"
#include "engine/program_folder.h"
#include "engine/upgrade_sequence.h"
#include "engine/version_worker.h"
#include "fake_sdk.h"
#include "message_box.h"
#include "search_bench.h"
#include "tolvane_dlg.h"
#include "virtual_clock.h"

#include <QApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
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
        ordered = ordered && IsAddressLess(list->GetItemText(row - 1, COL_IP).toStdString(),
                                           list->GetItemText(row, COL_IP).toStdString());
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

constexpr double kScale = 0.01;

// 1000 cameras on 127.101.x.y, one port for all; rows as the search fills them.
std::vector<std::string> FleetOfThousand(const std::filesystem::path& folder, unsigned short port,
                                         std::unique_ptr<harness::CamsimProcess>* sim) {
    std::vector<std::string> addresses;
    nlohmann::json cameras = nlohmann::json::array();
    for (int i = 0; i < 1000; ++i) {
        addresses.push_back("127.101." + std::to_string(i / 250) + "." +
                            std::to_string(i % 250 + 2));
        cameras.push_back({{"address", addresses.back()}, {"version", "5.1.7.1"}});
    }
    const nlohmann::json fleet = {
        {"defaults", {{"port", port}, {"flash_ms", 12000}, {"restart_ms", 15000}}},
        {"cameras", cameras}};
    *sim = std::make_unique<harness::CamsimProcess>(
        CAMSIM_BINARY, harness::FleetArgs(folder / "fleet.json", fleet, kScale));
    return addresses;
}

void BatchOfThousand() {
    harness::TempFolder folder("window-bench");
    if (harness::RunProgram({MKFWIMAGE_BINARY, "sample-tree", folder.Path().string()}).exitCode !=
        0) {
        std::printf("batch of 1000: mkfwimage sample-tree failed\n");
        return;
    }
    SetProgramFolderOverride(folder.Path().string());
    const unsigned short port = harness::ProcessCameraPort();
    std::unique_ptr<harness::CamsimProcess> sim;
    const std::vector<std::string> addresses = FleetOfThousand(folder.Path(), port, &sim);
    if (!sim->WaitReady()) {
        std::printf("batch of 1000: camsim did not start\n");
        return;
    }
    SetMessageBoxHook(
        [](QWidget*, const QString&, const QString&, MessageButtons) { return IDOK; });
    CTolvaneDlg dlg;
    dlg.show();
    DeviceListCtrl* list = dlg.DeviceList();
    for (int i = 0; i < 1000; ++i) {
        const int row = list->InsertItem(i, QString());
        list->SetItemText(row, COL_IP, QString::fromStdString(addresses[static_cast<size_t>(i)]));
        list->SetItemText(row, COL_PORT, QString::number(port));
    }
    dlg.OnColumnClickDeviceList(COL_CHECK);
    QCoreApplication::processEvents();

    dlg.ResetHandlerTiming();
    const double cpu0 = ThreadCpuMs();
    const double wall0 = WallMs();
    dlg.findChild<QPushButton*>(QStringLiteral("IDC_BTN_BATCH_UPGRADE"))->click();
    // Sleeps between events, so that the thread's CPU time is what the notes cost.
    QTimer tick;
    tick.start(50);
    const double end = WallMs() + 30 * 60 * 1000.0;
    while (!dlg.CloseEnabled() && WallMs() < end)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const bool done = dlg.CloseEnabled();
    const double seconds = (WallMs() - wall0) / 1000.0;
    const double cpu = ThreadCpuMs() - cpu0;
    // Each worker's cameras one after the other, each with the fixed waits of
    // one image: the shortest the batch can take.
    const double ideal = 200.0 *
                         (WAIT_BEFORE_FIRST_STATE + WAIT_AFTER_REBOOT + WAIT_AFTER_RECONNECT) *
                         kScale / 1000.0;
    const double notes = static_cast<double>(dlg.HandledNotes());
    std::printf("batch of 1000 at time scale %.2f: %d succeeded, %d failed (%s); makespan %.2f s, "
                "ideal %.2f s, ratio %.3f\n",
                kScale, dlg.Succeeded(), dlg.Failed(), done ? "finished" : "TIMED OUT", seconds,
                ideal, seconds / ideal);
    std::printf("batch of 1000: %.0f notes, window thread %.3f ms per note in handlers "
                "(longest %.3f ms), %.3f ms CPU per note all told\n",
                notes, dlg.TotalHandlerNs() / 1e6 / notes, dlg.LongestHandlerNs() / 1e6,
                cpu / notes);
    std::printf("resident with 1000 rows after the batch: %.1f MiB\n", ResidentKiB() / 1024.0);
    SetMessageBoxHook({});
    dlg.close();
    SetProgramFolderOverride({});
}

} // namespace

// Arguments choose the runs (insert, batch100, batch1000, search N); none:
// the first three.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The fake SDK runs ignore the scale (virtual clock); camsim runs need it.
    qputenv("TOLVANE_TIME_SCALE", "0.01");
    InitSdkLock();
    QApplication app(argc, argv);
    std::vector<std::string> runs(argv + 1, argv + argc);
    if (runs.empty())
        runs = {"insert", "batch100", "batch1000"};
    for (size_t i = 0; i < runs.size(); ++i) {
        const std::string& run = runs[i];
        if (run == "search" && i + 1 < runs.size())
            SearchFleet(std::stoi(runs[++i]));
        else if (run == "insert")
            InsertThousand();
        else if (run == "batch100")
            BatchOfHundred();
        else if (run == "batch1000")
            BatchOfThousand();
        else
            std::printf("unknown run '%s' (insert, batch100, batch1000, search N)\n", run.c_str());
    }
    return 0;
}
