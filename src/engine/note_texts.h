// The operator texts of upgrade progress, results and batch summaries (UTF-8),
// shared by the window and the command line so that both say the same thing.
// Without a translator they are the Chinese texts that the engine stores and
// sends; with one (i18n::TrUtf8) they are in the display language.
#pragma once

#include "engine/engine_text.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The text of a progress step; empty for a step the operator is not told about.
// A text longer than maxBytes has the image name cut at a character boundary.
std::string ProgressText(int32_t step, std::string_view imageName,
                         std::size_t maxBytes = std::string::npos,
                         TextTranslator translate = nullptr);
// The text of a camera's outcome: value non-zero is success, else code says why.
std::string ResultText(int32_t value, intptr_t code, TextTranslator translate = nullptr);
std::string RunningSummaryText(int total, int done, int succeeded, int failed,
                               TextTranslator translate = nullptr);
std::string FinalSummaryText(int succeeded, int failed, TextTranslator translate = nullptr);
// The end of a batch that was stopped before every camera had started.
std::string StoppedSummaryText(int succeeded, int failed, int notStarted,
                               TextTranslator translate = nullptr);
// For a camera whose request found its worker's mailbox full.
std::string NotDispatchedText(TextTranslator translate = nullptr);
