<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>engine</name>
    <message>
        <source>正在升级&apos;%1&apos;</source>
        <translation>Upgrading &apos;%1&apos;</translation>
    </message>
    <message>
        <source>正在清理日志</source>
        <translation>Clearing the logs</translation>
    </message>
    <message>
        <source>正在清理数据库</source>
        <translation>Clearing the database</translation>
    </message>
    <message>
        <source>清理完成，重启设备</source>
        <translation>Cleared, restarting the device</translation>
    </message>
    <message>
        <source>升级成功，正在重启设备</source>
        <translation>Image accepted, restarting the device</translation>
    </message>
    <message>
        <source>打开设备失败，请检查设备连接是否正常！</source>
        <translation>Cannot open the device. Check its network connection!</translation>
    </message>
    <message>
        <source>升级设备失败，未获取设备版本！</source>
        <translation>Upgrade failed: could not read the device version!</translation>
    </message>
    <message>
        <source>升级设备失败，未获取到对应升级镜像！</source>
        <translation>Upgrade failed: no upgrade image for this version!</translation>
    </message>
    <message>
        <source>升级设备失败，请直连设备再升级！</source>
        <translation>Upgrade failed. Connect the device directly and try again!</translation>
    </message>
    <message>
        <source>升级设备失败，升级到中间版本后，重新获取版本号失败！</source>
        <translation>Upgrade failed: could not read the version after the intermediate image!</translation>
    </message>
    <message>
        <source>升级设备失败，升级后版本未改变！</source>
        <translation>Upgrade failed: the version did not change!</translation>
    </message>
    <message>
        <source>升级设备成功！</source>
        <translation>Device upgraded!</translation>
    </message>
    <message>
        <source>共选择%1台，已升级%2台；成功%3台，失败%4台。</source>
        <translation>%1 selected, %2 done: %3 succeeded, %4 failed.</translation>
    </message>
    <message>
        <source>升级完成，成功%1台，失败%2台。</source>
        <translation>Upgrade finished: %1 succeeded, %2 failed.</translation>
    </message>
    <message>
        <source>未派发：升级任务队列已满</source>
        <translation>Not sent: upgrade queue full</translation>
    </message>
    <message>
        <source>清理日志和数据库</source>
        <translation>Clear the logs and the database</translation>
    </message>
    <message>
        <source>重启设备并等待</source>
        <translation>Restart the device and wait</translation>
    </message>
    <message>
        <source>启动喂狗，停止av_server</source>
        <translation>Start the watchdog feeder, stop av_server</translation>
    </message>
    <message>
        <source>升级&apos;%1&apos;</source>
        <translation>Send &apos;%1&apos;</translation>
    </message>
    <message>
        <source>重新获取版本号</source>
        <translation>Read the version again</translation>
    </message>
    <message>
        <source>若版本为5.1.6，启动喂狗并停止av_server</source>
        <translation>If the version is 5.1.6, start the watchdog feeder and stop av_server</translation>
    </message>
    <message>
        <source>获取升级后版本</source>
        <translation>Read the new version</translation>
    </message>
    <message>
        <source>版本 %1</source>
        <translation>version %1</translation>
    </message>
    <message>
        <source>升级设备失败，升级后版本与镜像版本不符！</source>
        <translation>Upgrade failed: the version after the upgrade is not the image&apos;s!</translation>
    </message>
    <message>
        <source>升级结果未确认，请检查设备版本！</source>
        <translation>Upgrade not confirmed: check the device&apos;s version!</translation>
    </message>
    <message>
        <source>升级设备失败，设备已更换！</source>
        <translation>Upgrade failed: another device answered!</translation>
    </message>
    <message>
        <source>升级设备失败，升级镜像文件有误！</source>
        <translation>Upgrade failed: the image file is wrong!</translation>
    </message>
    <message>
        <source>文件不存在</source>
        <translation>no such file</translation>
    </message>
    <message>
        <source>不是普通文件</source>
        <translation>not a regular file</translation>
    </message>
    <message>
        <source>文件无法读取</source>
        <translation>the file cannot be read</translation>
    </message>
    <message>
        <source>文件为空</source>
        <translation>the file is empty</translation>
    </message>
    <message>
        <source>文件头无效，不是升级镜像</source>
        <translation>no valid image header</translation>
    </message>
    <message>
        <source>镜像平台%1与所在文件夹不符</source>
        <translation>platform %1 is not its folder&apos;s</translation>
    </message>
    <message>
        <source>镜像版本%2与所在文件夹不符</source>
        <translation>target version %2 is not its folder&apos;s</translation>
    </message>
    <message>
        <source>镜像版本%2低于设备版本，不降级</source>
        <translation>target version %2 is older than the device&apos;s; no downgrade</translation>
    </message>
    <message>
        <source>文件长度与文件头不符</source>
        <translation>length differs from the header</translation>
    </message>
    <message>
        <source>SHA-256校验与文件头不符</source>
        <translation>SHA-256 differs from the header</translation>
    </message>
    <message>
        <source>所在文件夹有%1个.bin文件，应只有一个</source>
        <translation>its folder holds %1 .bin files instead of one</translation>
    </message>
    <message>
        <source>不在升级镜像文件夹中</source>
        <translation>not in a folder of the image tree</translation>
    </message>
    <message>
        <source>镜像文件无法读取</source>
        <translation>the image file cannot be read</translation>
    </message>
    <message>
        <source>无法连接设备</source>
        <translation>cannot connect to the device</translation>
    </message>
    <message>
        <source>设备接收镜像后连接中断</source>
        <translation>connection lost after the device took the image</translation>
    </message>
    <message>
        <source>设备拒绝：不是有效镜像</source>
        <translation>refused by the device: not a valid image</translation>
    </message>
    <message>
        <source>设备拒绝：长度或校验和不符</source>
        <translation>refused by the device: length or checksum mismatch</translation>
    </message>
    <message>
        <source>设备拒绝：镜像平台不符</source>
        <translation>refused by the device: image for another platform</translation>
    </message>
    <message>
        <source>镜像已安装</source>
        <translation>image already installed</translation>
    </message>
    <message>
        <source>设备写入失败</source>
        <translation>the device failed to write the image</translation>
    </message>
    <message>
        <source>设备忙：正在升级</source>
        <translation>device busy: an upgrade is flashing</translation>
    </message>
    <message>
        <source>设备未及时应答</source>
        <translation>the device did not answer in time</translation>
    </message>
    <message>
        <source>发送镜像时连接中断</source>
        <translation>connection lost while sending the image</translation>
    </message>
    <message>
        <source>期望版本%1，实际版本%2</source>
        <translation>expected version %1, found %2</translation>
    </message>
    <message>
        <source>无法读取</source>
        <translation>unreadable</translation>
    </message>
    <message>
        <source>%1（错误%2）</source>
        <translation>%1 (error %2)</translation>
    </message>
    <message>
        <source>镜像&apos;%1&apos;：%2</source>
        <translation>image &apos;%1&apos;: %2</translation>
    </message>
    <message>
        <source>设备版本%1</source>
        <translation>device version %1</translation>
    </message>
    <message>
        <source>检查通过</source>
        <translation>checks passed</translation>
    </message>
    <message>
        <source>镜像&apos;%1&apos;（目标版本%2）：%3</source>
        <translation>image &apos;%1&apos; (target %2): %3</translation>
    </message>
</context>
<context>
    <name>ui</name>
    <message>
        <source>自动升级工具(2.0.6版本）- 同时支持TI和海思相机</source>
        <translation>Automatic Upgrade Tool (version 2.0.6) - TI and HiSilicon cameras</translation>
    </message>
    <message>
        <source>关于 Tolvane</source>
        <translation>About Tolvane</translation>
    </message>
    <message>
        <source>Tolvane，1.0 版</source>
        <translation>Tolvane, version 1.0</translation>
    </message>
    <message>
        <source>关于 Tolvane(&amp;A)...</source>
        <translation>&amp;About Tolvane...</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>设备IP:</source>
        <translation>IP:</translation>
    </message>
    <message>
        <source>端口:</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>用户名:</source>
        <translation>User:</translation>
    </message>
    <message>
        <source>密码:</source>
        <translation>Pass:</translation>
    </message>
    <message>
        <source>升级设备</source>
        <translation>Upgrade</translation>
    </message>
    <message>
        <source>搜索</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>批量升级</source>
        <translation>Run batch</translation>
    </message>
    <message>
        <source>单台操作</source>
        <translation>Single device</translation>
    </message>
    <message>
        <source>批量操作</source>
        <translation>Batch</translation>
    </message>
    <message>
        <source>全选</source>
        <translation>All</translation>
    </message>
    <message>
        <source>设备IP</source>
        <translation>Device IP</translation>
    </message>
    <message>
        <source>端口</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>设备版本</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>升级进度</source>
        <translation>Progress</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>询问</source>
        <translation>Question</translation>
    </message>
    <message>
        <source>请输入设备IP！</source>
        <translation>Enter the device IP!</translation>
    </message>
    <message>
        <source>IP格式不正确！</source>
        <translation>The IP address is not valid!</translation>
    </message>
    <message>
        <source>请输入端口号！</source>
        <translation>Enter the port!</translation>
    </message>
    <message>
        <source>端口号不正确，请重新输入！</source>
        <translation>The port is not valid, enter it again!</translation>
    </message>
    <message>
        <source>请输入用户名！</source>
        <translation>Enter the user name!</translation>
    </message>
    <message>
        <source>请输入密码！</source>
        <translation>Enter the password!</translation>
    </message>
    <message>
        <source>用户名过长，最多31个字节，请重新输入！</source>
        <translation>The user name is too long (31 bytes at most), enter it again!</translation>
    </message>
    <message>
        <source>密码过长，最多31个字节，请重新输入！</source>
        <translation>The password is too long (31 bytes at most), enter it again!</translation>
    </message>
    <message>
        <source>用户名或密码含有非法字符！</source>
        <translation>The user name or password holds characters that are not allowed!</translation>
    </message>
    <message>
        <source>是否升级设备？</source>
        <translation>Upgrade the device?</translation>
    </message>
    <message>
        <source>升级设备失败，任务队列已满，未发送！</source>
        <translation>Upgrade failed: the task queue is full, nothing was sent!</translation>
    </message>
    <message>
        <source>请选择待升级的设备</source>
        <translation>Tick the devices to upgrade</translation>
    </message>
    <message>
        <source>共选择%1台</source>
        <translation>%1 selected</translation>
    </message>
    <message>
        <source>升级设备失败，设备IP过长，未发送！</source>
        <translation>Upgrade failed: the device IP is too long, nothing was sent!</translation>
    </message>
    <message>
        <source>添加设备...</source>
        <translation>Add device...</translation>
    </message>
    <message>
        <source>扫描地址段...</source>
        <translation>Scan address range...</translation>
    </message>
    <message>
        <source>添加设备</source>
        <translation>Add device</translation>
    </message>
    <message>
        <source>扫描地址段</source>
        <translation>Scan address range</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>起始IP:</source>
        <translation>First IP:</translation>
    </message>
    <message>
        <source>结束IP:</source>
        <translation>Last IP:</translation>
    </message>
    <message>
        <source>起始IP格式不正确！</source>
        <translation>The first IP address is not valid!</translation>
    </message>
    <message>
        <source>结束IP格式不正确！</source>
        <translation>The last IP address is not valid!</translation>
    </message>
    <message>
        <source>起始IP大于结束IP，请重新输入！</source>
        <translation>The first IP is above the last IP, enter them again!</translation>
    </message>
    <message>
        <source>地址段过大，最多%1个地址，请重新输入！</source>
        <translation>The range is too large (%1 addresses at most), enter it again!</translation>
    </message>
    <message>
        <source>探测未能开始，请稍后再试！</source>
        <translation>The scan could not start, try again later!</translation>
    </message>
    <message>
        <source>升级计划...</source>
        <translation>Upgrade plan...</translation>
    </message>
    <message>
        <source>导出结果...</source>
        <translation>Export results...</translation>
    </message>
    <message>
        <source>勾选失败设备</source>
        <translation>Tick failed devices</translation>
    </message>
    <message>
        <source>升级计划</source>
        <translation>Upgrade plan</translation>
    </message>
    <message>
        <source>正在生成升级计划，请稍候</source>
        <translation>Making the upgrade plan, please wait</translation>
    </message>
    <message>
        <source>CSV 文件 (*.csv);;JSON 文件 (*.json)</source>
        <translation>CSV files (*.csv);;JSON files (*.json)</translation>
    </message>
    <message>
        <source>已导出%1台设备的结果。</source>
        <translation>Results of %1 devices exported.</translation>
    </message>
    <message>
        <source>导出失败，无法写入文件！</source>
        <translation>Export failed: the file cannot be written!</translation>
    </message>
    <message>
        <source>设备IP第%1段</source>
        <translation>Device IP, part %1</translation>
    </message>
    <message>
        <source>设备列表</source>
        <translation>Device list</translation>
    </message>
    <message>
        <source>设备列表列标题</source>
        <translation>Device list headings</translation>
    </message>
    <message>
        <source>单台操作状态</source>
        <translation>Single device status</translation>
    </message>
    <message>
        <source>批量操作状态</source>
        <translation>Batch status</translation>
    </message>
    <message>
        <source>单台升级的设备IP地址，四段数字，按点号跳到下一段</source>
        <translation>IP address of the device for a single upgrade: four numbers; the dot key moves to the next one</translation>
    </message>
    <message>
        <source>单台升级的设备端口号，1到65535</source>
        <translation>Port of the device for a single upgrade, 1 to 65535</translation>
    </message>
    <message>
        <source>登录单台设备的用户名，最多31个字节</source>
        <translation>User name for logging in to the single device, at most 31 bytes</translation>
    </message>
    <message>
        <source>登录单台设备的密码</source>
        <translation>Password for logging in to the single device</translation>
    </message>
    <message>
        <source>按上面填写的地址和帐号升级一台设备</source>
        <translation>Upgrades one device with the address and account entered above</translation>
    </message>
    <message>
        <source>搜索到的设备。空格键勾选当前行，Ctrl+A全选或全不选，回车键把当前行的IP填入设备IP，菜单键或Shift+F10打开菜单</source>
        <translation>Devices found. Space ticks the current row, Ctrl+A ticks or unticks all, Enter copies the row&apos;s IP into the IP box, the Menu key or Shift+F10 opens the menu</translation>
    </message>
    <message>
        <source>焦点在列标题上时，空格键或回车键同点击“全选”</source>
        <translation>With the focus on the headings, Space or Enter acts as a click on &quot;All&quot;</translation>
    </message>
    <message>
        <source>清空列表，搜索局域网内的设备并读取版本</source>
        <translation>Empties the list, searches the local network for devices and reads their versions</translation>
    </message>
    <message>
        <source>升级列表中勾选的设备</source>
        <translation>Upgrades the ticked devices in the list</translation>
    </message>
    <message>
        <source>单台升级的进度</source>
        <translation>Progress of the single upgrade</translation>
    </message>
    <message>
        <source>批量升级的进度和成功、失败台数</source>
        <translation>Progress of the batch upgrade, with the numbers succeeded and failed</translation>
    </message>
    <message>
        <source>数据文件夹：%1</source>
        <translation>Data folder: %1</translation>
    </message>
    <message>
        <source>有%1条升级记录或设备日志未能写入：%2</source>
        <translation>%1 upgrade record(s) or device log line(s) could not be written: %2</translation>
    </message>
</context>
</TS>
