#include "engine/upgrade_plan.h"

#include "engine/image_catalogue.h"
#include "engine/note_texts.h"
#include "engine/requests_notes.h"
#include "engine/result_detail.h"
#include "engine/upgrade_rules.h"
#include "engine/upgrade_sequence.h"
#include "sdk/lpr_sdk.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

// The order in which the sequence walks through a camera of this version.
std::vector<PlanStep> StepsFor(int32_t versionNumber, const std::vector<std::string>& images) {
    std::vector<PlanStep> steps;
    if (NeedsPreparation(versionNumber)) {
        steps.push_back({PlanStepKind::Prepare, {}});
        steps.push_back({PlanStepKind::Restart, {}});
    }
    if (NeedsServiceStop(versionNumber)) {
        steps.push_back({PlanStepKind::StopService, {}});
    }
    for (size_t i = 0; i < images.size(); ++i) {
        steps.push_back({PlanStepKind::SendImage, ImageFileName(images[i])});
        steps.push_back({PlanStepKind::Restart, {}});
        if (i + 1 < images.size()) {
            steps.push_back({PlanStepKind::RereadVersion, {}});
            steps.push_back({PlanStepKind::StopServiceIf516, {}});
        }
    }
    steps.push_back({PlanStepKind::VerifyVersion, {}});
    return steps;
}

} // namespace

UpgradePlan PlanUpgrade(const PlanTarget& target, const std::string& user,
                        const std::string& password) {
    UpgradePlan plan;
    plan.address = target.address;
    plan.port = target.port;
    const LprSdk& sdk = LprSdkActive();
    const uint32_t port = static_cast<uint32_t>(target.port) & 0xFFFFu;
    LprHandle handle = sdk.LprOpen(target.address.c_str(), port, user.c_str(), password.c_str());
    if (handle == nullptr) {
        plan.code = UPGRADE_ERR_OPEN;
        return plan;
    }
    int32_t number = 0;
    int32_t fourth = 0;
    int32_t parts[4] = {0, 0, 0, 0};
    const bool read = GetDeviceVersion(handle, FIRST_VERSION_TRIES, &number, &fourth, parts);
    sdk.LprClose(handle);
    plan.version = VersionText(parts);
    if (!read) {
        plan.code = UPGRADE_ERR_NO_VERSION;
        return plan;
    }
    plan.images = ImagesFor(number);
    // A 5.1.6 camera is given the "517" entry even when that folder is
    // empty; its run would then end for want of an image.
    const bool missing = std::any_of(plan.images.begin(), plan.images.end(),
                                     [](const std::string& path) { return path.empty(); });
    if (plan.images.empty() || missing) {
        plan.code = UPGRADE_ERR_NO_IMAGE;
        return plan;
    }
    for (const std::string& path : plan.images) {
        plan.checks.push_back(CheckImage(path, parts));
        if (plan.checks.back().fault != IMAGE_OK) {
            plan.code = UPGRADE_ERR_BAD_IMAGE;
            return plan;
        }
    }
    plan.code = UPGRADE_OK;
    plan.steps = StepsFor(number, plan.images);
    return plan;
}

std::vector<UpgradePlan> PlanUpgrades(const std::vector<PlanTarget>& targets,
                                      const std::string& user, const std::string& password,
                                      const std::function<bool()>& keepGoing) {
    std::vector<UpgradePlan> plans(targets.size());
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t i = next++; i < targets.size(); i = next++) {
            if (keepGoing && !keepGoing()) {
                plans[i].address = targets[i].address;
                plans[i].port = targets[i].port;
                plans[i].code = UPGRADE_ERR_OPEN;
                continue;
            }
            plans[i] = PlanUpgrade(targets[i], user, password);
        }
    };
    const size_t count = std::min<size_t>(UPGRADE_TASK_COUNT, targets.size());
    std::vector<std::thread> threads;
    for (size_t i = 1; i < count; ++i) {
        threads.emplace_back(work);
    }
    work();
    for (std::thread& t : threads) {
        t.join();
    }
    return plans;
}

const char* PlanStepName(PlanStepKind kind) {
    switch (kind) {
    case PlanStepKind::Prepare:
        return "prepare";
    case PlanStepKind::Restart:
        return "restart";
    case PlanStepKind::StopService:
        return "stop_service";
    case PlanStepKind::SendImage:
        return "send_image";
    case PlanStepKind::RereadVersion:
        return "reread_version";
    case PlanStepKind::StopServiceIf516:
        return "stop_service_if_516";
    case PlanStepKind::VerifyVersion:
        return "verify_version";
    }
    return "";
}

namespace {

const char* PlanStepSource(PlanStepKind kind) {
    switch (kind) {
    case PlanStepKind::Prepare:
        return QT_TRANSLATE_NOOP("engine", "清理日志和数据库");
    case PlanStepKind::Restart:
        return QT_TRANSLATE_NOOP("engine", "重启设备并等待");
    case PlanStepKind::StopService:
        return QT_TRANSLATE_NOOP("engine", "启动喂狗，停止av_server");
    case PlanStepKind::SendImage:
        return QT_TRANSLATE_NOOP("engine", "升级'%1'");
    case PlanStepKind::RereadVersion:
        return QT_TRANSLATE_NOOP("engine", "重新获取版本号");
    case PlanStepKind::StopServiceIf516:
        return QT_TRANSLATE_NOOP("engine", "若版本为5.1.6，启动喂狗并停止av_server");
    case PlanStepKind::VerifyVersion:
        return QT_TRANSLATE_NOOP("engine", "获取升级后版本");
    }
    return nullptr;
}

} // namespace

std::string PlanStepText(const PlanStep& step, TextTranslator translate) {
    const char* source = PlanStepSource(step.kind);
    return source ? FillPattern(EngineText(source, translate), {step.image}) : std::string();
}

std::string ImageCheckText(const ImageVerdict& verdict, TextTranslator translate) {
    const std::string target = VersionText(verdict.target);
    const std::string outcome =
        verdict.fault == IMAGE_OK
            ? EngineText(QT_TRANSLATE_NOOP("engine", "检查通过"), translate)
            : ImageFaultText(verdict.fault, ImageFaultArgument(verdict), target, translate);
    return FillPattern(
        EngineText(QT_TRANSLATE_NOOP("engine", "镜像'%1'（目标版本%2）：%3"), translate),
        {verdict.fileName, target.empty() ? "?" : target, outcome});
}

std::string PlanText(const UpgradePlan& plan, TextTranslator translate) {
    std::string text = plan.address + ":" + std::to_string(plan.port);
    if (!plan.version.empty()) {
        const std::string pattern = EngineText(QT_TRANSLATE_NOOP("engine", "版本 %1"), translate);
        text += "  " + FillPattern(pattern, {plan.version});
    }
    text += "\n";
    for (const ImageVerdict& check : plan.checks) {
        text += "  " + ImageCheckText(check, translate) + "\n";
    }
    if (plan.code != UPGRADE_OK) {
        return text + "  " + ResultText(0, plan.code, translate) + "\n";
    }
    for (size_t i = 0; i < plan.steps.size(); ++i) {
        text += "  " + std::to_string(i + 1) + ". " + PlanStepText(plan.steps[i], translate) + "\n";
    }
    return text;
}
