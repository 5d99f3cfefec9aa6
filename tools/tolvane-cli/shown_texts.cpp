#include "shown_texts.h"

#include "engine/note_texts.h"
#include "engine/upgrade_codes.h"
#include "tool_text.h"

namespace {

std::string Engine(const std::string& text) {
    return tool_text::Lookup("engine", text);
}

} // namespace

std::string ShownProgressText(int32_t step, const std::string& imageName) {
    return Engine(ProgressText(step, imageName));
}

std::string ShownResultText(int32_t value, intptr_t code) {
    return Engine(ResultText(value, code));
}

std::string ShownRunningSummaryText(int total, int done, int succeeded, int failed) {
    return Engine(RunningSummaryText(total, done, succeeded, failed));
}

std::string ShownFinalSummaryText(int succeeded, int failed) {
    return Engine(FinalSummaryText(succeeded, failed));
}

std::string ShownNotDispatchedText() {
    return Engine(NotDispatchedText());
}

std::string ShownPlanStepText(const PlanStep& step) {
    return Engine(PlanStepText(step));
}

std::string ShownPlanText(const UpgradePlan& plan) {
    std::string text = plan.address + ":" + std::to_string(plan.port);
    if (!plan.version.empty()) {
        text += "  " +
                tool_text::Fill(tool_text::translate("tolvane-cli", "version %1"), {plan.version});
    }
    text += "\n";
    if (plan.code != UPGRADE_OK) {
        return text + "  " + ShownResultText(0, plan.code) + "\n";
    }
    for (size_t i = 0; i < plan.steps.size(); ++i) {
        text += "  " + std::to_string(i + 1) + ". " + ShownPlanStepText(plan.steps[i]) + "\n";
    }
    return text;
}

std::string ShownStoredResultText(const std::string& text) {
    return Engine(text);
}
