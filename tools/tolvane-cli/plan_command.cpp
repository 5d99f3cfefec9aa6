#include "plan_command.h"

#include "engine/image_catalogue.h"
#include "engine/note_texts.h"
#include "engine/upgrade_codes.h"
#include "sdk/lpr_sdk.h"
#include "shown_texts.h"

#include <nlohmann/json.hpp>

using nlohmann::json;

namespace {

json PlanJson(const UpgradePlan& plan) {
    json steps = json::array();
    for (const PlanStep& step : plan.steps) {
        json object = {{"step", PlanStepName(step.kind)}, {"text", ShownPlanStepText(step)}};
        if (!step.image.empty()) {
            object["image"] = step.image;
        }
        steps.push_back(object);
    }
    json images = json::array();
    for (const std::string& path : plan.images) {
        images.push_back(ImageFileName(path));
    }
    json checks = json::array();
    for (const ImageVerdict& check : plan.checks) {
        const std::string target = VersionText(check.target);
        checks.push_back({{"image", check.fileName},
                          {"target", target.empty() ? json() : json(target)},
                          {"ok", check.fault == IMAGE_OK},
                          {"fault", check.fault},
                          {"text", ShownImageCheckText(check)}});
    }
    const bool ok = plan.code == UPGRADE_OK;
    return {{"event", "plan"},
            {"address", plan.address},
            {"port", plan.port},
            {"version", plan.version.empty() ? json() : json(plan.version)},
            {"ok", ok},
            {"code", plan.code},
            {"text", ok ? std::string() : ShownResultText(0, plan.code)},
            {"images", ok ? images : json::array()},
            {"image_checks", checks},
            {"steps", steps}};
}

} // namespace

int RunPlan(const std::vector<PlanTarget>& targets, const std::string& user,
            const std::string& password, bool json, std::FILE* out) {
    const LprSdk& sdk = LprSdkActive();
    sdk.LprSetup();
    const std::vector<UpgradePlan> plans = PlanUpgrades(targets, user, password);
    sdk.LprCleanup();
    int failing = 0;
    for (const UpgradePlan& plan : plans) {
        failing += plan.code != UPGRADE_OK ? 1 : 0;
        const std::string text =
            json ? PlanJson(plan).dump(-1, ' ', false, json::error_handler_t::replace) + "\n"
                 : ShownPlanText(plan);
        std::fputs(text.c_str(), out);
    }
    std::fflush(out);
    return failing == 0 ? 0 : 1;
}
