<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
    <context>
        <name>engine</name>
        <message>
            <source>正在升级'%1'</source>
            <translation>Upgrading '%1'</translation>
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
            <source>升级'%1'</source>
            <translation>Send '%1'</translation>
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
    </context>
</TS>
