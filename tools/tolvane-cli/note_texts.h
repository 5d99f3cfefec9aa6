// The window's texts for progress steps, results and batch summaries (UTF-8).
#pragma once

#include <cstdint>
#include <string>

std::string ProgressText(int32_t step, const std::string& imageName);
std::string ResultText(int32_t value, intptr_t code);
std::string RunningSummaryText(int total, int done, int succeeded, int failed);
std::string FinalSummaryText(int succeeded, int failed);
// For a camera whose request found its worker's mailbox full.
std::string NotDispatchedText();
