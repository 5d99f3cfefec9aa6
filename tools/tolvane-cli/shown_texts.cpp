#include "shown_texts.h"

#include "engine/note_texts.h"
#include "engine/report_rows.h"
#include "engine/result_detail.h"
#include "engine/upgrade_codes.h"
#include "tool_text.h"

#include <cstdio>

namespace {

// The engine composes its texts from translated patterns (an image name or a
// count inside a sentence), so it is handed the lookup rather than its result.
std::string Translate(const char* context, const char* text) {
    return tool_text::Lookup(context, text);
}

} // namespace

std::string ShownProgressText(int32_t step, const std::string& imageName) {
    return ProgressText(step, imageName, std::string::npos, Translate);
}

std::string ShownResultText(int32_t value, intptr_t code) {
    return ResultText(value, code, Translate);
}

std::string ShownResultDetailText(const UpgradeResultNote& note, intptr_t code) {
    return ResultDetailText(note, code, Translate);
}

std::string ShownRunningSummaryText(int total, int done, int succeeded, int failed) {
    return RunningSummaryText(total, done, succeeded, failed, Translate);
}

std::string ShownFinalSummaryText(int succeeded, int failed) {
    return FinalSummaryText(succeeded, failed, Translate);
}

std::string ShownNotDispatchedText() {
    return NotDispatchedText(Translate);
}

std::string ShownPlanStepText(const PlanStep& step) {
    return PlanStepText(step, Translate);
}

std::string ShownImageCheckText(const ImageVerdict& verdict) {
    return ImageCheckText(verdict, Translate);
}

std::string ShownPlanText(const UpgradePlan& plan) {
    return PlanText(plan, Translate);
}

std::string ShownStoredResultText(const std::string& text) {
    // History keeps the stored (Chinese) result texts: fixed texts, looked up whole.
    return tool_text::Lookup("engine", text);
}

std::string OneLineText(const std::string& text) {
    std::string out;
    for (const char c : ValidUtf8(text)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
}

std::string CameraText(const std::string& address, int32_t port) {
    return address + ":" + std::to_string(port);
}

std::string NoResultText() {
    return tool_text::translate("tolvane-cli", "no result within the time bound");
}
