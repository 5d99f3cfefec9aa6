// Included by GoogleTest suites that run camsim: a simulator that does not
// stop cleanly on SIGTERM (a crash, a sanitizer report) fails the test that
// owned it.
#pragma once

#include "camsim_harness.h"

#include <gtest/gtest.h>

namespace harness {

inline void FailTheTestOnUncleanStop(const std::string& what) {
    ADD_FAILURE() << what;
}

inline const bool kUncleanStopFailsTheTest =
    (CamsimProcess::SetUncleanStopReport(&FailTheTestOnUncleanStop), true);

} // namespace harness
