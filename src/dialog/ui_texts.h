// Every text the window shows, in one place. Source texts are UTF-8.
#pragma once

namespace ui_text {

inline constexpr char kDialogCaption[] = "自动升级工具(2.0.6版本）- 同时支持TI和海思相机";
inline constexpr char kAboutCaption[] = "关于 Tolvane";
inline constexpr char kAboutVersion[] = "Tolvane，1.0 版";
inline constexpr char kAboutMenuItem[] = "关于 Tolvane(&A)...";
inline constexpr char kOk[] = "确定";

// Labels, buttons and groups.
inline constexpr char kLabelAddress[] = "设备IP:";
inline constexpr char kLabelPort[] = "端口:";
inline constexpr char kLabelUser[] = "用户名:";
inline constexpr char kLabelPassword[] = "密码:";
inline constexpr char kButtonUpgrade[] = "升级设备";
inline constexpr char kButtonSearch[] = "搜索";
inline constexpr char kButtonBatch[] = "批量升级";
inline constexpr char kGroupSingle[] = "单台操作";
inline constexpr char kGroupBatch[] = "批量操作";

// Column headings.
inline constexpr char kColumnCheck[] = "全选";
inline constexpr char kColumnAddress[] = "设备IP";
inline constexpr char kColumnPort[] = "端口";
inline constexpr char kColumnVersion[] = "设备版本";
inline constexpr char kColumnProgress[] = "升级进度";

// Message box captions.
inline constexpr char kCaptionNotice[] = "提示";
inline constexpr char kCaptionQuestion[] = "询问";

// Checks of the single command, in the order they run.
inline constexpr char kEnterAddress[] = "请输入设备IP！";
inline constexpr char kBadAddress[] = "IP格式不正确！";
inline constexpr char kEnterPort[] = "请输入端口号！";
inline constexpr char kBadPort[] = "端口号不正确，请重新输入！";
inline constexpr char kEnterUser[] = "请输入用户名！";
inline constexpr char kEnterPassword[] = "请输入密码！";
inline constexpr char kUserTooLong[] = "用户名过长，最多31个字节，请重新输入！";
inline constexpr char kPasswordTooLong[] = "密码过长，最多31个字节，请重新输入！";
inline constexpr char kBadCredentialChars[] = "用户名或密码含有非法字符！";
inline constexpr char kConfirmUpgrade[] = "是否升级设备？";
inline constexpr char kSingleNotSent[] = "升级设备失败，任务队列已满，未发送！";

// Batch command.
inline constexpr char kSelectDevices[] = "请选择待升级的设备";
inline constexpr char kBatchSelected[] = "共选择%1台";
inline constexpr char kBatchNotSent[] = "升级设备失败，任务队列已满，未发送！";
inline constexpr char kAddressTooLong[] = "升级设备失败，设备IP过长，未发送！";

// Cameras beyond the broadcast domain: the device list's context menu.
inline constexpr char kMenuAddDevice[] = "添加设备...";
inline constexpr char kMenuScanRange[] = "扫描地址段...";
inline constexpr char kAddDeviceCaption[] = "添加设备";
inline constexpr char kScanRangeCaption[] = "扫描地址段";
inline constexpr char kCancel[] = "取消";
inline constexpr char kLabelFirstAddress[] = "起始IP:";
inline constexpr char kLabelLastAddress[] = "结束IP:";
inline constexpr char kBadFirstAddress[] = "起始IP格式不正确！";
inline constexpr char kBadLastAddress[] = "结束IP格式不正确！";
inline constexpr char kRangeReversed[] = "起始IP大于结束IP，请重新输入！";
inline constexpr char kRangeTooLarge[] = "地址段过大，最多%1个地址，请重新输入！";
inline constexpr char kProbeNotStarted[] = "探测未能开始，请稍后再试！";
// Plan, export and retry entries of the context menu.
inline constexpr char kMenuPlan[] = "升级计划...";
inline constexpr char kMenuExport[] = "导出结果...";
inline constexpr char kMenuTickFailed[] = "勾选失败设备";
inline constexpr char kPlanCaption[] = "升级计划";
inline constexpr char kPlanRunning[] = "正在生成升级计划，请稍候";
inline constexpr char kExportFilter[] = "CSV 文件 (*.csv);;JSON 文件 (*.json)";
inline constexpr char kExportDone[] = "已导出%1台设备的结果。";
inline constexpr char kExportFailed[] = "导出失败，无法写入文件！";

// Progress steps, results and batch summaries are the engine's (engine/note_texts.h).

} // namespace ui_text
