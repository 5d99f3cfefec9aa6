// The real dialog searches N camsim cameras on loopback through the network
// SDK, the search button pressed once, then twice in quick succession, with
// the cameras announcing themselves in address order (the worst case for an
// ordered insertion) and shuffled. Prints the rows, the distinct cameras
// among them and the version cells filled; the time to all rows and to all
// versions; the window thread's handler time (wall clock, so preemption by
// other threads counts), its CPU time until all versions were in, and its
// longest stall (the largest gap of a 10 ms timer); resident memory. Never fails on a figure.
#include "search_bench.h"

#include "bench_clock.h"
#include "camsim_harness.h"
#include "device_list_ctrl.h"
#include "tolvane_dlg.h"

#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <utility>

namespace {

constexpr double kBoundMs = 240'000;
constexpr double kDoublePressGapMs = 30;

std::unique_ptr<harness::CamsimProcess> StartFleet(const harness::TempFolder& folder, int count,
                                                   bool shuffled) {
    nlohmann::json cameras = nlohmann::json::array();
    for (int i = 0; i < count; ++i) {
        const std::string address =
            "127.100." + std::to_string(i / 250) + "." + std::to_string(i % 250 + 2);
        cameras.push_back({{"address", address}, {"version", "5.1.7.1"}});
    }
    if (shuffled) {
        std::vector<nlohmann::json> order(cameras.begin(), cameras.end());
        std::shuffle(order.begin(), order.end(), std::mt19937(20261210));
        cameras = order;
    }
    const nlohmann::json fleet = {{"defaults", {{"port", harness::ProcessCameraPort()}}},
                                  {"cameras", cameras}};
    auto sim = std::make_unique<harness::CamsimProcess>(
        CAMSIM_BINARY, harness::FleetArgs(folder.Path() / "fleet.json", fleet, 0.01));
    if (!sim->WaitReady())
        return nullptr;
    return sim;
}

struct ListFigures {
    int rows = 0;
    int distinct = 0;
    int versions = 0;
};

ListFigures Count(const DeviceListCtrl& list) {
    ListFigures figures;
    std::set<std::pair<QString, QString>> cameras;
    figures.rows = list.GetItemCount();
    for (int row = 0; row < figures.rows; ++row) {
        cameras.emplace(list.GetItemText(row, COL_IP), list.GetItemText(row, COL_PORT));
        figures.versions += list.GetItemText(row, COL_VERSION).isEmpty() ? 0 : 1;
    }
    figures.distinct = static_cast<int>(cameras.size());
    return figures;
}

void OneSearch(int count, const char* order, int presses) {
    CTolvaneDlg dlg;
    dlg.show();
    QCoreApplication::processEvents();
    DeviceListCtrl* list = dlg.DeviceList();
    auto* search = dlg.findChild<QPushButton*>(QStringLiteral("IDC_BTN_SEARCH"));

    double lastTick = WallMs();
    double longestGap = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const double now = WallMs();
        longestGap = std::max(longestGap, now - lastTick);
        lastTick = now;
    });
    dlg.ResetHandlerTiming();
    const double cpu0 = ThreadCpuMs();
    const double start = WallMs();
    search->click();
    tick.start(10);
    lastTick = WallMs();
    if (presses == 2) {
        PumpUntil([&] { return WallMs() - start > kDoublePressGapMs; }, kDoublePressGapMs * 2);
        search->click();
    }
    const double pressed = WallMs();

    double allRows = -1;
    double allVersions = -1;
    double lastCount = 0;
    while (allVersions < 0 && WallMs() - pressed < kBoundMs) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        if (allRows < 0 && list->GetItemCount() >= count)
            allRows = WallMs() - pressed;
        // A full count every 250 ms, so that counting hardly adds to the stalls.
        if (allRows >= 0 && WallMs() - lastCount > 250) {
            lastCount = WallMs();
            if (Count(*list).versions >= count)
                allVersions = WallMs() - pressed;
        }
    }
    const double cpu = ThreadCpuMs() - cpu0;
    // Late reports of the first search would show up now.
    PumpUntil([&] { return false; }, 1000);
    tick.stop();
    const ListFigures figures = Count(*list);
    const double notes = static_cast<double>(std::max<int64_t>(dlg.HandledNotes(), 1));
    std::printf("search %d, %s, %d press%s: rows %d, distinct %d, versions %d; all rows %.2f s, "
                "all versions %.2f s%s; handlers %.1f ms over %.0f notes (%.4f ms per note, "
                "longest %.2f ms); window thread CPU %.4f ms per note all told; longest stall "
                "%.1f ms; resident %.1f MiB\n",
                count, order, presses, presses == 1 ? "" : "es", figures.rows, figures.distinct,
                figures.versions, allRows / 1000, allVersions / 1000,
                allVersions < 0 ? " (NOT ALL)" : "", dlg.TotalHandlerNs() / 1e6, notes,
                dlg.TotalHandlerNs() / 1e6 / notes, dlg.LongestHandlerNs() / 1e6, cpu / notes,
                longestGap, ResidentKiB() / 1024.0);
    std::fflush(stdout);
    dlg.close();
}

} // namespace

void SearchFleet(int count) {
    for (const bool shuffled : {false, true}) {
        const char* order = shuffled ? "shuffled" : "address order";
        harness::TempFolder folder("search-bench");
        const std::unique_ptr<harness::CamsimProcess> sim = StartFleet(folder, count, shuffled);
        if (!sim) {
            std::printf("search %d, %s: camsim did not start\n", count, order);
            continue;
        }
        setenv("TOLVANE_DISCOVERY_PORT", std::to_string(sim->DiscoveryPort()).c_str(), 1);
        OneSearch(count, order, 1);
        OneSearch(count, order, 2);
    }
}
