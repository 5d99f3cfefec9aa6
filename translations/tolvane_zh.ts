<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en">
<context>
    <name>cli</name>
    <message>
        <source>Usage</source>
        <translation>用法</translation>
    </message>
    <message>
        <source>OPTIONS</source>
        <translation>选项</translation>
    </message>
    <message>
        <source>SUBCOMMAND</source>
        <translation>子命令</translation>
    </message>
    <message>
        <source>SUBCOMMANDS</source>
        <translation>子命令</translation>
    </message>
    <message>
        <source>Positionals</source>
        <translation>位置参数</translation>
    </message>
    <message>
        <source>REQUIRED</source>
        <translation>必填</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>选项</translation>
    </message>
    <message>
        <source>Print this help message and exit</source>
        <translation>显示本帮助并退出</translation>
    </message>
    <message>
        <source>Subcommands</source>
        <translation>子命令</translation>
    </message>
    <message>
        <source>language of messages and help: zh or en</source>
        <translation>提示和帮助的语言：zh（中文）或 en（英文）</translation>
    </message>
    <message>
        <source>Run with %1 for more information.</source>
        <translation>运行时加 %1 可查看更多说明。</translation>
    </message>
</context>
<context>
    <name>lprctl</name>
    <message>
        <source>cannot log in to %1 (no answer, or wrong user name or password)</source>
        <translation>无法登录 %1（设备无应答，或用户名、密码错误）</translation>
    </message>
    <message>
        <source>%1 refused to restart</source>
        <translation>%1 拒绝重启</translation>
    </message>
    <message>
        <source>restarting</source>
        <translation>正在重启</translation>
    </message>
    <message>
        <source>%1 did not come back after its restart</source>
        <translation>%1 重启后未恢复连接</translation>
    </message>
    <message>
        <source>the image file on this computer cannot be read</source>
        <translation>无法读取本机上的镜像文件</translation>
    </message>
    <message>
        <source>cannot connect to the camera, or not logged in</source>
        <translation>无法连接设备，或未登录</translation>
    </message>
    <message>
        <source>connection lost during or after the upload, before an outcome was seen</source>
        <translation>上传过程中或上传后连接断开，未得到升级结果</translation>
    </message>
    <message>
        <source>not a valid image</source>
        <translation>不是有效的升级镜像</translation>
    </message>
    <message>
        <source>length or checksum mismatch</source>
        <translation>长度或校验和不符</translation>
    </message>
    <message>
        <source>image is for another platform</source>
        <translation>镜像不适用于该设备平台</translation>
    </message>
    <message>
        <source>image already installed</source>
        <translation>设备已是该镜像版本</translation>
    </message>
    <message>
        <source>flash write failed</source>
        <translation>写入闪存失败</translation>
    </message>
    <message>
        <source>busy: an upload is already flashing</source>
        <translation>设备忙：已有镜像正在写入</translation>
    </message>
    <message>
        <source>the camera did not answer in time</source>
        <translation>设备未及时应答</translation>
    </message>
    <message>
        <source>unknown error</source>
        <translation>未知错误</translation>
    </message>
    <message>
        <source>cannot start a search (no UDP socket)</source>
        <translation>无法开始搜索（无法创建 UDP 套接字）</translation>
    </message>
    <message>
        <source>no camera answered within %1 s</source>
        <translation>%1 秒内没有设备应答</translation>
    </message>
    <message>
        <source>%1 camera(s) found</source>
        <translation>共搜索到 %1 台设备</translation>
    </message>
    <message>
        <source>%1 did not tell its version</source>
        <translation>%1 未返回版本号</translation>
    </message>
    <message>
        <source>cannot read the image file %1</source>
        <translation>无法读取镜像文件 %1</translation>
    </message>
    <message>
        <source>sending (%1 s)</source>
        <translation>正在发送（%1 秒）</translation>
    </message>
    <message>
        <source>flashing (%1 s)</source>
        <translation>正在写入闪存（%1 秒）</translation>
    </message>
    <message>
        <source>no outcome within %1 s</source>
        <translation>%1 秒内未得到升级结果</translation>
    </message>
    <message>
        <source>upgrade of %1 failed: %2 (error %3)</source>
        <translation>%1 升级失败：%2（错误码 %3）</translation>
    </message>
    <message>
        <source>a camera that restarts by itself after flashing (HS3516) ends this way; read its version once it is back</source>
        <translation>写入后会自行重启的设备（HS3516）会这样结束；请待设备恢复后再读取版本</translation>
    </message>
    <message>
        <source>done (%1 s)</source>
        <translation>完成（%1 秒）</translation>
    </message>
    <message>
        <source>the new version runs after the next restart (lprctl reboot %1)</source>
        <translation>新版本在下次重启后生效（lprctl reboot %1）</translation>
    </message>
    <message>
        <source>%1 is back but did not tell its version</source>
        <translation>%1 已恢复连接，但未返回版本号</translation>
    </message>
    <message>
        <source>running %1</source>
        <translation>当前版本 %1</translation>
    </message>
    <message>
        <source>back</source>
        <translation>已恢复连接</translation>
    </message>
    <message>
        <source>a shell command has 1 to 256 bytes</source>
        <translation>shell 命令长度须为 1 到 256 字节</translation>
    </message>
    <message>
        <source>the command failed on %1 (nonzero exit, unknown command, or no answer)</source>
        <translation>命令在 %1 上执行失败（返回非零、命令不支持或设备无应答）</translation>
    </message>
    <message>
        <source>ok</source>
        <translation>成功</translation>
    </message>
    <message>
        <source>&apos;%1&apos;: %2 (expected a.b.c.d or a.b.c.d:port)</source>
        <translation>&apos;%1&apos;：%2（应为 a.b.c.d 或 a.b.c.d:端口）</translation>
    </message>
    <message>
        <source>camera address, port 80 unless given</source>
        <translation>设备IP，未指定端口时为 80</translation>
    </message>
    <message>
        <source>user name</source>
        <translation>用户名</translation>
    </message>
    <message>
        <source>lprctl: search, read, upgrade, restart and run shell commands on cameras</source>
        <translation>lprctl：搜索设备、读取版本、升级、重启及执行 shell 命令</translation>
    </message>
    <message>
        <source>
Exit codes:
  0  success
  1  bad arguments
  2  cannot connect or log in (address, port, user name, password)
  3  the camera refused or failed the operation
  4  the camera reported that the upgrade failed
  5  the connection broke before the outcome of an upgrade was seen
  6  the image file cannot be read
  7  timed out waiting for the camera
  8  search: no camera answered</source>
        <translation>
退出码：
  0  成功
  1  参数错误
  2  无法连接或登录（设备IP、端口、用户名、密码）
  3  设备拒绝或未能完成操作
  4  设备报告升级失败
  5  得到升级结果前连接已断开
  6  无法读取镜像文件
  7  等待设备超时
  8  搜索：没有设备应答</translation>
    </message>
    <message>
        <source>list the cameras that answer a search</source>
        <translation>列出应答搜索的设备</translation>
    </message>
    <message>
        <source>how long to listen</source>
        <translation>搜索时长（秒）</translation>
    </message>
    <message>
        <source>print a camera&apos;s firmware version</source>
        <translation>显示设备的固件版本</translation>
    </message>
    <message>
        <source>send one image and follow the flashing</source>
        <translation>发送一个升级镜像并跟踪写入过程</translation>
    </message>
    <message>
        <source>image file (.bin)</source>
        <translation>镜像文件（.bin）</translation>
    </message>
    <message>
        <source>restart the camera when done and wait until it is back</source>
        <translation>完成后重启设备并等待其恢复连接</translation>
    </message>
    <message>
        <source>seconds to wait for the outcome</source>
        <translation>等待升级结果的秒数</translation>
    </message>
    <message>
        <source>restart a camera</source>
        <translation>重启设备</translation>
    </message>
    <message>
        <source>wait until the camera is back</source>
        <translation>等待设备恢复连接</translation>
    </message>
    <message>
        <source>run one maintenance shell command</source>
        <translation>执行一条维护 shell 命令</translation>
    </message>
    <message>
        <source>the command, at most 256 bytes</source>
        <translation>命令，最多 256 字节</translation>
    </message>
</context>
<context>
    <name>netaddr</name>
    <message>
        <source>the block&apos;s address is not valid: %1</source>
        <translation>网段地址无效：%1</translation>
    </message>
    <message>
        <source>the prefix length after &apos;/&apos; must be a number from 0 to 32</source>
        <translation>&apos;/&apos; 后的前缀长度须为 0 到 32 的数字</translation>
    </message>
    <message>
        <source>the block&apos;s address has host bits set (the block of /%1 starts at %2)</source>
        <translation>网段地址含有主机位（该 /%1 网段从 %2 开始）</translation>
    </message>
    <message>
        <source>the block holds %1 addresses; a scan covers at most %2</source>
        <translation>该网段有 %1 个地址；一次最多探测 %2 个</translation>
    </message>
    <message>
        <source>the range is reversed: %1 comes after %2</source>
        <translation>地址范围颠倒：%1 在 %2 之后</translation>
    </message>
    <message>
        <source>the range holds %1 addresses; a scan covers at most %2</source>
        <translation>该范围有 %1 个地址；一次最多探测 %2 个</translation>
    </message>
    <message>
        <source>the range is empty</source>
        <translation>地址范围为空</translation>
    </message>
    <message>
        <source>a range is either FIRST-LAST or ADDRESS/PREFIX, not both</source>
        <translation>地址范围只能是 起始IP-结束IP 或 IP/前缀长度 之一，不能同时使用</translation>
    </message>
    <message>
        <source>a range is FIRST-LAST or ADDRESS/PREFIX</source>
        <translation>地址范围应为 起始IP-结束IP 或 IP/前缀长度</translation>
    </message>
    <message>
        <source>the first address is not valid: %1</source>
        <translation>起始地址无效：%1</translation>
    </message>
    <message>
        <source>the last address is not valid: %1</source>
        <translation>结束地址无效：%1</translation>
    </message>
    <message>
        <source>the port after &apos;:&apos; is empty</source>
        <translation>&apos;:&apos; 后的端口为空</translation>
    </message>
    <message>
        <source>the port is not a decimal number</source>
        <translation>端口不是十进制数字</translation>
    </message>
    <message>
        <source>the port has a leading zero</source>
        <translation>端口有前导零</translation>
    </message>
    <message>
        <source>the port is out of range (1 to 65535)</source>
        <translation>端口超出范围（1 到 65535）</translation>
    </message>
    <message>
        <source>the address is empty</source>
        <translation>地址为空</translation>
    </message>
    <message>
        <source>field %1 is empty</source>
        <translation>第 %1 段为空</translation>
    </message>
    <message>
        <source>field %1 is not a decimal number</source>
        <translation>第 %1 段不是十进制数字</translation>
    </message>
    <message>
        <source>fewer than four fields</source>
        <translation>不足四段</translation>
    </message>
    <message>
        <source>trailing text after the fourth field</source>
        <translation>第四段后有多余内容</translation>
    </message>
    <message>
        <source>field %1 has a leading zero</source>
        <translation>第 %1 段有前导零</translation>
    </message>
    <message>
        <source>field %1 is over 255</source>
        <translation>第 %1 段大于 255</translation>
    </message>
</context>
<context>
    <name>tolvane-cli</name>
    <message>
        <source>unverified: the version could not be read afterwards</source>
        <translation>未核实：升级后无法读取版本</translation>
    </message>
    <message>
        <source>no result within the time bound</source>
        <translation>在时限内未得到结果</translation>
    </message>
    <message>
        <source>search dropped %1 hellos of cameras beyond the first %2</source>
        <translation>搜索已达 %2 台上限，另有 %1 条设备应答被丢弃</translation>
    </message>
    <message>
        <source>no upgrade history yet (%1)</source>
        <translation>尚无升级记录（%1）</translation>
    </message>
    <message>
        <source>skipped %1 broken line(s) of %2</source>
        <translation>跳过了 %2 中 %1 行损坏的记录</translation>
    </message>
    <message>
        <source>list the cameras found, with their versions</source>
        <translation>列出搜索到的设备及其版本</translation>
    </message>
    <message>
        <source>how long to search</source>
        <translation>搜索时长（秒）</translation>
    </message>
    <message>
        <source>longest wait for the versions after the search, in seconds (default: a bound from the number of cameras)</source>
        <translation>搜索后等待读取版本的最长时间，单位秒（默认：按设备数量计算）</translation>
    </message>
    <message>
        <source>ADDRESS[:PORT]... probed by unicast instead of the broadcast search; listed even when silent (port 80 when omitted)</source>
        <translation>用单播探测这些 设备IP[:端口]，不做广播搜索；无应答也会列出（未指定端口时为 80）</translation>
    </message>
    <message>
        <source>FIRST-LAST or ADDRESS/PREFIX (at most 4096 addresses) probed by unicast instead of the broadcast search</source>
        <translation>用单播探测 起始IP-结束IP 或 IP/前缀长度（最多 4096 个地址），不做广播搜索</translation>
    </message>
    <message>
        <source>%1 addresses to probe; a scan covers at most %2</source>
        <translation>要探测 %1 个地址；一次最多探测 %2 个</translation>
    </message>
    <message>
        <source>ADDRESS[:PORT] (port 80 when omitted)</source>
        <translation>设备IP[:端口]（未指定端口时为 80）</translation>
    </message>
    <message>
        <source>log-in user name (default admin)</source>
        <translation>登录用户名（默认 admin）</translation>
    </message>
    <message>
        <source>show what an upgrade would do to each camera (log-in and version reads only)</source>
        <translation>显示升级将对每台设备执行的步骤（只登录并读取版本）</translation>
    </message>
    <message>
        <source>list the finished upgrades</source>
        <translation>列出已完成的升级记录</translation>
    </message>
    <message>
        <source>only this camera</source>
        <translation>只列出该设备</translation>
    </message>
    <message>
        <source>upgrade cameras, spread over the workers</source>
        <translation>升级设备，分配给各升级任务</translation>
    </message>
    <message>
        <source>also write the results to FILE as CSV (UTF-8, spreadsheet-ready)</source>
        <translation>同时将结果以 CSV 格式写入文件（UTF-8，可用表格软件打开）</translation>
    </message>
    <message>
        <source>longest wait for all results, in seconds (default: the worst case)</source>
        <translation>等待全部结果的最长时间，单位秒（默认：按最坏情况计算）</translation>
    </message>
    <message>
        <source>upgrade workers; camera k goes to worker k mod N (default 5, as the window)</source>
        <translation>升级任务数；第 k 台设备交给第 k mod N 个任务（默认 5，与窗口相同）</translation>
    </message>
    <message>
        <source>Finds licence-plate cameras and upgrades their firmware.</source>
        <translation>搜索车牌识别相机并升级其固件。</translation>
    </message>
    <message>
        <source>one JSON object per line</source>
        <translation>每行输出一个 JSON 对象</translation>
    </message>
    <message>
        <source>user name and password need 1 to 31 characters</source>
        <translation>用户名和密码须为 1 到 31 个字符</translation>
    </message>
    <message>
        <source>cannot write &apos;%1&apos;: %2</source>
        <translation>无法写入 &apos;%1&apos;：%2</translation>
    </message>
    <message>
        <source>the probes could not be sent</source>
        <translation>无法发送探测包</translation>
    </message>
    <message>
        <source>could not write %1</source>
        <translation>无法写入 %1</translation>
    </message>
    <message>
        <source>&apos;%1&apos;: %2 (expected a.b.c.d or a.b.c.d:port)</source>
        <translation>&apos;%1&apos;：%2（应为 a.b.c.d 或 a.b.c.d:端口）</translation>
    </message>
    <message>
        <source>&apos;%1&apos;: not a camera address (0.0.0.0 and 255.255.255.255 are not)</source>
        <translation>&apos;%1&apos;：不是设备IP（0.0.0.0 和 255.255.255.255 不可用）</translation>
    </message>
    <message>
        <source>data folder: UpdateFiles, the logs and the history (default: beside the program in a portable folder; $XDG_DATA_HOME/tolvane, else ~/.local/share/tolvane, when installed in a bin folder)</source>
        <translation>数据文件夹：升级文件(UpdateFiles)、日志和升级历史（默认：便携版在程序旁边；安装在 bin 文件夹时为 $XDG_DATA_HOME/tolvane，未设置则为 ~/.local/share/tolvane）</translation>
    </message>
    <message>
        <source>Data folder in use: %1</source>
        <translation>当前数据文件夹：%1</translation>
    </message>
    <message>
        <source>--csv &apos;%1&apos;: %2</source>
        <translation>--csv &apos;%1&apos;：%2</translation>
    </message>
    <message>
        <source>--since &apos;%1&apos;: expected YYYY-MM-DD or YYYY-MM-DDTHH:MM[:SS], with an optional offset such as +0800</source>
        <translation>--since &apos;%1&apos;：应为 YYYY-MM-DD 或 YYYY-MM-DDTHH:MM[:SS]，可带时差，如 +0800</translation>
    </message>
    <message>
        <source>only upgrades at or after DATE (YYYY-MM-DD[THH:MM[:SS]], local time unless an offset such as +0800 follows)</source>
        <translation>只列出 DATE 及以后的升级（YYYY-MM-DD[THH:MM[:SS]]，本地时间，后跟时差如 +0800 时按该时差）</translation>
    </message>
    <message>
        <source>%1 is named more than once; it is upgraded once</source>
        <translation>%1 被指定了多次，只升级一次</translation>
    </message>
    <message>
        <source>warning: could not write %1: %2 (%3 record(s) lost so far)</source>
        <translation>警告：无法写入 %1：%2（至今丢失 %3 条记录）</translation>
    </message>
    <message>
        <source>that is the upgrade history</source>
        <translation>这是升级历史文件</translation>
    </message>
    <message>
        <source>that is a camera&apos;s upgrade log</source>
        <translation>这是设备的升级日志</translation>
    </message>
    <message>
        <source>that is inside UpdateFiles, the images&apos; folder</source>
        <translation>这在升级镜像文件夹 UpdateFiles 之内</translation>
    </message>
    <message>
        <source>that is a folder</source>
        <translation>这是一个文件夹</translation>
    </message>
    <message>
        <source>that is not a regular file</source>
        <translation>这不是普通文件</translation>
    </message>
    <message>
        <source>%1/%2 done, %3 succeeded, %4 failed, %5 running, elapsed %6, time left %7</source>
        <translation>已完成%1/%2台，成功%3台，失败%4台，进行中%5台，已用时%6，剩余约%7</translation>
    </message>
    <message>
        <source>upgrade the first N cameras first; the rest start only when all N succeeded, else the batch stops</source>
        <translation>先升级前N台设备；全部成功后才升级其余设备，否则批量停止</translation>
    </message>
    <message>
        <source>N or P%: stop the batch once that many cameras have failed</source>
        <translation>N或P%：失败设备达到该数量时停止批量</translation>
    </message>
    <message>
        <source>tries more for a camera that failed before it took any image (0 to 5, default 0)</source>
        <translation>设备在接收镜像前失败时的重试次数（0到5，默认0）</translation>
    </message>
    <message>
        <source>print a progress line with the time left on stderr even when it is not a terminal</source>
        <translation>即使标准错误不是终端，也在其上打印含剩余时间的进度行</translation>
    </message>
    <message>
        <source>%1 %2: %3</source>
        <translation>%1 %2：%3</translation>
    </message>
    <message>
        <source>expected a count from 1 or a percentage such as 10%</source>
        <translation>应为从1起的数量或百分比，例如10%</translation>
    </message>
    <message>
        <source>at most 100%</source>
        <translation>最多100%</translation>
    </message>
    <message>
        <source>the batch has %1 camera(s)</source>
        <translation>该批量共有%1台设备</translation>
    </message>
    <message>
        <source>expected 1 to %1, the cameras of the batch</source>
        <translation>应为1到%1（该批量的设备数）</translation>
    </message>
    <message>
        <source>stopping the batch: no further camera starts, those being upgraded finish (stop again to quit at once)</source>
        <translation>正在停止批量：不再开始新的设备，正在升级的设备将完成（再次停止则立即退出）</translation>
    </message>
    <message>
        <source>a canary camera did not succeed: the batch stops, those being upgraded finish</source>
        <translation>先行设备未成功：批量停止，正在升级的设备将完成</translation>
    </message>
    <message>
        <source>the failure threshold was reached: the batch stops, those being upgraded finish</source>
        <translation>失败数已达上限：批量停止，正在升级的设备将完成</translation>
    </message>
    <message>
        <source>try %1 failed; it will be tried again</source>
        <translation>第%1次尝试失败，将重试</translation>
    </message>
    <message>
        <source>batch %1 resumed: %2 camera(s), journal %3</source>
        <translation>批量 %1 继续：%2 台设备，记录文件 %3</translation>
    </message>
    <message>
        <source>batch %1: %2 camera(s), journal %3</source>
        <translation>批量 %1：%2 台设备，记录文件 %3</translation>
    </message>
    <message>
        <source>continue batch ID (default: the latest unfinished one) with the cameras it has left; no cameras may be named</source>
        <translation>继续批量 ID（默认：最近一个未完成的批量），只升级其余下的设备；不可再指定设备</translation>
    </message>
    <message>
        <source>list the batches&apos; journals and what each has left</source>
        <translation>列出各批量的记录及其余下的设备</translation>
    </message>
    <message>
        <source>upgrade --resume takes no cameras</source>
        <translation>upgrade --resume 不接受设备地址</translation>
    </message>
    <message>
        <source>upgrade needs cameras, or --resume</source>
        <translation>upgrade 需要设备地址或 --resume</translation>
    </message>
    <message>
        <source>no unfinished batch in %1</source>
        <translation>%1 中没有未完成的批量</translation>
    </message>
    <message>
        <source>no batch &apos;%1&apos; in %2 (see tolvane-cli batches)</source>
        <translation>%2 中没有批量“%1”（参见 tolvane-cli batches）</translation>
    </message>
    <message>
        <source>skipped: upgraded earlier in this batch</source>
        <translation>跳过：本批量中已升级</translation>
    </message>
    <message>
        <source>batch %1: nothing left to upgrade</source>
        <translation>批量 %1：没有余下待升级的设备</translation>
    </message>
    <message>
        <source>%1: no readable batch record; left out</source>
        <translation>%1：无可读的批量记录，已略过</translation>
    </message>
    <message>
        <source>batch	start	cameras	done	failed	not started	unfinished</source>
        <translation>批量	开始	设备	完成	失败	未开始	未完成</translation>
    </message>
    <message>
        <source>(unfinished)</source>
        <translation>（未完成）</translation>
    </message>
    <message>
        <source>that is inside batches, the journals&apos; folder</source>
        <translation>该文件位于批量记录文件夹 batches 内</translation>
    </message>
    <message>
        <source>upgrade --resume takes the batch&apos;s own workers</source>
        <translation>upgrade --resume 使用该批量自己的工作线程数</translation>
    </message>
    <message>
        <source>(running)</source>
        <translation>（运行中）</translation>
    </message>
    <message>
        <source>batch %1 is still running in another program</source>
        <translation>批量 %1 仍在另一个程序中运行</translation>
    </message>
</context>
<context>
    <name>tool</name>
    <message>
        <source>cannot read password file %1: %2</source>
        <translation>无法读取密码文件 %1：%2</translation>
    </message>
    <message>
        <source>cannot read password file %1: no line in it</source>
        <translation>无法读取密码文件 %1：文件中没有内容</translation>
    </message>
    <message>
        <source>Password (Enter keeps the default): </source>
        <translation>密码（直接回车使用默认密码）：</translation>
    </message>
    <message>
        <source>user name or password contains a control character (such as CR, LF or NUL)</source>
        <translation>用户名或密码含有控制字符（如 CR、LF 或 NUL）</translation>
    </message>
    <message>
        <source>log-in password; visible to other users of this computer (ps) and kept in the shell history: prefer --password-file or TOLVANE_PASSWORD</source>
        <translation>登录密码；本机其他用户可通过 ps 看到，且会留在 shell 历史中：建议改用 --password-file 或 TOLVANE_PASSWORD</translation>
    </message>
    <message>
        <source>read the log-in password from the first line of FILE</source>
        <translation>从文件第一行读取登录密码</translation>
    </message>
    <message>
        <source>--lang %1: unknown language; use zh or en</source>
        <translation>--lang %1：不支持的语言；请用 zh 或 en</translation>
    </message>
    <message>
        <source>TOLVANE_LANG=%1 is not zh or en: ignored</source>
        <translation>TOLVANE_LANG=%1 不是 zh 或 en：已忽略</translation>
    </message>
    <message>
        <source>print the version and exit</source>
        <translation>显示版本号并退出</translation>
    </message>
</context>
</TS>
