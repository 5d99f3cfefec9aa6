#include "note_texts.h"

#include "engine/upgrade_codes.h"

#include <cstdio>

namespace {

std::string Format(const char* format, int a, int b, int c = 0, int d = 0) {
    char text[256];
    std::snprintf(text, sizeof text, format, a, b, c, d);
    return text;
}

} // namespace

std::string ProgressText(int32_t step, const std::string& imageName) {
    switch (step) {
    case UPGRADE_STEP_CLEAN_LOG:
        return "正在清理日志";
    case UPGRADE_STEP_CLEAN_DATABASE:
        return "正在清理数据库";
    case UPGRADE_STEP_REBOOT_AFTER_CLEAN:
        return "清理完成，重启设备";
    case UPGRADE_STEP_SEND_IMAGE:
        return "正在升级'" + imageName + "'";
    case UPGRADE_STEP_IMAGE_ACCEPTED:
        return "升级成功，正在重启设备";
    default:
        return "";
    }
}

std::string ResultText(int32_t value, intptr_t code) {
    if (value != 0) {
        return "升级设备成功！";
    }
    switch (code) {
    case UPGRADE_ERR_OPEN:
        return "打开设备失败，请检查设备连接是否正常！";
    case UPGRADE_ERR_NO_VERSION:
        return "升级设备失败，未获取设备版本！";
    case UPGRADE_ERR_NO_IMAGE:
        return "升级设备失败，未获取到对应升级镜像！";
    case UPGRADE_ERR_SEND:
        return "升级设备失败，请直连设备再升级！";
    case UPGRADE_ERR_REREAD_VERSION:
        return "升级设备失败，升级到中间版本后，重新获取版本号失败！";
    default:
        return "";
    }
}

std::string RunningSummaryText(int total, int done, int succeeded, int failed) {
    return Format("共选择%d台，已升级%d台；成功%d台，失败%d台。", total, done, succeeded, failed);
}

std::string FinalSummaryText(int succeeded, int failed) {
    return Format("升级完成，成功%d台，失败%d台。", succeeded, failed);
}

std::string NotDispatchedText() {
    return "未派发：升级任务队列已满";
}
