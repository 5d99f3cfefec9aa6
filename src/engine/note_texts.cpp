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

std::string SendImageText(std::string_view imageName, std::size_t maxBytes,
                          TextTranslator translate) {
    const std::string pattern = EngineText(QT_TRANSLATE_NOOP("engine", "正在升级'%1'"), translate);
    const std::size_t marker = std::string_view("%1").size();
    const std::size_t frame = pattern.size() > marker ? pattern.size() - marker : 0;
    const std::size_t room = maxBytes > frame ? maxBytes - frame : 0;
    return FillPattern(pattern, {CutAtCharacter(imageName, room)});
}

const char* StepSource(int32_t step) {
    switch (step) {
    case UPGRADE_STEP_CLEAN_LOG:
        return QT_TRANSLATE_NOOP("engine", "正在清理日志");
    case UPGRADE_STEP_CLEAN_DATABASE:
        return QT_TRANSLATE_NOOP("engine", "正在清理数据库");
    case UPGRADE_STEP_REBOOT_AFTER_CLEAN:
        return QT_TRANSLATE_NOOP("engine", "清理完成，重启设备");
    case UPGRADE_STEP_IMAGE_ACCEPTED:
        return QT_TRANSLATE_NOOP("engine", "升级成功，正在重启设备");
    default:
        return nullptr;
    }
}

const char* FailureSource(intptr_t code) {
    switch (code) {
    case UPGRADE_ERR_OPEN:
        return QT_TRANSLATE_NOOP("engine", "打开设备失败，请检查设备连接是否正常！");
    case UPGRADE_ERR_NO_VERSION:
        return QT_TRANSLATE_NOOP("engine", "升级设备失败，未获取设备版本！");
    case UPGRADE_ERR_NO_IMAGE:
        return QT_TRANSLATE_NOOP("engine", "升级设备失败，未获取到对应升级镜像！");
    case UPGRADE_ERR_SEND:
        return QT_TRANSLATE_NOOP("engine", "升级设备失败，请直连设备再升级！");
    case UPGRADE_ERR_REREAD_VERSION:
        return QT_TRANSLATE_NOOP("engine", "升级设备失败，升级到中间版本后，重新获取版本号失败！");
    case UPGRADE_ERR_VERSION_UNCHANGED:
        return QT_TRANSLATE_NOOP("engine", "升级设备失败，升级后版本未改变！");
    case UPGRADE_ERR_VERSION_MISMATCH:
        return QT_TRANSLATE_NOOP("engine", "升级设备失败，升级后版本与镜像版本不符！");
    case UPGRADE_ERR_UNVERIFIED:
        return QT_TRANSLATE_NOOP("engine", "升级结果未确认，请检查设备版本！");
    case UPGRADE_ERR_DEVICE_REPLACED:
        return QT_TRANSLATE_NOOP("engine", "升级设备失败，设备已更换！");
    case UPGRADE_ERR_BAD_IMAGE:
        return QT_TRANSLATE_NOOP("engine", "升级设备失败，升级镜像文件有误！");
    default:
        return nullptr;
    }
}

} // namespace

std::string ProgressText(int32_t step, std::string_view imageName, std::size_t maxBytes,
                         TextTranslator translate) {
    if (step == UPGRADE_STEP_SEND_IMAGE) {
        return SendImageText(imageName, maxBytes, translate);
    }
    const char* source = StepSource(step);
    return source ? EngineText(source, translate) : std::string();
}

std::string ResultText(int32_t value, intptr_t code, TextTranslator translate) {
    const char* source =
        value != 0 ? QT_TRANSLATE_NOOP("engine", "升级设备成功！") : FailureSource(code);
    return source ? EngineText(source, translate) : std::string();
}

std::string RunningSummaryText(int total, int done, int succeeded, int failed,
                               TextTranslator translate) {
    const std::string pattern = EngineText(
        QT_TRANSLATE_NOOP("engine", "共选择%1台，已升级%2台；成功%3台，失败%4台。"), translate);
    return FillPattern(pattern, {std::to_string(total), std::to_string(done),
                                 std::to_string(succeeded), std::to_string(failed)});
}

std::string FinalSummaryText(int succeeded, int failed, TextTranslator translate) {
    const std::string pattern =
        EngineText(QT_TRANSLATE_NOOP("engine", "升级完成，成功%1台，失败%2台。"), translate);
    return FillPattern(pattern, {std::to_string(succeeded), std::to_string(failed)});
}

std::string NotDispatchedText(TextTranslator translate) {
    return EngineText(QT_TRANSLATE_NOOP("engine", "未派发：升级任务队列已满"), translate);
}
