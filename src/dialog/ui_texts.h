// Every text the window shows, in one place. Source texts are UTF-8 Chinese,
// shown through i18n::Tr("ui", ...) so that another language can replace them.
#pragma once

// Marks a text for the translation tools without needing the toolkit.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(scope, x) x
#endif

namespace ui_text {

inline constexpr char kDialogCaption[] =
    QT_TRANSLATE_NOOP("ui", "自动升级工具(2.0.6版本）- 同时支持TI和海思相机");
inline constexpr char kAboutCaption[] = QT_TRANSLATE_NOOP("ui", "关于 Tolvane");
inline constexpr char kAboutVersion[] = QT_TRANSLATE_NOOP("ui", "Tolvane，1.0 版");
inline constexpr char kAboutMenuItem[] = QT_TRANSLATE_NOOP("ui", "关于 Tolvane(&A)...");
inline constexpr char kAboutDataFolder[] = QT_TRANSLATE_NOOP("ui", "数据文件夹：%1");
inline constexpr char kOk[] = QT_TRANSLATE_NOOP("ui", "确定");

// Labels, buttons and groups.
inline constexpr char kLabelAddress[] = QT_TRANSLATE_NOOP("ui", "设备IP:");
inline constexpr char kLabelPort[] = QT_TRANSLATE_NOOP("ui", "端口:");
inline constexpr char kLabelUser[] = QT_TRANSLATE_NOOP("ui", "用户名:");
inline constexpr char kLabelPassword[] = QT_TRANSLATE_NOOP("ui", "密码:");
inline constexpr char kButtonUpgrade[] = QT_TRANSLATE_NOOP("ui", "升级设备");
inline constexpr char kButtonSearch[] = QT_TRANSLATE_NOOP("ui", "搜索");
inline constexpr char kButtonBatch[] = QT_TRANSLATE_NOOP("ui", "批量升级");
inline constexpr char kGroupSingle[] = QT_TRANSLATE_NOOP("ui", "单台操作");
inline constexpr char kGroupBatch[] = QT_TRANSLATE_NOOP("ui", "批量操作");

// Column headings.
inline constexpr char kColumnCheck[] = QT_TRANSLATE_NOOP("ui", "全选");
inline constexpr char kColumnAddress[] = QT_TRANSLATE_NOOP("ui", "设备IP");
inline constexpr char kColumnPort[] = QT_TRANSLATE_NOOP("ui", "端口");
inline constexpr char kColumnVersion[] = QT_TRANSLATE_NOOP("ui", "设备版本");
inline constexpr char kColumnProgress[] = QT_TRANSLATE_NOOP("ui", "升级进度");

// Message box captions.
inline constexpr char kCaptionNotice[] = QT_TRANSLATE_NOOP("ui", "提示");
inline constexpr char kCaptionQuestion[] = QT_TRANSLATE_NOOP("ui", "询问");

// Checks of the single command, in the order they run.
inline constexpr char kEnterAddress[] = QT_TRANSLATE_NOOP("ui", "请输入设备IP！");
inline constexpr char kBadAddress[] = QT_TRANSLATE_NOOP("ui", "IP格式不正确！");
inline constexpr char kEnterPort[] = QT_TRANSLATE_NOOP("ui", "请输入端口号！");
inline constexpr char kBadPort[] = QT_TRANSLATE_NOOP("ui", "端口号不正确，请重新输入！");
inline constexpr char kEnterUser[] = QT_TRANSLATE_NOOP("ui", "请输入用户名！");
inline constexpr char kEnterPassword[] = QT_TRANSLATE_NOOP("ui", "请输入密码！");
inline constexpr char kUserTooLong[] =
    QT_TRANSLATE_NOOP("ui", "用户名过长，最多31个字节，请重新输入！");
inline constexpr char kPasswordTooLong[] =
    QT_TRANSLATE_NOOP("ui", "密码过长，最多31个字节，请重新输入！");
inline constexpr char kBadCredentialChars[] = QT_TRANSLATE_NOOP("ui", "用户名或密码含有非法字符！");
inline constexpr char kConfirmUpgrade[] = QT_TRANSLATE_NOOP("ui", "是否升级设备？");
inline constexpr char kSingleNotSent[] =
    QT_TRANSLATE_NOOP("ui", "升级设备失败，任务队列已满，未发送！");

// Batch command.
inline constexpr char kSelectDevices[] = QT_TRANSLATE_NOOP("ui", "请选择待升级的设备");
inline constexpr char kBatchSelected[] = QT_TRANSLATE_NOOP("ui", "共选择%1台");
inline constexpr char kBatchNotSent[] =
    QT_TRANSLATE_NOOP("ui", "升级设备失败，任务队列已满，未发送！");
inline constexpr char kAddressTooLong[] =
    QT_TRANSLATE_NOOP("ui", "升级设备失败，设备IP过长，未发送！");

// Cameras beyond the broadcast domain: the device list's context menu.
inline constexpr char kMenuAddDevice[] = QT_TRANSLATE_NOOP("ui", "添加设备...");
inline constexpr char kMenuScanRange[] = QT_TRANSLATE_NOOP("ui", "扫描地址段...");
inline constexpr char kAddDeviceCaption[] = QT_TRANSLATE_NOOP("ui", "添加设备");
inline constexpr char kScanRangeCaption[] = QT_TRANSLATE_NOOP("ui", "扫描地址段");
inline constexpr char kCancel[] = QT_TRANSLATE_NOOP("ui", "取消");
inline constexpr char kLabelFirstAddress[] = QT_TRANSLATE_NOOP("ui", "起始IP:");
inline constexpr char kLabelLastAddress[] = QT_TRANSLATE_NOOP("ui", "结束IP:");
inline constexpr char kBadFirstAddress[] = QT_TRANSLATE_NOOP("ui", "起始IP格式不正确！");
inline constexpr char kBadLastAddress[] = QT_TRANSLATE_NOOP("ui", "结束IP格式不正确！");
inline constexpr char kRangeReversed[] = QT_TRANSLATE_NOOP("ui", "起始IP大于结束IP，请重新输入！");
inline constexpr char kRangeTooLarge[] =
    QT_TRANSLATE_NOOP("ui", "地址段过大，最多%1个地址，请重新输入！");
inline constexpr char kProbeNotStarted[] = QT_TRANSLATE_NOOP("ui", "探测未能开始，请稍后再试！");
// Plan, export and retry entries of the context menu.
inline constexpr char kMenuPlan[] = QT_TRANSLATE_NOOP("ui", "升级计划...");
inline constexpr char kMenuExport[] = QT_TRANSLATE_NOOP("ui", "导出结果...");
inline constexpr char kMenuTickFailed[] = QT_TRANSLATE_NOOP("ui", "勾选失败设备");
inline constexpr char kPlanCaption[] = QT_TRANSLATE_NOOP("ui", "升级计划");
inline constexpr char kPlanRunning[] = QT_TRANSLATE_NOOP("ui", "正在生成升级计划，请稍候");
inline constexpr char kExportFilter[] =
    QT_TRANSLATE_NOOP("ui", "CSV 文件 (*.csv);;JSON 文件 (*.json)");
inline constexpr char kExportDone[] = QT_TRANSLATE_NOOP("ui", "已导出%1台设备的结果。");
inline constexpr char kExportFailed[] = QT_TRANSLATE_NOOP("ui", "导出失败，无法写入文件！");
// After a batch whose history or camera log lines could not all be written.
inline constexpr char kReportsNotWritten[] =
    QT_TRANSLATE_NOOP("ui", "有%1条升级记录或设备日志未能写入：%2");

// Accessible names and descriptions, for screen readers and UI automation.
inline constexpr char kAccAddressField[] = QT_TRANSLATE_NOOP("ui", "设备IP第%1段");
inline constexpr char kAccDeviceList[] = QT_TRANSLATE_NOOP("ui", "设备列表");
inline constexpr char kAccListHeader[] = QT_TRANSLATE_NOOP("ui", "设备列表列标题");
inline constexpr char kAccSingleStatus[] = QT_TRANSLATE_NOOP("ui", "单台操作状态");
inline constexpr char kAccBatchStatus[] = QT_TRANSLATE_NOOP("ui", "批量操作状态");
inline constexpr char kDescAddress[] =
    QT_TRANSLATE_NOOP("ui", "单台升级的设备IP地址，四段数字，按点号跳到下一段");
inline constexpr char kDescPort[] = QT_TRANSLATE_NOOP("ui", "单台升级的设备端口号，1到65535");
inline constexpr char kDescUser[] = QT_TRANSLATE_NOOP("ui", "登录单台设备的用户名，最多31个字节");
inline constexpr char kDescPassword[] = QT_TRANSLATE_NOOP("ui", "登录单台设备的密码");
inline constexpr char kDescUpgrade[] =
    QT_TRANSLATE_NOOP("ui", "按上面填写的地址和帐号升级一台设备");
inline constexpr char kDescDeviceList[] = QT_TRANSLATE_NOOP(
    "ui", "搜索到的设备。空格键勾选当前行，Ctrl+A全选或全不选，回车键把当前行的IP填入设备IP，"
          "菜单键或Shift+F10打开菜单");
inline constexpr char kDescListHeader[] =
    QT_TRANSLATE_NOOP("ui", "焦点在列标题上时，空格键或回车键同点击“全选”");
inline constexpr char kDescSearch[] =
    QT_TRANSLATE_NOOP("ui", "清空列表，搜索局域网内的设备并读取版本");
inline constexpr char kDescBatch[] = QT_TRANSLATE_NOOP("ui", "升级列表中勾选的设备");
inline constexpr char kDescSingleStatus[] = QT_TRANSLATE_NOOP("ui", "单台升级的进度");
inline constexpr char kDescBatchStatus[] =
    QT_TRANSLATE_NOOP("ui", "批量升级的进度和成功、失败台数");

// Progress steps, results and batch summaries are the engine's (engine/note_texts.h).

} // namespace ui_text
