#include "engine/result_detail.h"

#include "engine/image_check.h"
#include "sdk/lpr_sdk.h"

#include <cstring>

namespace {

std::string Text(const char* source, TextTranslator translate) {
    return EngineText(source, translate);
}

const char* ImageFaultSource(int32_t fault) {
    switch (fault) {
    case IMAGE_MISSING:
        return QT_TRANSLATE_NOOP("engine", "文件不存在");
    case IMAGE_NOT_REGULAR:
        return QT_TRANSLATE_NOOP("engine", "不是普通文件");
    case IMAGE_UNREADABLE:
        return QT_TRANSLATE_NOOP("engine", "文件无法读取");
    case IMAGE_EMPTY:
        return QT_TRANSLATE_NOOP("engine", "文件为空");
    case IMAGE_BAD_HEADER:
        return QT_TRANSLATE_NOOP("engine", "文件头无效，不是升级镜像");
    case IMAGE_WRONG_PLATFORM:
        return QT_TRANSLATE_NOOP("engine", "镜像平台%1与所在文件夹不符");
    case IMAGE_WRONG_TARGET:
        return QT_TRANSLATE_NOOP("engine", "镜像版本%2与所在文件夹不符");
    case IMAGE_OLDER_TARGET:
        return QT_TRANSLATE_NOOP("engine", "镜像版本%2低于设备版本，不降级");
    case IMAGE_LENGTH_MISMATCH:
        return QT_TRANSLATE_NOOP("engine", "文件长度与文件头不符");
    case IMAGE_HASH_MISMATCH:
        return QT_TRANSLATE_NOOP("engine", "SHA-256校验与文件头不符");
    case IMAGE_SEVERAL:
        return QT_TRANSLATE_NOOP("engine", "所在文件夹有%1个.bin文件，应只有一个");
    case IMAGE_UNKNOWN_FOLDER:
        return QT_TRANSLATE_NOOP("engine", "不在升级镜像文件夹中");
    default:
        return nullptr;
    }
}

const char* SdkErrorSource(int32_t error) {
    switch (error) {
    case LPR_ERR_FILE_UNREADABLE:
        return QT_TRANSLATE_NOOP("engine", "镜像文件无法读取");
    case LPR_ERR_NOT_CONNECTED:
        return QT_TRANSLATE_NOOP("engine", "无法连接设备");
    case LPR_ERR_CONNECTION_LOST:
        return QT_TRANSLATE_NOOP("engine", "设备接收镜像后连接中断");
    case LPR_ERR_INVALID_IMAGE:
        return QT_TRANSLATE_NOOP("engine", "设备拒绝：不是有效镜像");
    case LPR_ERR_CHECKSUM:
        return QT_TRANSLATE_NOOP("engine", "设备拒绝：长度或校验和不符");
    case LPR_ERR_WRONG_PLATFORM:
        return QT_TRANSLATE_NOOP("engine", "设备拒绝：镜像平台不符");
    case LPR_ERR_ALREADY_INSTALLED:
        return QT_TRANSLATE_NOOP("engine", "镜像已安装");
    case LPR_ERR_FLASH_FAILED:
        return QT_TRANSLATE_NOOP("engine", "设备写入失败");
    case LPR_ERR_BUSY:
        return QT_TRANSLATE_NOOP("engine", "设备忙：正在升级");
    case LPR_ERR_TIMEOUT:
        return QT_TRANSLATE_NOOP("engine", "设备未及时应答");
    case LPR_ERR_LOST_WHILE_SENDING:
        return QT_TRANSLATE_NOOP("engine", "发送镜像时连接中断");
    default:
        return nullptr;
    }
}

std::string Versions(const UpgradeResultNote& note, TextTranslator translate) {
    const std::string found = FieldText(note.versionAfter);
    return FillPattern(
        Text(QT_TRANSLATE_NOOP("engine", "期望版本%1，实际版本%2"), translate),
        {FieldText(note.versionExpected),
         found.empty() ? Text(QT_TRANSLATE_NOOP("engine", "无法读取"), translate) : found});
}

} // namespace

std::string ImageFaultText(int32_t fault, const std::string& argument, const std::string& target,
                           TextTranslator translate) {
    const char* source = ImageFaultSource(fault);
    return source ? FillPattern(Text(source, translate), {argument, target}) : std::string();
}

std::string ImageFaultArgument(const ImageVerdict& verdict) {
    return verdict.fault == IMAGE_SEVERAL ? std::to_string(verdict.binCount) : verdict.platform;
}

std::string SdkErrorText(int32_t error, TextTranslator translate) {
    const char* source = SdkErrorSource(error);
    if (source == nullptr) {
        return {};
    }
    return FillPattern(Text(QT_TRANSLATE_NOOP("engine", "%1（错误%2）"), translate),
                       {Text(source, translate), std::to_string(error)});
}

std::string ResultDetailText(const UpgradeResultNote& note, intptr_t code,
                             TextTranslator translate) {
    const std::string image(note.imageName, strnlen(note.imageName, sizeof note.imageName));
    const std::string detail(note.detail, strnlen(note.detail, sizeof note.detail));
    if (note.value != 0) {
        return note.sdkError == LPR_ERR_ALREADY_INSTALLED ? SdkErrorText(note.sdkError, translate)
                                                          : std::string();
    }
    switch (code) {
    case UPGRADE_ERR_VERSION_MISMATCH:
    case UPGRADE_ERR_UNVERIFIED:
    case UPGRADE_ERR_VERSION_UNCHANGED:
        return Versions(note, translate);
    case UPGRADE_ERR_BAD_IMAGE:
        return FillPattern(Text(QT_TRANSLATE_NOOP("engine", "镜像'%1'：%2"), translate),
                           {image, ImageFaultText(note.imageFault, detail,
                                                  FieldText(note.versionExpected), translate)});
    case UPGRADE_ERR_NO_IMAGE:
    case UPGRADE_ERR_NO_VERSION: {
        const std::string version = FieldText(note.versionBefore);
        return version.empty()
                   ? std::string()
                   : FillPattern(Text(QT_TRANSLATE_NOOP("engine", "设备版本%1"), translate),
                                 {version});
    }
    case UPGRADE_ERR_DEVICE_REPLACED:
        return detail;
    case UPGRADE_ERR_SEND:
        return SdkErrorText(note.sdkError, translate);
    default:
        return {};
    }
}
