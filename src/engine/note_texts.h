// The operator texts of upgrade progress, results and batch summaries (UTF-8),
// shared by the window and the command line so that both say the same thing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The text of a progress step; empty for a step the operator is not told about.
// A text longer than maxBytes has the image name cut at a character boundary.
std::string ProgressText(int32_t step, std::string_view imageName,
                         std::size_t maxBytes = std::string::npos);
// The text of a camera's outcome: value non-zero is success, else code says why.
std::string ResultText(int32_t value, intptr_t code);
std::string RunningSummaryText(int total, int done, int succeeded, int failed);
std::string FinalSummaryText(int succeeded, int failed);
// For a camera whose request found its worker's mailbox full.
std::string NotDispatchedText();
