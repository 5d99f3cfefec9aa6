#include "engine/note_texts.h"

#include "engine/upgrade_codes.h"

namespace {

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The longest prefix of text within room bytes that does not split a character.
std::string_view CutAtCharacter(std::string_view text, std::size_t room) {
    if (text.size() <= room) {
        return text;
    }
    std::size_t end = room;
    while (end > 0 && IsContinuationByte(text[end])) {
        --end;
    }
    return text.substr(0, end);
}

std::string SendImageText(std::string_view imageName, std::size_t maxBytes) {
    const std::string_view before = "正在升级'";
    const std::string_view after = "'";
    const std::size_t frame = before.size() + after.size();
    const std::size_t room = maxBytes > frame ? maxBytes - frame : 0;
    std::string text(before);
    text += CutAtCharacter(imageName, room);
    text += after;
    return text;
}

} // namespace

std::string ProgressText(int32_t step, std::string_view imageName, std::size_t maxBytes) {
    switch (step) {
    case UPGRADE_STEP_CLEAN_LOG:
        return "正在清理日志";
    case UPGRADE_STEP_CLEAN_DATABASE:
        return "正在清理数据库";
    case UPGRADE_STEP_REBOOT_AFTER_CLEAN:
        return "清理完成，重启设备";
    case UPGRADE_STEP_SEND_IMAGE:
        return SendImageText(imageName, maxBytes);
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
    case UPGRADE_ERR_VERSION_UNCHANGED:
        return "升级设备失败，升级后版本未改变！";
    default:
        return "";
    }
}

std::string RunningSummaryText(int total, int done, int succeeded, int failed) {
    return "共选择" + std::to_string(total) + "台，已升级" + std::to_string(done) + "台；成功" +
           std::to_string(succeeded) + "台，失败" + std::to_string(failed) + "台。";
}

std::string FinalSummaryText(int succeeded, int failed) {
    return "升级完成，成功" + std::to_string(succeeded) + "台，失败" + std::to_string(failed) +
           "台。";
}

std::string NotDispatchedText() {
    return "未派发：升级任务队列已满";
}
