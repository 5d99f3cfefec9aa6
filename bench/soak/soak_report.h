// The soak's printed figures: each batch as it ends, the summary table and
// the growth verdict.
#pragma once

#include "soak_checks.h"

#include <string>
#include <vector>

struct BatchRow {
    int batch = 0; // from 1
    int cameras = 0;
    BatchVerdict verdict;
    ProcessResources resources;
    double seconds = 0;
    double boundSeconds = 0;
};

void PrintBatch(const BatchRow& row);

// Growth of threads, descriptors or memory past the tolerances, measured
// against the first batch (which warms the caches); one line per finding.
std::vector<std::string> GrowthFindings(const std::vector<BatchRow>& rows);

void PrintSummary(const std::vector<BatchRow>& rows, const std::vector<std::string>& growth,
                  double wallSeconds);
