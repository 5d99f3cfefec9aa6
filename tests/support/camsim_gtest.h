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

// mkfwimage's sample UpdateFiles tree in `dir`; a failure fails the test.
inline void WriteSampleTree(const std::string& mkfwimage, const std::filesystem::path& dir) {
    const ProgramRun tree =
        RunProgram({mkfwimage, "sample-tree", dir.string()}, std::chrono::seconds(60));
    ASSERT_EQ(tree.exitCode, 0) << "mkfwimage sample-tree failed";
}

} // namespace harness
