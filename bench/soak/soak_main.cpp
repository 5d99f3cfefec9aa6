// Soak: one long-lived engine (note window, five upgrade workers, version
// worker, network SDK) upgrades batch after batch of simulated cameras with
// seeded random faults; a fresh camsim serves each batch. After every batch
// it checks the results against what the cameras really run and watches the
// process for growing threads, descriptors and memory. Exit 0 only when
// every batch was clean.
#include "camsim_harness.h"
#include "cli_session.h"
#include "engine/program_folder.h"
#include "osa/osa_sleep.h"
#include "soak_batch.h"
#include "soak_checks.h"
#include "soak_fleet.h"
#include "soak_report.h"

#include <CLI/CLI.hpp>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// The camsim of the running batch, so that an interrupted soak leaves none behind.
std::atomic<pid_t> g_camsimPid{-1};

void OnInterrupt(int signal) {
    const pid_t pid = g_camsimPid.load();
    if (pid > 0) {
        ::kill(pid, SIGTERM);
    }
    std::_Exit(128 + signal);
}

struct SoakOptions {
    int batches = 10;
    int cameras = 150;
    uint64_t seed = 1;
    std::vector<FaultKind> faults;
};

std::string FaultCounts(const SoakFleet& fleet) {
    std::map<FaultKind, int> counts;
    for (const SoakCamera& camera : fleet.cameras) {
        ++counts[camera.fault];
    }
    std::string text;
    for (const auto& [kind, count] : counts) {
        text +=
            std::string(text.empty() ? "" : ", ") + FaultName(kind) + " " + std::to_string(count);
    }
    return text;
}

// Runs batch `index`; false when camsim would not start. A batch that overruns
// its bound ends the process: a worker is still busy and cannot be joined.
bool RunOneBatch(CliSession& session, const SoakOptions& options, int index,
                 const std::filesystem::path& folder, std::vector<BatchRow>& rows,
                 double wallStart) {
    const SoakFleet fleet = DrawFleet(options.seed, index, options.cameras, options.faults);
    const unsigned short port = harness::ProcessCameraPort();
    const auto bound = BatchTimeBound(fleet);
    std::printf("\nbatch %d: %s; camsim restarted\n", index + 1, FaultCounts(fleet).c_str());
    std::fflush(stdout);
    harness::CamsimProcess sim(
        CAMSIM_BINARY,
        harness::FleetArgs(folder / "fleet.json", FleetFile(fleet, port), OSA_timeScale()));
    g_camsimPid.store(sim.Pid());
    if (!sim.WaitReady()) {
        std::printf("batch %d: camsim did not start: %s\n", index + 1, sim.Errors().c_str());
        return false;
    }
    const BatchRun run = RunBatch(session, fleet, port, bound);
    const auto running = RunningVersions(sim.Events(), fleet);
    BatchRow row;
    row.batch = index + 1;
    row.cameras = options.cameras;
    row.seconds = run.seconds;
    row.boundSeconds = static_cast<double>(bound.count()) / 1000.0;
    row.verdict = Judge(fleet, run, running);
    if (!run.overran.empty()) {
        sim.Stop();
        std::error_code ignored;
        std::filesystem::remove_all(sim.Dir(), ignored);
        std::filesystem::remove_all(folder, ignored);
        PrintBatch(row);
        std::printf("batch %d HUNG: still waiting for %s at its bound of %.0f s\n", row.batch,
                    run.overran.c_str(), row.boundSeconds);
        rows.push_back(row);
        const double now =
            std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
                .count();
        PrintSummary(rows, {}, now - wallStart);
        std::fflush(nullptr);
        std::_Exit(3);
    }
    if (run.strayResults > 0) {
        row.verdict.violations.push_back(std::to_string(run.strayResults) +
                                         " results for cameras outside the batch");
    }
    sim.Stop();
    g_camsimPid.store(-1);
    row.resources = SampleResources();
    PrintBatch(row);
    rows.push_back(row);
    return true;
}

bool Clean(const BatchRow& row) {
    return row.verdict.violations.empty() && row.verdict.missing == 0 &&
           row.verdict.duplicates == 0;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"Upgrades batch after batch of simulated cameras with random faults in one "
                 "engine process and checks every outcome."};
    SoakOptions options;
    std::string faults = "all";
    app.add_option("--batches", options.batches, "batches in a row (default 10)")
        ->check(CLI::Range(1, 10000));
    app.add_option("--cameras", options.cameras, "cameras per batch (default 150)")
        ->check(CLI::Range(1, 5000));
    app.add_option("--seed", options.seed, "seed of the fault draws (default 1)");
    app.add_option("--faults", faults,
                   "fault kinds to draw: drop,stall,stopafter,flash,noreturn,password,version, all "
                   "or none "
                   "(default all)");
    CLI11_PARSE(app, argc, argv);
    std::string error;
    const auto kinds = ParseFaultList(faults, &error);
    if (!kinds) {
        std::fprintf(stderr, "soak: %s\n", error.c_str());
        return 2;
    }
    options.faults = *kinds;
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);

    // The engine reads the factor once; camsim is given the same.
    ::setenv("TOLVANE_TIME_SCALE", "0.01", 0);
    const auto clockNow = [] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    };
    const double wallStart = clockNow();
    harness::TempFolder folder("soak");
    if (harness::RunProgram({MKFWIMAGE_BINARY, "sample-tree", folder.Path().string()}).exitCode !=
        0) {
        std::fprintf(stderr, "soak: mkfwimage sample-tree failed\n");
        return 2;
    }
    SetProgramFolderOverride(folder.Path().string());
    std::printf("soak: %d batches of %d cameras, seed %llu, time scale %g, faults %s\n",
                options.batches, options.cameras, static_cast<unsigned long long>(options.seed),
                OSA_timeScale(), faults.c_str());

    CliSession session;
    std::vector<BatchRow> rows;
    bool started = true;
    for (int b = 0; b < options.batches && started; ++b) {
        started = RunOneBatch(session, options, b, folder.Path(), rows, wallStart);
    }
    session.Shutdown();
    const std::vector<std::string> growth = GrowthFindings(rows);
    PrintSummary(rows, growth, clockNow() - wallStart);
    bool clean = started && growth.empty();
    for (const BatchRow& row : rows) {
        clean = clean && Clean(row);
    }
    std::printf("soak %s\n", clean ? "clean" : "FAILED");
    return clean ? 0 : 1;
}
