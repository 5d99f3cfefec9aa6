#include "soak_report.h"

#include <cstdio>

namespace {

// A later batch may exceed the first by this much before it counts as growth.
constexpr int kThreadTolerance = 0;
constexpr int kFdTolerance = 2;
constexpr long kRssToleranceKiB = 8 * 1024;
// Violations listed per batch; the rest are counted.
constexpr size_t kListedViolations = 25;

double MiB(long kib) {
    return static_cast<double>(kib) / 1024.0;
}

void PrintKinds(const std::map<FaultKind, KindFigures>& kinds) {
    for (const auto& [kind, f] : kinds) {
        std::printf("  %-9s %4d cameras, %4d upgraded, %4d failed, %4d violations\n",
                    FaultName(kind), f.cameras, f.upgraded, f.failed, f.violations);
    }
}

} // namespace

void PrintBatch(const BatchRow& row) {
    const BatchVerdict& v = row.verdict;
    std::printf("batch %d: %d cameras in %.1f s (bound %.0f s): %d upgraded, %d failed, "
                "%d without result, %d with more than one, %d violations, %d upgrades the "
                "version worker could not read\n",
                row.batch, row.cameras, row.seconds, row.boundSeconds, v.upgraded, v.failed,
                v.missing, v.duplicates, static_cast<int>(v.violations.size()), v.unconfirmed);
    PrintKinds(v.byKind);
    for (size_t i = 0; i < v.violations.size() && i < kListedViolations; ++i) {
        std::printf("  violation: %s\n", v.violations[i].c_str());
    }
    if (v.violations.size() > kListedViolations) {
        std::printf("  ... and %zu more violations\n", v.violations.size() - kListedViolations);
    }
    for (const std::string& line : v.slowest) {
        std::printf("  slow camera %s\n", line.c_str());
    }
    std::printf("  process: %d threads, %d open descriptors, %.1f MiB resident\n",
                row.resources.threads, row.resources.fds, MiB(row.resources.rssKiB));
    std::fflush(stdout);
}

std::vector<std::string> GrowthFindings(const std::vector<BatchRow>& rows) {
    std::vector<std::string> findings;
    if (rows.empty()) {
        return findings;
    }
    const ProcessResources& base = rows.front().resources;
    for (const BatchRow& row : rows) {
        const ProcessResources& r = row.resources;
        const std::string batch = "batch " + std::to_string(row.batch) + ": ";
        if (r.threads > base.threads + kThreadTolerance) {
            findings.push_back(batch + std::to_string(r.threads) + " threads, first batch " +
                               std::to_string(base.threads));
        }
        if (r.fds > base.fds + kFdTolerance) {
            findings.push_back(batch + std::to_string(r.fds) + " descriptors, first batch " +
                               std::to_string(base.fds));
        }
        if (r.rssKiB > base.rssKiB + kRssToleranceKiB) {
            findings.push_back(batch + std::to_string(r.rssKiB) + " KiB resident, first batch " +
                               std::to_string(base.rssKiB));
        }
    }
    return findings;
}

void PrintSummary(const std::vector<BatchRow>& rows, const std::vector<std::string>& growth,
                  double wallSeconds) {
    std::printf("\n%5s %7s %8s %6s %10s %7s %9s %7s %4s %7s %8s\n", "batch", "cameras", "upgraded",
                "failed", "violations", "missing", "duplicate", "threads", "fds", "RSS MiB",
                "seconds");
    std::map<FaultKind, KindFigures> kinds;
    for (const BatchRow& row : rows) {
        const BatchVerdict& v = row.verdict;
        std::printf("%5d %7d %8d %6d %10zu %7d %9d %7d %4d %7.1f %8.1f\n", row.batch, row.cameras,
                    v.upgraded, v.failed, v.violations.size(), v.missing, v.duplicates,
                    row.resources.threads, row.resources.fds, MiB(row.resources.rssKiB),
                    row.seconds);
        for (const auto& [kind, f] : v.byKind) {
            KindFigures& sum = kinds[kind];
            sum.cameras += f.cameras;
            sum.upgraded += f.upgraded;
            sum.failed += f.failed;
            sum.violations += f.violations;
        }
    }
    std::printf("\nall batches, by fault kind:\n");
    PrintKinds(kinds);
    for (const std::string& finding : growth) {
        std::printf("growth: %s\n", finding.c_str());
    }
    std::printf("wall time %.1f s\n", wallSeconds);
    std::fflush(stdout);
}
