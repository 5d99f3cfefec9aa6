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

// Accessible names and descriptions, for screen readers and UI automation.
inline constexpr char kAccAddressField[] = "设备IP第%1段";
inline constexpr char kAccDeviceList[] = "设备列表";
inline constexpr char kAccListHeader[] = "设备列表列标题";
inline constexpr char kAccSingleStatus[] = "单台操作状态";
inline constexpr char kAccBatchStatus[] = "批量操作状态";
inline constexpr char kDescAddress[] = "单台升级的设备IP地址，四段数字，按点号跳到下一段";
inline constexpr char kDescPort[] = "单台升级的设备端口号，1到65535";
inline constexpr char kDescUser[] = "登录单台设备的用户名，最多16个字符";
inline constexpr char kDescPassword[] = "登录单台设备的密码";
inline constexpr char kDescUpgrade[] = "按上面填写的地址和帐号升级一台设备";
inline constexpr char kDescDeviceList[] =
    "搜索到的设备。空格键勾选当前行，Ctrl+A全选或全不选，回车键把当前行的IP填入设备IP，"
    "菜单键或Shift+F10打开菜单";
inline constexpr char kDescListHeader[] = "焦点在列标题上时，空格键或回车键同点击“全选”";
inline constexpr char kDescSearch[] = "清空列表，搜索局域网内的设备并读取版本";
inline constexpr char kDescBatch[] = "升级列表中勾选的设备";
inline constexpr char kDescSingleStatus[] = "单台升级的进度";
inline constexpr char kDescBatchStatus[] = "批量升级的进度和成功、失败台数";

// Progress steps, results and batch summaries are the engine's (engine/note_texts.h).

} // namespace ui_text
