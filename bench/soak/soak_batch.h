// One soak batch through a long-lived engine session: the version worker
// reads every camera (as after a search) while the batch is dispatched over
// the five upgrade workers, notes are handled the way the window handles
// them, and afterwards the version worker reads every camera reported
// upgraded once more.
#pragma once

#include "cli_session.h"
#include "soak_fleet.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <string>

struct BatchRun {
    std::map<std::string, int> results;          // result notes per camera address
    std::map<std::string, bool> upgraded;        // the last result showed the success text
    std::map<std::string, intptr_t> codes;       // code of a failed result
    std::map<std::string, std::string> reread;   // the version worker's read after the batch
    std::map<std::string, double> cameraSeconds; // from its worker's previous result to its own
    int strayResults = 0;                        // results for addresses outside the batch
    std::string overran;                         // what was still running at the bound
    double seconds = 0;
};

// The longest the batch may take: the slowest worker's cameras, each with the
// fixed waits of the slowest possible run at the engine's time scale and an
// allowance for the SDK's unscaled network bounds (large for a camera that
// may stop answering), plus both version passes.
std::chrono::milliseconds BatchTimeBound(const SoakFleet& fleet);

BatchRun RunBatch(CliSession& session, const SoakFleet& fleet, unsigned short port,
                  std::chrono::milliseconds bound);
