<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>AlarmReport</name>
    <message>
        <source>出现最多的报警</source>
        <translation>The alarms that rose most</translation>
    </message>
    <message>
        <source>时段</source>
        <translation>Period</translation>
    </message>
    <message>
        <source>时段 (毫秒, UTC)</source>
        <translation>Period (ms, UTC)</translation>
    </message>
    <message>
        <source>历史的最后一行</source>
        <translation>The history&apos;s last row</translation>
    </message>
    <message>
        <source>总体</source>
        <translation>Overall</translation>
    </message>
    <message>
        <source>数值</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>参考线</source>
        <translation>Reference</translation>
    </message>
    <message>
        <source>判断</source>
        <translation>Verdict</translation>
    </message>
    <message>
        <source>无法如实计数的情况与说明</source>
        <translation>What could not be counted as it was, and notes</translation>
    </message>
    <message>
        <source>项目</source>
        <translation>Figure</translation>
    </message>
    <message>
        <source>各报警</source>
        <translation>Each alarm</translation>
    </message>
    <message>
        <source>%1 已存在且不是普通文件; 报告不写在那里</source>
        <translation>%1 exists and is not a regular file; the report is not written there</translation>
    </message>
    <message>
        <source>%1 在程序自己的 log 或 config 文件夹中; 报告不写在那里</source>
        <translation>%1 is in the program&apos;s own log or config folder; the report is not written there</translation>
    </message>
    <message>
        <source>无法写入 %1: %2</source>
        <translation>Cannot write %1: %2</translation>
    </message>
    <message>
        <source>工作目录 %1 中没有历史 (log/history.sqlite)。请在程序的工作目录中运行。</source>
        <translation>No history in the working directory %1 (log/history.sqlite). Run the command in the program&apos;s working directory.</translation>
    </message>
    <message>
        <source>%1 %</source>
        <translation>%1 %</translation>
    </message>
    <message>
        <source>最近24小时</source>
        <translation>Last 24 hours</translation>
    </message>
    <message>
        <source>最近7天</source>
        <translation>Last 7 days</translation>
    </message>
    <message>
        <source>最近30天</source>
        <translation>Last 30 days</translation>
    </message>
    <message>
        <source>最近90天</source>
        <translation>Last 90 days</translation>
    </message>
    <message>
        <source>全部历史</source>
        <translation>All of the history</translation>
    </message>
    <message>
        <source>报警报告</source>
        <translation>Alarm report</translation>
    </message>
    <message>
        <source>%1 至 %2</source>
        <translation>%1 to %2</translation>
    </message>
    <message>
        <source>无数据</source>
        <translation>No data</translation>
    </message>
    <message>
        <source>超出参考线</source>
        <translation>Beyond</translation>
    </message>
    <message>
        <source>在参考线内</source>
        <translation>Within</translation>
    </message>
    <message>
        <source>报警出现次数</source>
        <translation>Alarm rises</translation>
    </message>
    <message>
        <source>链路连通时间</source>
        <translation>Link up</translation>
    </message>
    <message>
        <source>平均每小时出现</source>
        <translation>Average rises per hour</translation>
    </message>
    <message>
        <source>约 6 可接受</source>
        <translation>about 6</translation>
    </message>
    <message>
        <source>平均每10分钟出现</source>
        <translation>Average rises per 10 minutes</translation>
    </message>
    <message>
        <source>约 1 可接受</source>
        <translation>about 1</translation>
    </message>
    <message>
        <source>最繁忙的10分钟</source>
        <translation>Busiest 10 minutes</translation>
    </message>
    <message>
        <source>%1 次 (%2 起)</source>
        <translation>%1 at %2</translation>
    </message>
    <message>
        <source>超过 10 次即泛滥</source>
        <translation>flood above 10</translation>
    </message>
    <message>
        <source>泛滥的10分钟区间</source>
        <translation>10-minute intervals in flood</translation>
    </message>
    <message>
        <source>%1 (%2 / %3)</source>
        <translation>%1 (%2 / %3)</translation>
    </message>
    <message>
        <source>低于 1 %</source>
        <translation>under 1 %</translation>
    </message>
    <message>
        <source>前10个报警占全部出现</source>
        <translation>Top 10 alarms&apos; share of rises</translation>
    </message>
    <message>
        <source>%1 (只有 %2 个报警出现)</source>
        <translation>%1 (only %2 alarms rose)</translation>
    </message>
    <message>
        <source>低于 20 %</source>
        <translation>under 20 %</translation>
    </message>
    <message>
        <source>抖动的报警 (60 秒内出现 3 次以上)</source>
        <translation>Chattering alarms (3+ rises in 60 s)</translation>
    </message>
    <message>
        <source>0</source>
        <translation>0</translation>
    </message>
    <message>
        <source>出现超过 24 小时的报警</source>
        <translation>Alarms on for more than 24 h</translation>
    </message>
    <message>
        <source>10 分钟内确认的出现</source>
        <translation>Rises acknowledged within 10 minutes</translation>
    </message>
    <message>
        <source>%1 / %2</source>
        <translation>%1 / %2</translation>
    </message>
    <message>
        <source>链路中断次数</source>
        <translation>Link losses</translation>
    </message>
    <message>
        <source>程序意外结束次数</source>
        <translation>Program ended unexpectedly</translation>
    </message>
    <message>
        <source> (秒)</source>
        <translation> (s)</translation>
    </message>
    <message>
        <source>报警</source>
        <translation>Alarm</translation>
    </message>
    <message>
        <source>键</source>
        <translation>Key</translation>
    </message>
    <message>
        <source>出现次数</source>
        <translation>Rises</translation>
    </message>
    <message>
        <source>累计时长</source>
        <translation>Active in all</translation>
    </message>
    <message>
        <source>最长一次</source>
        <translation>Longest</translation>
    </message>
    <message>
        <source>抖动次数</source>
        <translation>Chattering episodes</translation>
    </message>
    <message>
        <source>首出次数</source>
        <translation>First out</translation>
    </message>
    <message>
        <source>搁置时长</source>
        <translation>Shelved</translation>
    </message>
    <message>
        <source>10分钟内确认</source>
        <translation>Acknowledged within 10 min</translation>
    </message>
    <message>
        <source>未在10分钟内确认</source>
        <translation>Not acknowledged within 10 min</translation>
    </message>
    <message>
        <source>超过24小时</source>
        <translation>Stale (over 24 h)</translation>
    </message>
    <message>
        <source>无消除行</source>
        <translation>Without a clear</translation>
    </message>
    <message>
        <source>结束时仍出现, 自</source>
        <translation>On at the end, since</translation>
    </message>
    <message>
        <source>工作目录中没有历史 (log/history.sqlite)。</source>
        <translation>There is no history in the working directory (log/history.sqlite).</translation>
    </message>
    <message>
        <source>历史中还没有事件。</source>
        <translation>The history holds no events yet.</translation>
    </message>
    <message>
        <source>历史从 %1 开始 (事件保留 400 天, 温度采样保留 90 天): 时段中更早的部分没有记录。</source>
        <translation>The history begins at %1 (events are kept 400 days, temperature samples 90 days): the period before it has no rows.</translation>
    </message>
    <message>
        <source>历史的最后一行 (%1) 时仍出现的报警: %2 个; 时长算到那时为止。</source>
        <translation>Alarms still on at the history&apos;s last row (%1): %2; their time is counted up to it.</translation>
    </message>
    <message>
        <source>没有消除行, 随程序的运行结束 (关闭串口, 链路中断, 程序意外结束)而结束的出现: %1 次, 其中因程序意外结束: %2 次; 时长算到那时为止。</source>
        <translation>Rises without a clear that ended with the program&apos;s run (port closed, link lost, program ended unexpectedly): %1, by the program ending unexpectedly: %2; their time is counted up to then.</translation>
    </message>
    <message>
        <source>两个程序同时打开串口写入本历史, 共 %1: 其间两者的报警行无法区分, 次数和时长可能不准。</source>
        <translation>Two programs had their ports open and wrote this history at the same time, %1 in all: their alarm rows cannot be told apart then, and counts and times may be off.</translation>
    </message>
    <message>
        <source>没有对应出现行的消除行: %1 个; 未计入。</source>
        <translation>Clears without a rise before them: %1; not counted.</translation>
    </message>
    <message>
        <source>报警已在出现时又出现 (缺少消除行, 或两个程序): %1 次; 前一次算到此时为止。</source>
        <translation>Rises while the alarm was on already (a clear missing, or two programs): %1; the earlier one is counted up to then.</translation>
    </message>
    <message>
        <source>无法计算的时长 (结束早于开始, 或超过 400 天: 写入时时钟有误): %1 段; 未计入。</source>
        <translation>Stretches of time that cannot be counted (ending before they began, or longer than 400 days: the clock was wrong when they were written): %1; left out.</translation>
    </message>
    <message>
        <source>%1 跳到 %2</source>
        <translation>%1 to %2</translation>
    </message>
    <message>
        <source>系统时钟在时段中跳变: %1 次 (%2); 跳变本身不计入任何时长, 跳变前后的时间各按当时的时钟。</source>
        <translation>Jumps of the system clock in the period: %1 (%2); no time is counted across a jump, the times before and after it are as that clock had them.</translation>
    </message>
    <message>
        <source>时间比报告时晚一天以上的行 (写入时时钟超前): %1 行; 它们的次数和时长不在报告时之前的任何时段内。</source>
        <translation>Rows stamped more than a day after the report&apos;s time (the clock was ahead when they were written): %1; what they count falls in no period up to the report&apos;s time.</translation>
    </message>
    <message>
        <source>时段中没有链路连通的记录: 平均值按整个时段计算。</source>
        <translation>The period has no record of the link being up: the averages are over the whole period.</translation>
    </message>
</context>
<context>
    <name>AlarmSummary</name>
    <message>
        <source>搁置报警</source>
        <translation>Shelve alarm</translation>
    </message>
    <message>
        <source>%1 分钟</source>
        <translation>%1 min</translation>
    </message>
    <message>
        <source>%1 小时</source>
        <translation>%1 h</translation>
    </message>
    <message>
        <source>搁置</source>
        <translation>Shelve</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>报警:</source>
        <translation>Alarm:</translation>
    </message>
    <message>
        <source>搁置时间(&amp;D):</source>
        <translation>&amp;Duration:</translation>
    </message>
    <message>
        <source>原因(&amp;R):</source>
        <translation>&amp;Reason:</translation>
    </message>
    <message>
        <source>首出</source>
        <translation>First out</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>无</source>
        <translation>none</translation>
    </message>
    <message>
        <source>报警</source>
        <translation>Alarm</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>State</translation>
    </message>
    <message>
        <source>报警于</source>
        <translation>Raised at</translation>
    </message>
    <message>
        <source>恢复于</source>
        <translation>Returned at</translation>
    </message>
    <message>
        <source>次数</source>
        <translation>Rises</translation>
    </message>
    <message>
        <source>搁置剩余</source>
        <translation>Shelf left</translation>
    </message>
    <message>
        <source>%1 未确认</source>
        <translation>%1 not acknowledged</translation>
    </message>
    <message>
        <source>；</source>
        <translation>; </translation>
    </message>
    <message>
        <source>确认(&amp;A)</source>
        <translation>&amp;Acknowledge</translation>
    </message>
    <message>
        <source>全部确认(&amp;K)</source>
        <translation>Ac&amp;knowledge all</translation>
    </message>
    <message>
        <source>搁置(&amp;V)…</source>
        <translation>Shel&amp;ve…</translation>
    </message>
    <message>
        <source>取消搁置(&amp;N)</source>
        <translation>U&amp;nshelve</translation>
    </message>
    <message>
        <source>报警汇总</source>
        <translation>Alarm summary</translation>
    </message>
    <message>
        <source>搁置未能保存，只在本次运行中有效：%1</source>
        <translation>The shelf could not be saved and holds for this run only: %1</translation>
    </message>
    <message>
        <source>报警汇总...</source>
        <translation>Alarm summary...</translation>
    </message>
    <message>
        <source>打开报警汇总 (F9)</source>
        <translation>Open the alarm summary (F9)</translation>
    </message>
    <message>
        <source>报警汇总 - LASER SYSTEM</source>
        <translation>Alarm summary - LASER SYSTEM</translation>
    </message>
</context>
<context>
    <name>Alarms</name>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>正常</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>报警，未确认</source>
        <translation>Active, not acknowledged</translation>
    </message>
    <message>
        <source>报警，已确认</source>
        <translation>Active, acknowledged</translation>
    </message>
    <message>
        <source>已恢复，未确认</source>
        <translation>Returned, not acknowledged</translation>
    </message>
    <message>
        <source>已搁置</source>
        <translation>Shelved</translation>
    </message>
    <message>
        <source>无数据</source>
        <translation>No data</translation>
    </message>
    <message>
        <source>随程序意外结束，未确认</source>
        <translation>Ended with the run, not acknowledged</translation>
    </message>
    <message>
        <source>报警: %1</source>
        <translation>Alarm: %1</translation>
    </message>
    <message>
        <source>首出: %1</source>
        <translation>First out: %1</translation>
    </message>
    <message>
        <source>报警泛滥: 10 分钟内 %1 次报警</source>
        <translation>Alarm flood: %1 alarms in 10 minutes</translation>
    </message>
    <message>
        <source>报警泛滥已结束: 共 %1 次报警</source>
        <translation>Alarm flood over: %1 alarms in all</translation>
    </message>
    <message>
        <source>搁置结束: %1 仍在报警</source>
        <translation>Shelf ended: %1 is still active</translation>
    </message>
    <message>
        <source>搁置结束: %1</source>
        <translation>Shelf ended: %1</translation>
    </message>
    <message>
        <source>上次程序意外结束时 %1 项报警未确认: %2</source>
        <translation>%1 alarms unacknowledged when the program ended unexpectedly: %2</translation>
    </message>
    <message>
        <source>无数据: 串口已关闭</source>
        <translation>No data: port closed</translation>
    </message>
    <message>
        <source>无数据: 等待激光器的数据</source>
        <translation>No data: waiting for the laser</translation>
    </message>
    <message>
        <source>无数据: 链路中断</source>
        <translation>No data: link lost</translation>
    </message>
    <message>
        <source>报警泛滥: %1 次报警</source>
        <translation>Alarm flood: %1 alarms</translation>
    </message>
    <message>
        <source>急停报警不能搁置</source>
        <translation>An emergency stop cannot be shelved</translation>
    </message>
    <message>
        <source>安全连锁报警不能搁置</source>
        <translation>A safety interlock cannot be shelved</translation>
    </message>
    <message>
        <source>光纤和QBH报警不能搁置：激光可能从光纤外射出</source>
        <translation>Fibre and QBH alarms cannot be shelved: the beam may leave the fibre</translation>
    </message>
    <message>
        <source>这项报警不能搁置</source>
        <translation>This alarm cannot be shelved</translation>
    </message>
    <message>
        <source>搁置时间须在 15 分钟到 8 小时之间</source>
        <translation>A shelf lasts 15 minutes to 8 hours</translation>
    </message>
    <message>
        <source>没有这项报警</source>
        <translation>No such alarm</translation>
    </message>
    <message>
        <source>%1 是符号链接，未读取：没有搁置</source>
        <translation>%1 is a symbolic link and was not read: no shelves</translation>
    </message>
    <message>
        <source>%1 不是普通文件，未读取：没有搁置</source>
        <translation>%1 is not a regular file and was not read: no shelves</translation>
    </message>
    <message>
        <source>%1 无法读取（%2）：没有搁置</source>
        <translation>%1 cannot be read (%2): no shelves</translation>
    </message>
    <message>
        <source>%1 超过 %2 字节，未读取：没有搁置</source>
        <translation>%1 is over %2 bytes and was not read: no shelves</translation>
    </message>
    <message>
        <source>%1 项搁置在程序关闭期间已结束</source>
        <translation>%1 shelves ended while the program was closed</translation>
    </message>
    <message>
        <source>%1 项不能搁置的报警未搁置</source>
        <translation>%1 alarms that cannot be shelved were not shelved</translation>
    </message>
    <message>
        <source>%1 项未知报警超出上限，未搁置</source>
        <translation>%1 unknown alarms over the limit were not shelved</translation>
    </message>
    <message>
        <source>；</source>
        <translation>; </translation>
    </message>
    <message>
        <source>另有 %1 项</source>
        <translation>%1 more</translation>
    </message>
    <message>
        <source>%1 第 %2 行无法读取：没有搁置</source>
        <translation>%1 line %2 cannot be read: no shelves</translation>
    </message>
</context>
<context>
    <name>Attention</name>
    <message>
        <source>%1 °C</source>
        <translation>%1 °C</translation>
    </message>
    <message>
        <source>%1 V</source>
        <translation>%1 V</translation>
    </message>
    <message>
        <source>%1 Hz</source>
        <translation>%1 Hz</translation>
    </message>
    <message>
        <source>%1 %</source>
        <translation>%1 %</translation>
    </message>
    <message>
        <source>报警</source>
        <translation>Alarm</translation>
    </message>
    <message>
        <source>正常</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>%1：%2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>%1: 链路正常，无报警</source>
        <translation>%1: link up, no alarm</translation>
    </message>
    <message>
        <source>%1: %2 项报警</source>
        <translation>%1: alarms: %2</translation>
    </message>
    <message>
        <source>另有 %1 项</source>
        <translation>%1 more</translation>
    </message>
    <message>
        <source>激光器报警</source>
        <translation>Laser alarm</translation>
    </message>
    <message>
        <source>串口链路中断</source>
        <translation>Serial link lost</translation>
    </message>
    <message>
        <source>%1: 链路中断，串口已关闭</source>
        <translation>%1: link lost, the port was closed</translation>
    </message>
    <message>
        <source>%1（%2 次）</source>
        <translation>%1 (%2 times)</translation>
    </message>
    <message>
        <source>另有 %1 次</source>
        <translation>and %1 more</translation>
    </message>
    <message>
        <source>保存选择</source>
        <translation>Save choice</translation>
    </message>
    <message>
        <source>无法保存 %1：
%2
此选择只在本次运行中有效。</source>
        <translation>Cannot save %1:
%2
The choice holds for this run only.</translation>
    </message>
    <message>
        <source>灯旁显示形状</source>
        <translation>Shapes beside lamp colours</translation>
    </message>
    <message>
        <source>报警桌面通知</source>
        <translation>Desktop notifications of alarms</translation>
    </message>
    <message>
        <source>显示窗口</source>
        <translation>Show window</translation>
    </message>
    <message>
        <source>串口已关闭，无数据</source>
        <translation>Port closed, no data</translation>
    </message>
    <message>
        <source>%1: 无数据，等待激光器的数据</source>
        <translation>%1: no data, waiting for the laser</translation>
    </message>
    <message>
        <source>%1: 链路中断，无数据</source>
        <translation>%1: link lost, no data</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>用法: laser-fleet [Qt 选项]...
      laser-fleet --help | --version</source>
        <translation>Usage: laser-fleet [QT-OPTION]...
       laser-fleet --help | --version</translation>
    </message>
    <message>
        <source>窗口的 Qt 选项, 原样交给 Qt (-style 和 -stylesheet 也可写作 -style=NAME):</source>
        <translation>Qt options for the window, passed on to Qt as they are (-style and -stylesheet also as -style=NAME):</translation>
    </message>
    <message>
        <source>打开光纤激光器上位机的窗口。程序从工作目录读取 config/ 和 language/,
历史记在其中的 log/ 里。</source>
        <translation>Opens the window of the fibre laser&apos;s host program. It reads config/ and
language/ in the working directory and keeps its history in log/ there.</translation>
    </message>
    <message>
        <source>  -h, --help             显示本帮助后结束
  --version              显示版本后结束</source>
        <translation>  -h, --help             show this help and end
  --version              show the version and end</translation>
    </message>
    <message>
        <source>打开车间总览窗口: 工厂 MQTT 代理上的每台激光器。程序从工作目录读取
config/plant.ini, config/language.gl 和 language/ 中的译文。</source>
        <translation>Opens the fleet view: every laser on the plant&apos;s broker in one window. It
reads config/plant.ini, config/language.gl and the catalogues in language/,
all in the working directory.</translation>
    </message>
    <message>
        <source>退出状态: 0 窗口已关闭; 1 窗口无法启动 (原因在标准错误上); 2 参数
错误 (标准错误上有用法)。</source>
        <translation>Exit status: 0 the window was closed; 1 the window could not start (the
reason on standard error); 2 wrong arguments (a usage line on standard
error).</translation>
    </message>
    <message>
        <source>参数 %1 不是已知的选项</source>
        <translation>argument %1 is no known option</translation>
    </message>
    <message>
        <source>未知的选项 %1</source>
        <translation>unknown option %1</translation>
    </message>
    <message>
        <source>参数 %1 缺少它的值</source>
        <translation>argument %1 needs a value</translation>
    </message>
    <message>
        <source>%1 缺少它的值</source>
        <translation>%1 needs a value</translation>
    </message>
    <message>
        <source>%1 给出了两次</source>
        <translation>%1 is given twice</translation>
    </message>
    <message>
        <source>参数 %1 不属于任何选项</source>
        <translation>argument %1 belongs to no option</translation>
    </message>
    <message>
        <source>--since 只接受 1h, 1d, 7d 或 all</source>
        <translation>--since takes 1h, 1d, 7d or all</translation>
    </message>
    <message>
        <source>详见 %1 --help。</source>
        <translation>See %1 --help.</translation>
    </message>
    <message>
        <source>诊断包未写入: 被信号 %1 中止, 已开始写的文件已删除</source>
        <translation>support bundle not written: stopped by signal %1; what was begun is removed</translation>
    </message>
    <message>
        <source>诊断包未写入: %1</source>
        <translation>support bundle not written: %1</translation>
    </message>
    <message>
        <source>参数 %1 不是本系统编码的文字</source>
        <translation>argument %1 is not text in this system&apos;s encoding</translation>
    </message>
    <message>
        <source>单独的 -- 结束选项, 其后不能再有参数; 其他参数一律拒绝。</source>
        <translation>A lone -- ends the options, and nothing may follow it; any other argument is refused.</translation>
    </message>
    <message>
        <source>报警报告已写入 %1</source>
        <translation>Alarm report written to %1</translation>
    </message>
    <message>
        <source>报警报告未写入: 被信号 %1 中止</source>
        <translation>Alarm report not written: stopped by signal %1</translation>
    </message>
    <message>
        <source>报警报告未写入: %1</source>
        <translation>Alarm report not written: %1</translation>
    </message>
    <message>
        <source>用法: laser-host [Qt 选项]...
      laser-host --support-bundle FILE [--since 1h|1d|7d|all]
      laser-host --alarm-report FILE [--since 24h|7d|30d|90d|all]
      laser-host --help | --version</source>
        <translation>Usage: laser-host [QT-OPTION]...
       laser-host --support-bundle FILE [--since 1h|1d|7d|all]
       laser-host --alarm-report FILE [--since 24h|7d|30d|90d|all]
       laser-host --help | --version</translation>
    </message>
    <message>
        <source>  --support-bundle FILE  把工作目录的诊断包 (zip 压缩包) 写到 FILE 后结束;
                         不开窗口, 不需要显示器; 相对的 FILE 以输入命令的
                         目录为准
  --since PERIOD         与 --support-bundle 一起: 诊断包所含 capture 文件
                         的时段: 1h, 1d (默认), 7d 或 all
  --alarm-report FILE    把工作目录历史的报警报告写到 FILE 后结束: .csv 为
                         CSV 表格, .html 为可打印的网页; 不开窗口
  --since PERIOD         与 --alarm-report 一起: 报告的时段: 24h, 7d,
                         30d (默认), 90d 或 all</source>
        <translation>  --support-bundle FILE  write the support bundle of the working directory to
                         FILE (a zip archive) and end; no window, no display
                         needed; a relative FILE is taken from the folder the
                         command is typed in
  --since PERIOD         with --support-bundle: the capture files of the last
                         hour (1h), day (1d, the default), week (7d) or all
  --alarm-report FILE    write the alarm report of the working directory&apos;s
                         history to FILE and end: CSV for FILE.csv, a
                         printable page for FILE.html; no window
  --since PERIOD         with --alarm-report: the report&apos;s period, the last
                         24h, 7d, 30d (the default), 90d or all</translation>
    </message>
    <message>
        <source>退出状态: 0 窗口已关闭, 或诊断包或报告已写入; 1 诊断包或报告未写入,
或窗口无法启动 (原因在标准错误上); 2 参数错误 (标准错误上有用法)。写
诊断包或报告时收到 SIGINT, SIGTERM 或 SIGHUP: 删除已开始写的文件, 然后
以该信号结束。</source>
        <translation>Exit status: 0 the window was closed, or the bundle or report was written; 1
the bundle or report was not written, or the window could not start (the
reason on standard error); 2 wrong arguments (a usage line on standard error).
SIGINT, SIGTERM or SIGHUP while a bundle or report is written: what was begun
is removed, then the program ends by that signal.</translation>
    </message>
    <message>
        <source>--since 只能与 --support-bundle 或 --alarm-report 一起使用</source>
        <translation>--since goes only with --support-bundle or --alarm-report</translation>
    </message>
    <message>
        <source>--support-bundle 和 --alarm-report 一次只能用一个</source>
        <translation>--support-bundle and --alarm-report go one at a time</translation>
    </message>
    <message>
        <source>--alarm-report 的 --since 只接受 24h, 7d, 30d, 90d 或 all</source>
        <translation>--since with --alarm-report takes only 24h, 7d, 30d, 90d or all</translation>
    </message>
    <message>
        <source>--alarm-report 的文件名须以 .csv 或 .html 结尾</source>
        <translation>the file of --alarm-report must end in .csv or .html</translation>
    </message>
</context>
<context>
    <name>Diagnostics</name>
    <message>
        <source>诊断 - LASER SYSTEM</source>
        <translation>Diagnostics - LASER SYSTEM</translation>
    </message>
    <message>
        <source>事件</source>
        <translation>Events</translation>
    </message>
    <message>
        <source>报文</source>
        <translation>Frames</translation>
    </message>
    <message>
        <source>趋势</source>
        <translation>Trends</translation>
    </message>
    <message>
        <source>链路</source>
        <translation>Link</translation>
    </message>
    <message>
        <source>诊断</source>
        <translation>Diagnostics</translation>
    </message>
    <message>
        <source>链路诊断...</source>
        <translation>Link diagnostics...</translation>
    </message>
    <message>
        <source>尚无历史记录</source>
        <translation>No history recorded yet</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>类别</source>
        <translation>Category</translation>
    </message>
    <message>
        <source>名称</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>值</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>详情</source>
        <translation>Detail</translation>
    </message>
    <message>
        <source>导出CSV</source>
        <translation>Export CSV</translation>
    </message>
    <message>
        <source>导出失败: %1</source>
        <translation>Export failed: %1</translation>
    </message>
    <message>
        <source>全部</source>
        <translation>All</translation>
    </message>
    <message>
        <source>报警</source>
        <translation>Alarm</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>State</translation>
    </message>
    <message>
        <source>命令</source>
        <translation>Command</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>最近一小时</source>
        <translation>Last hour</translation>
    </message>
    <message>
        <source>最近一天</source>
        <translation>Last day</translation>
    </message>
    <message>
        <source>最近一周</source>
        <translation>Last week</translation>
    </message>
    <message>
        <source>类别:</source>
        <translation>Category:</translation>
    </message>
    <message>
        <source>时间:</source>
        <translation>Time:</translation>
    </message>
    <message>
        <source>文字:</source>
        <translation>Text:</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>导出CSV...</source>
        <translation>Export CSV...</translation>
    </message>
    <message>
        <source>方向</source>
        <translation>Direction</translation>
    </message>
    <message>
        <source>代码</source>
        <translation>Code</translation>
    </message>
    <message>
        <source>十六进制</source>
        <translation>Hex</translation>
    </message>
    <message>
        <source>校验</source>
        <translation>Verdict</translation>
    </message>
    <message>
        <source>内容</source>
        <translation>Decoded</translation>
    </message>
    <message>
        <source>继续</source>
        <translation>Resume</translation>
    </message>
    <message>
        <source>暂停</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>代码:</source>
        <translation>Code:</translation>
    </message>
    <message>
        <source>仅校验失败</source>
        <translation>Failed checks only</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>打开记录文件夹</source>
        <translation>Open capture folder</translation>
    </message>
    <message>
        <source>%1 未打开</source>
        <translation>%1 not open</translation>
    </message>
    <message>
        <source>%1 已打开  %2 帧/秒  校验失败 %3</source>
        <translation>%1 open  %2 frames/s  check failures %3</translation>
    </message>
    <message>
        <source>端口错误: %1</source>
        <translation>Port error: %1</translation>
    </message>
    <message>
        <source>%1 打开失败: %2</source>
        <translation>%1 open failed: %2</translation>
    </message>
    <message>
        <source>%1 已关闭</source>
        <translation>%1 closed</translation>
    </message>
    <message>
        <source>%1 链路中断</source>
        <translation>%1 link lost</translation>
    </message>
    <message>
        <source>%1 设备已断开: %2</source>
        <translation>%1 device gone: %2</translation>
    </message>
    <message>
        <source>历史记录: %1</source>
        <translation>History: %1</translation>
    </message>
    <message>
        <source>端口</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>接收字节</source>
        <translation>Bytes in</translation>
    </message>
    <message>
        <source>发送字节</source>
        <translation>Bytes out</translation>
    </message>
    <message>
        <source>接收帧</source>
        <translation>Frames in</translation>
    </message>
    <message>
        <source>发送帧</source>
        <translation>Frames out</translation>
    </message>
    <message>
        <source>校验失败次数</source>
        <translation>Check failures</translation>
    </message>
    <message>
        <source>未知代码帧</source>
        <translation>Unknown codes</translation>
    </message>
    <message>
        <source>噪声字节</source>
        <translation>Noise bytes</translation>
    </message>
    <message>
        <source>提前处理</source>
        <translation>Early passes</translation>
    </message>
    <message>
        <source>帧/秒</source>
        <translation>Frames/s</translation>
    </message>
    <message>
        <source>距上一帧</source>
        <translation>Since last frame</translation>
    </message>
    <message>
        <source>最后端口错误</source>
        <translation>Last port error</translation>
    </message>
    <message>
        <source>历史记录</source>
        <translation>History</translation>
    </message>
    <message>
        <source>已打开</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>未打开</source>
        <translation>Not open</translation>
    </message>
    <message>
        <source>%1 秒</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>正常</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>帧数</source>
        <translation>Frames</translation>
    </message>
    <message>
        <source>计数清零</source>
        <translation>Reset counters</translation>
    </message>
    <message>
        <source>导出PNG</source>
        <translation>Export PNG</translation>
    </message>
    <message>
        <source>无法写入 %1</source>
        <translation>Cannot write %1</translation>
    </message>
    <message>
        <source>最近10分钟</source>
        <translation>Last 10 minutes</translation>
    </message>
    <message>
        <source>时段:</source>
        <translation>Span:</translation>
    </message>
    <message>
        <source>导出PNG...</source>
        <translation>Export PNG...</translation>
    </message>
    <message>
        <source>T3温度(C)</source>
        <translation>T3 temperature (C)</translation>
    </message>
    <message>
        <source>T4温度(C)</source>
        <translation>T4 temperature (C)</translation>
    </message>
    <message>
        <source>露点温度(C)</source>
        <translation>Dew point (C)</translation>
    </message>
    <message>
        <source>工厂链路</source>
        <translation>Plant link</translation>
    </message>
    <message>
        <source>未配置</source>
        <translation>Not configured</translation>
    </message>
    <message>
        <source>最近30天</source>
        <translation>Last 30 days</translation>
    </message>
    <message>
        <source>最近90天</source>
        <translation>Last 90 days</translation>
    </message>
    <message>
        <source>自定义</source>
        <translation>Custom range</translation>
    </message>
    <message>
        <source>至</source>
        <translation>to</translation>
    </message>
    <message>
        <source>复位</source>
        <translation>Reset zoom</translation>
    </message>
    <message>
        <source>正在读取...</source>
        <translation>Loading...</translation>
    </message>
    <message>
        <source>起始时间须早于结束时间</source>
        <translation>The start must lie before the end</translation>
    </message>
    <message>
        <source>已导出 %1</source>
        <translation>Exported %1</translation>
    </message>
    <message>
        <source>接收</source>
        <translation>received</translation>
    </message>
    <message>
        <source>发送</source>
        <translation>sent</translation>
    </message>
    <message>
        <source>跳过</source>
        <translation>skipped</translation>
    </message>
    <message>
        <source>校验正确</source>
        <translation>check ok</translation>
    </message>
    <message>
        <source>校验失败</source>
        <translation>check failed</translation>
    </message>
    <message>
        <source>无校验</source>
        <translation>not checked</translation>
    </message>
    <message>
        <source>未知代码</source>
        <translation>unknown code</translation>
    </message>
    <message>
        <source>%1 最小</source>
        <translation>%1 min</translation>
    </message>
    <message>
        <source>%1 最大</source>
        <translation>%1 max</translation>
    </message>
    <message>
        <source>%1 平均</source>
        <translation>%1 mean</translation>
    </message>
    <message>
        <source>日志文件夹大小</source>
        <translation>Log folder size</translation>
    </message>
    <message>
        <source>当前报警: %1</source>
        <translation>Active alarms: %1</translation>
    </message>
    <message>
        <source>当前无报警</source>
        <translation>No active alarms</translation>
    </message>
    <message>
        <source>当前报警 (%1):</source>
        <translation>Active alarms (%1):</translation>
    </message>
    <message>
        <source>%1  自 %2  已持续 %3</source>
        <translation>%1  since %2  for %3</translation>
    </message>
    <message>
        <source>键</source>
        <translation>Key</translation>
    </message>
    <message>
        <source>存储值</source>
        <translation>Stored value</translation>
    </message>
    <message>
        <source>当前报警数</source>
        <translation>Active alarm count</translation>
    </message>
    <message>
        <source>当前报警</source>
        <translation>Active alarms</translation>
    </message>
    <message>
        <source>，</source>
        <translation>, </translation>
    </message>
    <message>
        <source>时钟</source>
        <translation>Clock</translation>
    </message>
    <message>
        <source>已取消</source>
        <translation>cancelled</translation>
    </message>
    <message>
        <source>另一个导出还在进行</source>
        <translation>another export is still running</translation>
    </message>
    <message>
        <source>已导出到 %1</source>
        <translation>Exported to %1</translation>
    </message>
    <message>
        <source>正在导出到 %1 ...</source>
        <translation>Exporting to %1 ...</translation>
    </message>
    <message>
        <source>取消导出</source>
        <translation>Cancel export</translation>
    </message>
    <message>
        <source>正在导出... 已写入 %1 行</source>
        <translation>Exporting... %1 rows written</translation>
    </message>
    <message>
        <source>导出已取消, 未留下文件</source>
        <translation>Export cancelled; no file left behind</translation>
    </message>
    <message>
        <source>报警报告</source>
        <translation>Alarm report</translation>
    </message>
    <message>
        <source>用时 %1 毫秒</source>
        <translation>Took %1 ms</translation>
    </message>
    <message>
        <source>; 其中 %1 行尚未汇总, 已逐行读取</source>
        <translation>; %1 rows not summed up yet were read one by one</translation>
    </message>
    <message>
        <source>另有 %1 个报警未列出; 导出的文件中有全部报警。</source>
        <translation>%1 more alarms are not listed here; the exported files have them all.</translation>
    </message>
    <message>
        <source>导出打印页</source>
        <translation>Export printable page</translation>
    </message>
    <message>
        <source>时段(&amp;T):</source>
        <translation>Peri&amp;od:</translation>
    </message>
    <message>
        <source>刷新(&amp;R)</source>
        <translation>&amp;Refresh</translation>
    </message>
    <message>
        <source>导出CSV(&amp;C)...</source>
        <translation>Export &amp;CSV...</translation>
    </message>
    <message>
        <source>导出打印页(&amp;P)...</source>
        <translation>Export &amp;printable page...</translation>
    </message>
    <message>
        <source>报警处理</source>
        <translation>Alarm handling</translation>
    </message>
</context>
<context>
    <name>Fleet</name>
    <message>
        <source> 秒</source>
        <translation> s</translation>
    </message>
    <message>
        <source>%1 分</source>
        <translation>%1 min</translation>
    </message>
    <message>
        <source>%1 天</source>
        <translation>%1 d</translation>
    </message>
    <message>
        <source>%1 小时</source>
        <translation>%1 h</translation>
    </message>
    <message>
        <source>%1 秒</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>%1 条新报警</source>
        <translation>%1 new alarms</translation>
    </message>
    <message>
        <source>%1（模块%2）</source>
        <translation>%1 (module %2)</translation>
    </message>
    <message>
        <source>laser_id与主题不符</source>
        <translation>laser_id differs from the topic</translation>
    </message>
    <message>
        <source>不是JSON</source>
        <translation>not JSON</translation>
    </message>
    <message>
        <source>串口</source>
        <translation>Serial port</translation>
    </message>
    <message>
        <source>主题不符</source>
        <translation>unexpected topic</translation>
    </message>
    <message>
        <source>仍在报警</source>
        <translation>Still active</translation>
    </message>
    <message>
        <source>值</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>全部确认</source>
        <translation>Acknowledge all</translation>
    </message>
    <message>
        <source>关</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>开</source>
        <translation>On</translation>
    </message>
    <message>
        <source>发布时间</source>
        <translation>Published at</translation>
    </message>
    <message>
        <source>名称</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>在线</source>
        <translation>Online</translation>
    </message>
    <message>
        <source>大于64 KiB</source>
        <translation>larger than 64 KiB</translation>
    </message>
    <message>
        <source>字段类型错误</source>
        <translation>field of the wrong type</translation>
    </message>
    <message>
        <source>已忽略 %1 条消息（%2）</source>
        <translation>Ignored %1 messages (%2)</translation>
    </message>
    <message>
        <source>已打开</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>已清除 %1</source>
        <translation>Cleared %1</translation>
    </message>
    <message>
        <source>已确认</source>
        <translation>Acknowledged</translation>
    </message>
    <message>
        <source>未确认</source>
        <translation>Not acknowledged</translation>
    </message>
    <message>
        <source>报警</source>
        <translation>Alarm</translation>
    </message>
    <message>
        <source>报警列表已达上限 %1 条：最早的 %2 条已删去</source>
        <translation>Alarm list full at %1 lines: the oldest %2 removed</translation>
    </message>
    <message>
        <source>报警列表（%1 条未确认）</source>
        <translation>Alarm list (%1 not acknowledged)</translation>
    </message>
    <message>
        <source>报警（离线 自 %1）</source>
        <translation>Alarm (offline since %1)</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>显示的模块</source>
        <translation>Shown module</translation>
    </message>
    <message>
        <source>最后一帧</source>
        <translation>Last frame</translation>
    </message>
    <message>
        <source>来不及处理：%1 条消息丢弃</source>
        <translation>Could not keep up: %1 messages dropped</translation>
    </message>
    <message>
        <source>模块</source>
        <translation>Modules</translation>
    </message>
    <message>
        <source>模块%1</source>
        <translation>Module %1</translation>
    </message>
    <message>
        <source>正常</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>Cleared</translation>
    </message>
    <message>
        <source>温度</source>
        <translation>Temperatures</translation>
    </message>
    <message>
        <source>激光器</source>
        <translation>Laser</translation>
    </message>
    <message>
        <source>激光器、端口、状态或报警</source>
        <translation>Laser, port, state or alarm</translation>
    </message>
    <message>
        <source>激光器已达上限 %1 台：%2 条消息未采用</source>
        <translation>Laser limit of %1 reached: %2 messages not taken</translation>
    </message>
    <message>
        <source>激光器总览</source>
        <translation>Laser fleet</translation>
    </message>
    <message>
        <source>激光器总览 - %1 台激光器：%2 台报警，%3 台离线 - LASER SYSTEM</source>
        <translation>Laser fleet - %1 lasers: %2 in alarm, %3 offline - LASER SYSTEM</translation>
    </message>
    <message>
        <source>激光器报警</source>
        <translation>Laser alarm</translation>
    </message>
    <message>
        <source>激光器标识含异常字符</source>
        <translation>odd characters in the laser id</translation>
    </message>
    <message>
        <source>版本</source>
        <translation>Versions</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>State</translation>
    </message>
    <message>
        <source>状态超过多久算离线:</source>
        <translation>Offline when the status is older than:</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>Acknowledged</translation>
    </message>
    <message>
        <source>确认所选</source>
        <translation>Acknowledge selected</translation>
    </message>
    <message>
        <source>离线 自 %1</source>
        <translation>Offline since %1</translation>
    </message>
    <message>
        <source>空消息</source>
        <translation>empty</translation>
    </message>
    <message>
        <source>筛选:</source>
        <translation>Filter:</translation>
    </message>
    <message>
        <source>类别</source>
        <translation>Category</translation>
    </message>
    <message>
        <source>缺少字段</source>
        <translation>missing field</translation>
    </message>
    <message>
        <source>自本窗口启动以来的事件</source>
        <translation>Events since this window started</translation>
    </message>
    <message>
        <source>自本窗口启动以来的事件（最新的 %1 条，较早的 %2 条已丢弃）</source>
        <translation>Events since this window started (the newest %1; %2 older ones dropped)</translation>
    </message>
    <message>
        <source>详情</source>
        <translation>Detail</translation>
    </message>
    <message>
        <source>选择一台激光器查看详情</source>
        <translation>Select a laser to see it in full</translation>
    </message>
    <message>
        <source>项目</source>
        <translation>Item</translation>
    </message>
    <message>
        <source>，</source>
        <translation>, </translation>
    </message>
    <message>
        <source>激光器已移除 %1</source>
        <translation>Laser removed %1</translation>
    </message>
    <message>
        <source>无效</source>
        <translation>Invalid</translation>
    </message>
    <message>
        <source>激光器已达上限 %1 台：%2 台离线最久的已移除</source>
        <translation>Laser limit of %1 reached: %2 offline the longest removed</translation>
    </message>
    <message>
        <source>离线超过 %1 天：%2 台激光器已移除</source>
        <translation>Offline over %1 days: %2 lasers removed</translation>
    </message>
    <message>
        <source>每条状态至多显示 %1 个未知报警：%2 个未显示</source>
        <translation>At most %1 unknown alarms shown per status: %2 not shown</translation>
    </message>
    <message>
        <source>内存上限 %1 MiB：%2 条状态内容未保留</source>
        <translation>Memory limit of %1 MiB: %2 statuses kept without their content</translation>
    </message>
    <message>
        <source>每台激光器保留最新 %1 条事件（至多 %2 KiB）：%3 条较早的已删去</source>
        <translation>The newest %1 events (at most %2 KiB) are kept per laser: %3 older ones removed</translation>
    </message>
    <message>
        <source>另有 %1 项未显示</source>
        <translation>%1 more lines not shown</translation>
    </message>
    <message>
        <source>状态内容未保留（已达内存上限）</source>
        <translation>Status content not kept (memory limit reached)</translation>
    </message>
    <message>
        <source>主机时钟比本机快 %1</source>
        <translation>Host clock %1 ahead</translation>
    </message>
    <message>
        <source>主机时钟比本机慢 %1</source>
        <translation>Host clock %1 behind</translation>
    </message>
    <message>
        <source>报警（离线，时间不明）</source>
        <translation>Alarm (offline, time unknown)</translation>
    </message>
    <message>
        <source>离线（时间不明）</source>
        <translation>Offline (time unknown)</translation>
    </message>
    <message>
        <source>另有 %1 个未知报警</source>
        <translation>%1 more unknown alarms</translation>
    </message>
    <message>
        <source>（两台主机使用此 ID）</source>
        <translation> (two hosts publish under this id)</translation>
    </message>
    <message>
        <source>全厂频发报警（各主机报警统计）</source>
        <translation>Plant bad actors (from the hosts&apos; alarm summaries)</translation>
    </message>
    <message>
        <source>最近 7 天</source>
        <translation>Last 7 days</translation>
    </message>
    <message>
        <source>最近 24 小时</source>
        <translation>Last 24 hours</translation>
    </message>
    <message>
        <source>出现次数</source>
        <translation>Rises</translation>
    </message>
    <message>
        <source>报警时长</source>
        <translation>Active time</translation>
    </message>
    <message>
        <source>抖动次数</source>
        <translation>Chattering episodes</translation>
    </message>
    <message>
        <source>首出次数</source>
        <translation>First outs</translation>
    </message>
    <message>
        <source>另有 %1 个报警</source>
        <translation>%1 more alarms</translation>
    </message>
    <message>
        <source>统计时间</source>
        <translation>Summary made</translation>
    </message>
    <message>
        <source>报警统计大于16 KiB</source>
        <translation>alarm summary over 16 KiB</translation>
    </message>
    <message>
        <source>版本较新</source>
        <translation>newer version</translation>
    </message>
    <message>
        <source>%1 条报警统计属于未保留的激光器</source>
        <translation>%1 alarm summaries of lasers not kept</translation>
    </message>
    <message>
        <source>主机上未确认的报警</source>
        <translation>Unacknowledged at the laser</translation>
    </message>
    <message>
        <source>主机上 %1 未确认</source>
        <translation>%1 unacknowledged at the laser</translation>
    </message>
</context>
<context>
    <name>History</name>
    <message>
        <source>已打开</source>
        <translation>opened</translation>
    </message>
    <message>
        <source>打开失败</source>
        <translation>open failed</translation>
    </message>
    <message>
        <source>已关闭</source>
        <translation>closed</translation>
    </message>
    <message>
        <source>链路中断</source>
        <translation>link lost</translation>
    </message>
    <message>
        <source>设备已拔出</source>
        <translation>device removed</translation>
    </message>
    <message>
        <source>端口错误</source>
        <translation>port error</translation>
    </message>
    <message>
        <source>状态已清除</source>
        <translation>state cleared</translation>
    </message>
    <message>
        <source>清除所有故障</source>
        <translation>Clear all faults</translation>
    </message>
    <message>
        <source>直流开关</source>
        <translation>DC switch</translation>
    </message>
    <message>
        <source>读回设置</source>
        <translation>Read back settings</translation>
    </message>
    <message>
        <source>写入设置</source>
        <translation>Write settings</translation>
    </message>
    <message>
        <source>参数请求</source>
        <translation>Parameter request</translation>
    </message>
    <message>
        <source>设置已读回</source>
        <translation>Settings read back</translation>
    </message>
    <message>
        <source>设置已写入</source>
        <translation>Settings written</translation>
    </message>
    <message>
        <source>开</source>
        <translation>on</translation>
    </message>
    <message>
        <source>关</source>
        <translation>off</translation>
    </message>
    <message>
        <source>已发送</source>
        <translation>sent</translation>
    </message>
    <message>
        <source>已请求</source>
        <translation>requested</translation>
    </message>
    <message>
        <source>出现</source>
        <translation>raised</translation>
    </message>
    <message>
        <source>消除</source>
        <translation>cleared</translation>
    </message>
    <message>
        <source>%1：%2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>模块%1 %2</source>
        <translation>Module %1 %2</translation>
    </message>
    <message>
        <source>驱动板%1 通道%2 %3</source>
        <translation>Board %1 channel %2 %3</translation>
    </message>
    <message>
        <source>串口</source>
        <translation>Serial port</translation>
    </message>
    <message>
        <source>%1 秒</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>%1 分 %2 秒</source>
        <translation>%1 min %2 s</translation>
    </message>
    <message>
        <source>%1 小时 %2 分</source>
        <translation>%1 h %2 min</translation>
    </message>
    <message>
        <source>%1 天 %2 小时</source>
        <translation>%1 d %2 h</translation>
    </message>
    <message>
        <source>队列已满, %1 行未记录</source>
        <translation>The queue was full, %1 rows were not recorded</translation>
    </message>
    <message>
        <source>队列已满, %1 字节抓包数据未记录</source>
        <translation>The queue was full, %1 captured bytes were not recorded</translation>
    </message>
    <message>
        <source>抓包停止: %1</source>
        <translation>Capture stopped: %1</translation>
    </message>
    <message>
        <source>事件未记录: %1</source>
        <translation>Events not recorded: %1</translation>
    </message>
    <message>
        <source>数据库被其他程序锁定, %1 行等待写入</source>
        <translation>The database is locked by another program, %1 rows waiting</translation>
    </message>
    <message>
        <source>等待写入的行过多, 最早的 %1 行已放弃</source>
        <translation>More rows waiting than are kept, the %1 oldest given up</translation>
    </message>
    <message>
        <source>抓包文件超出上限 %1 字节: 其他程序正在写入的文件不删除</source>
        <translation>Captures over their cap by %1 bytes: files other programs are writing are kept</translation>
    </message>
    <message>
        <source>已恢复: 队列重新接收数据行, 共 %1 行未记录</source>
        <translation>Recovered: the queue takes rows again, %1 rows were not recorded</translation>
    </message>
    <message>
        <source>已恢复: 队列重新接收抓包数据, 共 %1 字节未记录</source>
        <translation>Recovered: the queue takes capture bytes again, %1 bytes were not recorded</translation>
    </message>
    <message>
        <source>已恢复: 抓包继续写入 %1, 丢失 %2 字节</source>
        <translation>Recovered: capture goes on in %1, %2 bytes were lost</translation>
    </message>
    <message>
        <source>已恢复: 事件重新记录, 等待的 %1 行已写入</source>
        <translation>Recovered: events recorded again, %1 waiting rows written</translation>
    </message>
    <message>
        <source>已恢复: 数据库锁已释放, 等待的 %1 行已写入</source>
        <translation>Recovered: the database lock is free, %1 waiting rows written</translation>
    </message>
    <message>
        <source>已恢复: 数据行重新写入, 共放弃 %1 行</source>
        <translation>Recovered: rows are written again, %1 rows were given up</translation>
    </message>
    <message>
        <source>已恢复: 抓包文件回到上限以内</source>
        <translation>Recovered: captures within their cap again</translation>
    </message>
    <message>
        <source>数据库已损坏, 另存为 %1, 已新建数据库</source>
        <translation>The database was damaged; kept as %1, a fresh one started</translation>
    </message>
    <message>
        <source>程序意外结束</source>
        <translation>program ended unexpectedly</translation>
    </message>
    <message>
        <source>向前跳变</source>
        <translation>jumped forward</translation>
    </message>
    <message>
        <source>向后跳变</source>
        <translation>jumped back</translation>
    </message>
    <message>
        <source>系统时钟</source>
        <translation>System clock</translation>
    </message>
    <message>
        <source>时钟比最新记录晚 %1 (%2 → %3), 保持一天后才按它删除旧记录</source>
        <translation>The clock is %1 past the newest row (%2 → %3); old rows are deleted by it once it has held for a day</translation>
    </message>
    <message>
        <source>时钟向前跳变 %1 (%2 → %3), 保持一天后才按它删除旧记录</source>
        <translation>The clock jumped %1 forward (%2 → %3); old rows are deleted by it once it has held for a day</translation>
    </message>
    <message>
        <source>时钟向后跳变 %1 (%2 → %3)</source>
        <translation>The clock jumped %1 back (%2 → %3)</translation>
    </message>
    <message>
        <source>报警处理</source>
        <translation>Alarm handling</translation>
    </message>
    <message>
        <source>首出</source>
        <translation>First out</translation>
    </message>
    <message>
        <source>已确认</source>
        <translation>Acknowledged</translation>
    </message>
    <message>
        <source>已搁置</source>
        <translation>Shelved</translation>
    </message>
    <message>
        <source>已取消搁置</source>
        <translation>Unshelved</translation>
    </message>
    <message>
        <source>搁置结束</source>
        <translation>Shelf ended</translation>
    </message>
    <message>
        <source>随程序意外结束</source>
        <translation>Ended with the run</translation>
    </message>
</context>
<context>
    <name>Plant</name>
    <message>
        <source>url 不是有效的地址（应为 mqtt://host:1883 或 mqtts://host:8883）</source>
        <translation>url is not a valid address (expected mqtt://host:1883 or mqtts://host:8883)</translation>
    </message>
    <message>
        <source>url 必须以 mqtt:// 或 mqtts:// 开头</source>
        <translation>url must start with mqtt:// or mqtts://</translation>
    </message>
    <message>
        <source>url 不得含用户名或密码；请用 username 和 password 两个键</source>
        <translation>url must not hold a user name or password; use the username and password keys</translation>
    </message>
    <message>
        <source>url 不得含路径</source>
        <translation>url must not have a path</translation>
    </message>
    <message>
        <source>url 不得含查询或片段</source>
        <translation>url must not have a query or fragment</translation>
    </message>
    <message>
        <source>url 的端口不在 1 到 65535 之间</source>
        <translation>url has a port outside 1 to 65535</translation>
    </message>
    <message>
        <source>%1 第%2行: %3</source>
        <translation>%1 line %2: %3</translation>
    </message>
    <message>
        <source>不是 UTF-8 文本</source>
        <translation>not UTF-8 text</translation>
    </message>
    <message>
        <source>节标题缺少 ]</source>
        <translation>section header without closing ]</translation>
    </message>
    <message>
        <source>未知的节；唯一的节是 [mqtt]</source>
        <translation>unknown section; the only one is [mqtt]</translation>
    </message>
    <message>
        <source>[mqtt] 出现了两次</source>
        <translation>[mqtt] appears twice</translation>
    </message>
    <message>
        <source>应为 键 = 值</source>
        <translation>expected key = value</translation>
    </message>
    <message>
        <source>[mqtt] 节之前有键</source>
        <translation>key before the [mqtt] section</translation>
    </message>
    <message>
        <source>%1 给出了两次</source>
        <translation>%1 is given twice</translation>
    </message>
    <message>
        <source>没有 [mqtt] 节</source>
        <translation>no [mqtt] section</translation>
    </message>
    <message>
        <source>缺少 url</source>
        <translation>url is missing</translation>
    </message>
    <message>
        <source>给出了 password 却没有 username</source>
        <translation>password given without username</translation>
    </message>
    <message>
        <source>ca_file 需要 mqtts:// 的 url</source>
        <translation>ca_file needs an mqtts:// url</translation>
    </message>
    <message>
        <source>ca_file 无法读取: %1</source>
        <translation>ca_file cannot be read: %1</translation>
    </message>
    <message>
        <source>topic_prefix 须非空，且不含 +、# 或空的层级</source>
        <translation>topic_prefix must be non-empty, without +, # or empty levels</translation>
    </message>
    <message>
        <source>%1: 无法读取</source>
        <translation>%1: cannot be read</translation>
    </message>
    <message>
        <source>%1: 文件太大，不是设置文件</source>
        <translation>%1: too large for a settings file</translation>
    </message>
    <message>
        <source>代理服务器拒绝了协议版本</source>
        <translation>broker refused the protocol version</translation>
    </message>
    <message>
        <source>代理服务器拒绝了客户端标识</source>
        <translation>broker refused the client id</translation>
    </message>
    <message>
        <source>代理服务器不可用</source>
        <translation>broker unavailable</translation>
    </message>
    <message>
        <source>代理服务器拒绝登录: 用户名或密码错误</source>
        <translation>broker refused the login: bad user name or password</translation>
    </message>
    <message>
        <source>代理服务器拒绝登录: 未获授权</source>
        <translation>broker refused the login: not authorised</translation>
    </message>
    <message>
        <source>此版本的 MQTT 库不支持 TLS</source>
        <translation>TLS is not available in this build of the MQTT library</translation>
    </message>
    <message>
        <source>无法连接代理服务器，或其证书不受信任</source>
        <translation>cannot reach the broker or its certificate is not trusted</translation>
    </message>
    <message>
        <source>无法连接代理服务器</source>
        <translation>cannot reach the broker</translation>
    </message>
    <message>
        <source>密码未加密传输（url 不是 mqtts://）</source>
        <translation>the password travels unencrypted (the url is not mqtts://)</translation>
    </message>
    <message>
        <source>工厂链路关闭: %1</source>
        <translation>Plant link off: %1</translation>
    </message>
    <message>
        <source>工厂链路: 正在连接 %1</source>
        <translation>Plant link: connecting to %1</translation>
    </message>
    <message>
        <source>工厂链路: 已连接 %1</source>
        <translation>Plant link: connected to %1</translation>
    </message>
    <message>
        <source>工厂链路: 正在重新连接 %1</source>
        <translation>Plant link: reconnecting to %1</translation>
    </message>
    <message>
        <source>; 缓存 %1 条</source>
        <translation>; %1 buffered</translation>
    </message>
    <message>
        <source>; 丢弃 %1 条</source>
        <translation>; %1 dropped</translation>
    </message>
    <message>
        <source>MQTT 库拒绝了该地址（代码 %1）</source>
        <translation>the MQTT library refused the address (code %1)</translation>
    </message>
    <message>
        <source>连接中断</source>
        <translation>connection lost</translation>
    </message>
    <message>
        <source>有一条消息未被接受</source>
        <translation>a message was not accepted</translation>
    </message>
    <message>
        <source>不是普通文件</source>
        <translation>not a regular file</translation>
    </message>
    <message>
        <source>代理服务器拒绝了订阅</source>
        <translation>broker refused the subscription</translation>
    </message>
    <message>
        <source>代理服务器要求改连另一台服务器</source>
        <translation>broker sends clients to another server</translation>
    </message>
    <message>
        <source>代理服务器限制了连接频率</source>
        <translation>broker limits the connection rate</translation>
    </message>
    <message>
        <source>代理服务器拒绝了连接（原因代码 %1）</source>
        <translation>broker refused the connection (reason code %1)</translation>
    </message>
    <message>
        <source>%1 可被其他用户读取（chmod 600）</source>
        <translation>%1 can be read by other users (chmod 600)</translation>
    </message>
    <message>
        <source>客户端证书 %1 起才生效（按本机时钟）</source>
        <translation>the client certificate is valid only from %1 (by this PC&apos;s clock)</translation>
    </message>
    <message>
        <source>客户端证书已于 %1 过期</source>
        <translation>the client certificate expired on %1</translation>
    </message>
    <message>
        <source>客户端证书将于 %1 到期（剩余天数: %2）</source>
        <translation>the client certificate expires on %1 (days left: %2)</translation>
    </message>
    <message>
        <source>客户端证书 %1: 有效期 %2 至 %3</source>
        <translation>Client certificate %1: valid from %2 to %3</translation>
    </message>
    <message>
        <source>工厂链路: %1 拒绝了 MQTT 5，改用 3.1.1</source>
        <translation>Plant link: %1 refused MQTT 5; using 3.1.1</translation>
    </message>
    <message>
        <source>代理服务器拒绝了 MQTT 5，改用 3.1.1</source>
        <translation>the broker refused MQTT 5: using 3.1.1</translation>
    </message>
    <message>
        <source>太大（超过 %1 KiB）</source>
        <translation>too large (over %1 KiB)</translation>
    </message>
    <message>
        <source>未知的键（已知: %1）</source>
        <translation>unknown key (known: %1)</translation>
    </message>
    <message>
        <source>%1 为空</source>
        <translation>%1 is empty</translation>
    </message>
    <message>
        <source>protocol 须为 5 或 3.1.1</source>
        <translation>protocol must be 5 or 3.1.1</translation>
    </message>
    <message>
        <source>未知的键 %1，是否为 %2？</source>
        <translation>unknown key %1; did you mean %2?</translation>
    </message>
    <message>
        <source>password 和 password_file 只能给出一个</source>
        <translation>give password or password_file, not both</translation>
    </message>
    <message>
        <source>给出了 password_file 却没有 username</source>
        <translation>password_file given without username</translation>
    </message>
    <message>
        <source>给出了 cert_file 却没有 key_file</source>
        <translation>cert_file given without key_file</translation>
    </message>
    <message>
        <source>给出了 key_file 却没有 cert_file</source>
        <translation>key_file given without cert_file</translation>
    </message>
    <message>
        <source>给出了 key_password_file 却没有 key_file</source>
        <translation>key_password_file given without key_file</translation>
    </message>
    <message>
        <source>cert_file 需要 mqtts:// 的 url</source>
        <translation>cert_file needs an mqtts:// url</translation>
    </message>
    <message>
        <source>%1 无法读取: %2</source>
        <translation>%1 cannot be read: %2</translation>
    </message>
    <message>
        <source>%1 的第一行为空</source>
        <translation>the first line of %1 is empty</translation>
    </message>
    <message>
        <source>%1 的第一行不是 UTF-8 文本</source>
        <translation>the first line of %1 is not UTF-8 text</translation>
    </message>
    <message>
        <source>cert_file 中没有 PEM 证书</source>
        <translation>cert_file holds no PEM certificate</translation>
    </message>
    <message>
        <source>key_file 中没有 PEM 私钥</source>
        <translation>key_file holds no PEM private key</translation>
    </message>
    <message>
        <source>key_file 的私钥已加密，需要 key_password_file</source>
        <translation>the key in key_file is encrypted and needs key_password_file</translation>
    </message>
    <message>
        <source>key_password_file 的口令打不开 key_file 的私钥</source>
        <translation>the passphrase in key_password_file does not open the key in key_file</translation>
    </message>
    <message>
        <source>key_file 的私钥不属于 cert_file 的证书</source>
        <translation>the key in key_file does not belong to the certificate in cert_file</translation>
    </message>
    <message>
        <source>未获授权</source>
        <translation>not authorised</translation>
    </message>
    <message>
        <source>主题名无效</source>
        <translation>topic name not valid</translation>
    </message>
    <message>
        <source>消息太大</source>
        <translation>message too large</translation>
    </message>
    <message>
        <source>超出配额</source>
        <translation>quota exceeded</translation>
    </message>
    <message>
        <source>原因代码 %1</source>
        <translation>reason code %1</translation>
    </message>
    <message>
        <source>; 过期未发 %1 条</source>
        <translation>; %1 expired unsent</translation>
    </message>
    <message>
        <source>; 代理服务器拒收 %1 条（%2）</source>
        <translation>; %1 refused by the broker (%2)</translation>
    </message>
    <message>
        <source>代理服务器的证书不是为此地址签发的</source>
        <translation>the broker&apos;s certificate was made for another name</translation>
    </message>
    <message>
        <source>代理服务器的证书已过期</source>
        <translation>the broker&apos;s certificate has expired</translation>
    </message>
    <message>
        <source>代理服务器的证书尚未生效（或本机时钟不准）</source>
        <translation>the broker&apos;s certificate is not valid yet (or this PC&apos;s clock is wrong)</translation>
    </message>
    <message>
        <source>代理服务器的证书不受信任（颁发机构未知，见 ca_file）</source>
        <translation>the broker&apos;s certificate is not trusted (unknown authority; see ca_file)</translation>
    </message>
    <message>
        <source>代理服务器的证书不受信任（OpenSSL 验证代码 %1）</source>
        <translation>the broker&apos;s certificate is not trusted (OpenSSL verify code %1)</translation>
    </message>
    <message>
        <source>代理服务器要求客户端证书（plant.ini 中没有 cert_file）</source>
        <translation>the broker requires a client certificate (plant.ini has no cert_file)</translation>
    </message>
    <message>
        <source>代理服务器拒绝了 TLS 握手（也许要求客户端证书: cert_file）</source>
        <translation>the broker refused the TLS handshake (it may require a client certificate: cert_file)</translation>
    </message>
    <message>
        <source>代理服务器拒绝了 TLS 握手</source>
        <translation>the broker refused the TLS handshake</translation>
    </message>
    <message>
        <source>代理服务器不认识客户端证书的颁发机构</source>
        <translation>the broker does not know the authority of the client certificate</translation>
    </message>
    <message>
        <source>代理服务器认为客户端证书已过期（按本机时钟有效至 %1）</source>
        <translation>the broker finds the client certificate expired (valid until %1 by this PC&apos;s clock)</translation>
    </message>
    <message>
        <source>代理服务器拒绝了客户端证书: 已过期</source>
        <translation>the broker refused the client certificate: expired</translation>
    </message>
    <message>
        <source>代理服务器拒绝了客户端证书: 已吊销</source>
        <translation>the broker refused the client certificate: revoked</translation>
    </message>
    <message>
        <source>代理服务器拒绝了客户端证书: %1 起才生效</source>
        <translation>the broker refused the client certificate: valid only from %1</translation>
    </message>
    <message>
        <source>代理服务器拒绝了客户端证书</source>
        <translation>the broker refused the client certificate</translation>
    </message>
    <message>
        <source>%1 超过 %2 个字符</source>
        <translation>%1 is longer than %2 characters</translation>
    </message>
    <message>
        <source>%1 含有空白字符 U+%2（第 %3 个字符）</source>
        <translation>%1 holds a blank, U+%2 (character %3)</translation>
    </message>
    <message>
        <source>%1 含有本身不可见的字符 U+%2（第 %3 个字符）</source>
        <translation>%1 holds a character that is not visible on its own, U+%2 (character %3)</translation>
    </message>
    <message>
        <source>%1 不是 Unicode 的组合形式（NFC）</source>
        <translation>%1 is not in Unicode&apos;s composed form (NFC)</translation>
    </message>
    <message>
        <source>%1 的一个词混用拉丁、希腊或西里尔字母 U+%2（第 %3 个字符）</source>
        <translation>%1 mixes Latin, Greek or Cyrillic letters in one word, U+%2 (character %3)</translation>
    </message>
    <message>
        <source>; 另一台主机也在以此激光器 ID 发布</source>
        <translation>; another host publishes under this laser id too</translation>
    </message>
    <message>
        <source>代理服务器发来的数据包长度无效</source>
        <translation>the broker sent a packet whose length is not valid</translation>
    </message>
    <message>
        <source>代理服务器发来 %1 字节的数据包，超过本程序接收的 %2 字节</source>
        <translation>the broker sent a packet of %1 bytes, over the %2 this program takes</translation>
    </message>
    <message>
        <source>%1 须非空，且不含 /、+ 或 #</source>
        <translation>%1 must be non-empty, without /, + or #</translation>
    </message>
    <message>
        <source>format 须为 json、sparkplug 或 both</source>
        <translation>format must be json, sparkplug or both</translation>
    </message>
    <message>
        <source>format = sparkplug 或 both 需要 group_id</source>
        <translation>format = sparkplug or both needs group_id</translation>
    </message>
    <message>
        <source> 正在连接</source>
        <translation> connecting</translation>
    </message>
    <message>
        <source> 等待主应用上线</source>
        <translation> waiting for the primary host</translation>
    </message>
    <message>
        <source>: bdSeq %1, seq %2, 出生证书 %3</source>
        <translation>: bdSeq %1, seq %2, births %3</translation>
    </message>
    <message>
        <source>, 拒绝命令 %1</source>
        <translation>, refused commands %1</translation>
    </message>
    <message>
        <source>, 无法读取或过时 %1</source>
        <translation>, unreadable or past %1</translation>
    </message>
    <message>
        <source>, 不属于本节点 %1</source>
        <translation>, not for this node %1</translation>
    </message>
    <message>
        <source>, 迟到事件未发 %1</source>
        <translation>, late events not sent %1</translation>
    </message>
    <message>
        <source>%1 不是普通文件，bdSeq 不保存</source>
        <translation>%1 is not a plain file; bdSeq is not kept</translation>
    </message>
    <message>
        <source>%1 无法写入，bdSeq 不保存</source>
        <translation>%1 cannot be written; bdSeq is not kept</translation>
    </message>
    <message>
        <source>主应用已下线</source>
        <translation>the primary host went offline</translation>
    </message>
    <message>
        <source>, 来不及读而丢弃 %1</source>
        <translation>, dropped unread %1</translation>
    </message>
    <message>
        <source>; 正在从历史补发: 已补发 %1 条</source>
        <translation>; sending late from the history: %1 sent</translation>
    </message>
    <message>
        <source>; 从历史补发 %1 条</source>
        <translation>; %1 sent late from the history</translation>
    </message>
    <message>
        <source>; 历史无法读取，%1 条事件未发送（%2）</source>
        <translation>; the history cannot be read: %1 events not sent (%2)</translation>
    </message>
    <message>
        <source>; 历史无法读取，未送达的事件未发送（%1）</source>
        <translation>; the history cannot be read: its events not confirmed by the broker are not sent (%1)</translation>
    </message>
</context>
<context>
    <name>Preference</name>
    <message>
        <source>无法创建文件夹 %1</source>
        <translation>cannot create the folder %1</translation>
    </message>
    <message>
        <source>这个名字下不是普通文件，而是文件夹、设备或管道</source>
        <translation>what stands under that name is no regular file but a folder, a device or a pipe</translation>
    </message>
    <message>
        <source>没有写入权限，或磁盘为只读</source>
        <translation>no permission to write there, or the disk is read-only</translation>
    </message>
    <message>
        <source>写入失败，磁盘可能已满</source>
        <translation>the write failed; the disk may be full</translation>
    </message>
    <message>
        <source>这个名字是一个符号链接，选择不写到它所指的文件</source>
        <translation>that name is a symbolic link; the choice is not written to the file it leads to</translation>
    </message>
</context>
<context>
    <name>Serial</name>
    <message>
        <source>LASER SYSTEM_V0.3.10</source>
        <translation>LASER SYSTEM_V0.3.10</translation>
    </message>
    <message>
        <source>串口配置</source>
        <translation>Serial port settings</translation>
    </message>
    <message>
        <source>端口号：</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>刷新串口</source>
        <translation>Refresh ports</translation>
    </message>
    <message>
        <source>打开串口</source>
        <translation>Open port</translation>
    </message>
    <message>
        <source>红光开关</source>
        <translation>Red pilot light</translation>
    </message>
    <message>
        <source>开 启</source>
        <translation>On</translation>
    </message>
    <message>
        <source>关 闭</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>系统状态</source>
        <translation>System status</translation>
    </message>
    <message>
        <source>指示光标</source>
        <translation>Pilot light</translation>
    </message>
    <message>
        <source>直流开启</source>
        <translation>DC on</translation>
    </message>
    <message>
        <source>光闸开启</source>
        <translation>Shutter open</translation>
    </message>
    <message>
        <source>激光输出</source>
        <translation>Laser emission</translation>
    </message>
    <message>
        <source>驱动温度报警</source>
        <translation>Driver temp. alarm</translation>
    </message>
    <message>
        <source>系统异常</source>
        <translation>System fault</translation>
    </message>
    <message>
        <source>光感测警报</source>
        <translation>Photodiode alarm</translation>
    </message>
    <message>
        <source>外部急停</source>
        <translation>External E-stop</translation>
    </message>
    <message>
        <source>连锁机门</source>
        <translation>Door interlock</translation>
    </message>
    <message>
        <source>水冷机警报</source>
        <translation>Chiller alarm</translation>
    </message>
    <message>
        <source>温度报警</source>
        <translation>Temperature alarm</translation>
    </message>
    <message>
        <source>T3温度过高</source>
        <translation>T3 temp. too high</translation>
    </message>
    <message>
        <source>T4温度过高</source>
        <translation>T4 temp. too high</translation>
    </message>
    <message>
        <source>驱动过流报警</source>
        <translation>Driver overcurrent</translation>
    </message>
    <message>
        <source>QBH报警</source>
        <translation>QBH alarm</translation>
    </message>
    <message>
        <source>光纤断裂报警</source>
        <translation>Fiber break alarm</translation>
    </message>
    <message>
        <source>T3温度(C):</source>
        <translation>T3 temp. (°C):</translation>
    </message>
    <message>
        <source>T4温度(C):</source>
        <translation>T4 temp. (°C):</translation>
    </message>
    <message>
        <source>露点温度(C):</source>
        <translation>Dew point (°C):</translation>
    </message>
    <message>
        <source>CCB:</source>
        <translation>CCB:</translation>
    </message>
    <message>
        <source>DB:</source>
        <translation>DB:</translation>
    </message>
    <message>
        <source>数字量输入</source>
        <translation>Digital inputs</translation>
    </message>
    <message>
        <source>PWM输入</source>
        <translation>PWM input</translation>
    </message>
    <message>
        <source>数字量输出</source>
        <translation>Digital outputs</translation>
    </message>
    <message>
        <source>报警输出</source>
        <translation>Fault out</translation>
    </message>
    <message>
        <source>模拟量输入/输出</source>
        <translation>Analog I/O</translation>
    </message>
    <message>
        <source>AI-1:</source>
        <translation>AI-1:</translation>
    </message>
    <message>
        <source>Freq:</source>
        <translation>Freq:</translation>
    </message>
    <message>
        <source>Duty:</source>
        <translation>Duty:</translation>
    </message>
    <message>
        <source>产品信息</source>
        <translation>Product information</translation>
    </message>
    <message>
        <source>产品型号：</source>
        <translation>Product type:</translation>
    </message>
    <message>
        <source>销售序号：</source>
        <translation>Serial number:</translation>
    </message>
    <message>
        <source>系统时间：</source>
        <translation>System time:</translation>
    </message>
    <message>
        <source>中央控制板(CCB)参数</source>
        <translation>Central control board (CCB) parameters</translation>
    </message>
    <message>
        <source>屏蔽冷水机警报</source>
        <translation>Mask chiller alarm</translation>
    </message>
    <message>
        <source>屏蔽电源警报</source>
        <translation>Mask power supply alarm</translation>
    </message>
    <message>
        <source>屏蔽内部急停</source>
        <translation>Mask internal E-stop</translation>
    </message>
    <message>
        <source>红光自动</source>
        <translation>Red light auto</translation>
    </message>
    <message>
        <source>屏蔽外部急停</source>
        <translation>Mask external E-stop</translation>
    </message>
    <message>
        <source>屏蔽露点警报</source>
        <translation>Mask dew point alarm</translation>
    </message>
    <message>
        <source>屏蔽门位警报</source>
        <translation>Mask door interlock</translation>
    </message>
    <message>
        <source>红光自动下 依实际出光</source>
        <translation>Auto red follows beam</translation>
    </message>
    <message>
        <source>屏蔽QBH警报</source>
        <translation>Mask QBH alarm</translation>
    </message>
    <message>
        <source>屏蔽光纤断裂警报</source>
        <translation>Mask fiber break alarm</translation>
    </message>
    <message>
        <source>屏蔽温度警报</source>
        <translation>Mask temperature alarm</translation>
    </message>
    <message>
        <source>红光外控</source>
        <translation>Red light external</translation>
    </message>
    <message>
        <source>屏蔽漏光警报</source>
        <translation>Mask leakage alarm</translation>
    </message>
    <message>
        <source>屏蔽PD警报</source>
        <translation>Mask PD alarm</translation>
    </message>
    <message>
        <source>超调模式HPP</source>
        <translation>Overdrive mode HPP</translation>
    </message>
    <message>
        <source>工艺程序PgmIO</source>
        <translation>Process program PgmIO</translation>
    </message>
    <message>
        <source>内控光闸失效</source>
        <translation>Internal shutter off</translation>
    </message>
    <message>
        <source>门位警报低准位</source>
        <translation>Door alarm active low</translation>
    </message>
    <message>
        <source>数位输出低准位</source>
        <translation>Digital out active low</translation>
    </message>
    <message>
        <source>直流电源警报高准位</source>
        <translation>DC alarm active high</translation>
    </message>
    <message>
        <source>自动启动(光闸控制)</source>
        <translation>Auto start (shutter)</translation>
    </message>
    <message>
        <source>输入模拟量埠(备用)</source>
        <translation>Analog input (spare)</translation>
    </message>
    <message>
        <source>输出模拟量埠(in PD)</source>
        <translation>Analog output (in PD)</translation>
    </message>
    <message>
        <source>读回</source>
        <translation>Read back</translation>
    </message>
    <message>
        <source>设定</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>控制模式</source>
        <translation>Control mode</translation>
    </message>
    <message>
        <source>光感测漏光上限值 Pd1 50..4050</source>
        <translation>PD leakage limit Pd1 50..4050</translation>
    </message>
    <message>
        <source>使用者界面</source>
        <translation>User Interface</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>语言</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>中文</source>
        <translation>中文 (Chinese)</translation>
    </message>
    <message>
        <source>English</source>
        <translation>English</translation>
    </message>
    <message>
        <source>关于...</source>
        <translation>About...</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>打开文件失败</source>
        <translation>Failed to open the file.</translation>
    </message>
    <message>
        <source>新建目录失败</source>
        <translation>Failed to create the directory.</translation>
    </message>
    <message>
        <source>新建文件失败</source>
        <translation>Failed to create the file.</translation>
    </message>
    <message>
        <source>串口错误</source>
        <translation>Serial port error</translation>
    </message>
    <message>
        <source>请检查串口线缆和设置！</source>
        <translation>Please check the serial cable and port settings!</translation>
    </message>
    <message>
        <source>注意</source>
        <translation>Attention</translation>
    </message>
    <message>
        <source>激光器未连接！</source>
        <translation>Laser not connected!</translation>
    </message>
    <message>
        <source>屏蔽QBH警报可能造成人身伤害、激光器或集成系统损坏&lt;br&gt;且不属于激光器保修项目，请确认是否屏蔽？</source>
        <translation>Masking the QBH alarm may cause personal injury or damage to the laser or the integrated system&lt;br&gt;and is not covered by the laser warranty. Mask it anyway?</translation>
    </message>
    <message>
        <source>光纤激光器上位机 LASER SYSTEM_V0.3.10&lt;br&gt;通过串口与中央控制板(CCB)通信。</source>
        <translation>Fiber laser host program LASER SYSTEM_V0.3.10&lt;br&gt;Talks to the central control board (CCB) over a serial port.</translation>
    </message>
</context>
<context>
    <name>Service</name>
    <message>
        <source>&quot;fields&quot; 中有一项不是对象</source>
        <translation>An entry of &quot;fields&quot; is not an object</translation>
    </message>
    <message>
        <source>未知字段 &quot;%1&quot;</source>
        <translation>Unknown field &quot;%1&quot;</translation>
    </message>
    <message>
        <source>字段 &quot;%1&quot; 出现两次</source>
        <translation>Field &quot;%1&quot; appears twice</translation>
    </message>
    <message>
        <source>字段 &quot;%1&quot; 的值应为 true 或 false</source>
        <translation>The value of field &quot;%1&quot; must be true or false</translation>
    </message>
    <message>
        <source>字段 &quot;%1&quot; 的值应为非负整数</source>
        <translation>The value of field &quot;%1&quot; must be a whole number, not negative</translation>
    </message>
    <message>
        <source>文件写着 %1, 原始值为 %2</source>
        <translation>the file says %1, the raw value %2</translation>
    </message>
    <message>
        <source>是</source>
        <translation>yes</translation>
    </message>
    <message>
        <source>否</source>
        <translation>no</translation>
    </message>
    <message>
        <source>文件过大 (超过 %1 字节), 不是设定文件</source>
        <translation>The file is too large (over %1 bytes) to be a settings file</translation>
    </message>
    <message>
        <source>不是有效的 JSON (第 %1 字节: %2)</source>
        <translation>Not valid JSON (byte %1: %2)</translation>
    </message>
    <message>
        <source>不是设定文件: 顶层不是对象</source>
        <translation>Not a settings file: the top level is not an object</translation>
    </message>
    <message>
        <source>不是设定文件: 缺少 &quot;format&quot; 或其值不对</source>
        <translation>Not a settings file: &quot;format&quot; is missing or wrong</translation>
    </message>
    <message>
        <source>&quot;version&quot; 缺失或无效</source>
        <translation>&quot;version&quot; is missing or not valid</translation>
    </message>
    <message>
        <source>文件格式版本 %1 较新, 本程序只能读取版本 %2</source>
        <translation>The file has the newer format version %1; this program reads version %2</translation>
    </message>
    <message>
        <source>缺少字段 &quot;%1&quot;</source>
        <translation>Field &quot;%1&quot; is missing</translation>
    </message>
    <message>
        <source>&quot;value&quot; 无法解码: 应为 7 个十六进制字节</source>
        <translation>&quot;value&quot; does not decode: it must be 7 hexadecimal bytes</translation>
    </message>
    <message>
        <source>&quot;value&quot; 无法解码: 字节的第 7 位必须为 0</source>
        <translation>&quot;value&quot; does not decode: bit 7 of every byte must be 0</translation>
    </message>
    <message>
        <source>缺少文本字段 &quot;%1&quot;</source>
        <translation>Text field &quot;%1&quot; is missing</translation>
    </message>
    <message>
        <source>&quot;saved_at&quot; 缺失或不是时间</source>
        <translation>&quot;saved_at&quot; is missing or not a time</translation>
    </message>
    <message>
        <source>&quot;fields&quot; 缺少 &quot;%1&quot;</source>
        <translation>&quot;fields&quot; lacks &quot;%1&quot;</translation>
    </message>
    <message>
        <source>无法打开 %1: %2</source>
        <translation>Cannot open %1: %2</translation>
    </message>
    <message>
        <source>导出诊断包</source>
        <translation>Export support bundle</translation>
    </message>
    <message>
        <source>最近1小时</source>
        <translation>Last hour</translation>
    </message>
    <message>
        <source>最近1天</source>
        <translation>Last day</translation>
    </message>
    <message>
        <source>最近1周</source>
        <translation>Last week</translation>
    </message>
    <message>
        <source>全部</source>
        <translation>All</translation>
    </message>
    <message>
        <source>浏览...</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <source>Zip 压缩包 (*.zip)</source>
        <translation>Zip archive (*.zip)</translation>
    </message>
    <message>
        <source>时段:</source>
        <translation>Period:</translation>
    </message>
    <message>
        <source>文件:</source>
        <translation>File:</translation>
    </message>
    <message>
        <source>正在写入 %1 ...</source>
        <translation>Writing %1 ...</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>写入</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>与文件比较</source>
        <translation>Compare with file</translation>
    </message>
    <message>
        <source>从文件写入</source>
        <translation>Write from file</translation>
    </message>
    <message>
        <source>激光器尚未报告产品型号, 无法确认文件 (%1) 属于同一种产品。</source>
        <translation>The laser has not reported its product type yet; the file (%1) cannot be confirmed to be of the same product.</translation>
    </message>
    <message>
        <source>此文件来自另一种产品: 文件 %1, 激光器 %2。</source>
        <translation>This file is from another product type: file %1, laser %2.</translation>
    </message>
    <message>
        <source>文件中的解码字段与原始值不符, 以原始值为准: %1</source>
        <translation>Decoded fields in the file disagree with its raw value; the raw value is used: %1</translation>
    </message>
    <message>
        <source>设定项</source>
        <translation>Setting</translation>
    </message>
    <message>
        <source>文件中</source>
        <translation>In the file</translation>
    </message>
    <message>
        <source>激光器上</source>
        <translation>On the laser</translation>
    </message>
    <message>
        <source>串口已关闭</source>
        <translation>The port was closed</translation>
    </message>
    <message>
        <source>; 未写入任何设定。</source>
        <translation>; nothing was written.</translation>
    </message>
    <message>
        <source>正在读取激光器的设定...</source>
        <translation>Reading the laser&apos;s settings...</translation>
    </message>
    <message>
        <source>另一个请求正在等待回答; 未写入任何设定。</source>
        <translation>Another request is waiting for its answer; nothing was written.</translation>
    </message>
    <message>
        <source>串口未打开; 未写入任何设定。</source>
        <translation>The port is not open; nothing was written.</translation>
    </message>
    <message>
        <source>已写入, 正在读回核对...</source>
        <translation>Written; reading back to verify...</translation>
    </message>
    <message>
        <source>激光器现在的设定与文件完全一致。</source>
        <translation>The laser now holds exactly the file&apos;s settings.</translation>
    </message>
    <message>
        <source>核对失败: 激光器读回的设定仍有 %1 项与文件不同。</source>
        <translation>Verification failed: the settings read back from the laser still differ from the file in %1 fields.</translation>
    </message>
    <message>
        <source>; 无法确认激光器现在的设定。</source>
        <translation>; what the laser holds now is not confirmed.</translation>
    </message>
    <message>
        <source>相同: 激光器的设定与文件一致。</source>
        <translation>Identical: the laser&apos;s settings match the file.</translation>
    </message>
    <message>
        <source>%1 项不同:</source>
        <translation>%1 fields differ:</translation>
    </message>
    <message>
        <source>将文件中的设定写入激光器 (%1 项不同)？</source>
        <translation>Write the file&apos;s settings to the laser (%1 fields differ)?</translation>
    </message>
    <message>
        <source>正在写入...</source>
        <translation>Writing...</translation>
    </message>
    <message>
        <source>维护</source>
        <translation>Service</translation>
    </message>
    <message>
        <source>保存设定到文件...</source>
        <translation>Save settings to file...</translation>
    </message>
    <message>
        <source>与文件比较...</source>
        <translation>Compare with file...</translation>
    </message>
    <message>
        <source>从文件写入...</source>
        <translation>Write from file...</translation>
    </message>
    <message>
        <source>导出诊断包...</source>
        <translation>Export support bundle...</translation>
    </message>
    <message>
        <source>保存设定到文件</source>
        <translation>Save settings to file</translation>
    </message>
    <message>
        <source>CCB 设定 (*.ccbsettings)</source>
        <translation>CCB settings (*.ccbsettings)</translation>
    </message>
    <message>
        <source>还没有读回的设定</source>
        <translation>No settings have been read back yet</translation>
    </message>
    <message>
        <source>设定已保存到 %1</source>
        <translation>Settings saved to %1</translation>
    </message>
    <message>
        <source>无法写入 %1:
%2</source>
        <translation>Cannot write %1:
%2</translation>
    </message>
    <message>
        <source>CCB 设定 (*.ccbsettings);;所有文件 (*)</source>
        <translation>CCB settings (*.ccbsettings);;All files (*)</translation>
    </message>
    <message>
        <source>无法使用此文件, 未读取也未写入任何设定。
%1

%2</source>
        <translation>This file cannot be used; nothing was read or written.
%1

%2</translation>
    </message>
    <message>
        <source>文件中的解码字段与原始值不符, 以原始值为准:
%1

继续吗？</source>
        <translation>Decoded fields in the file disagree with its raw value; the raw value is used:
%1

Go on?</translation>
    </message>
    <message>
        <source>诊断包已写入 %1 (%2 个文件)</source>
        <translation>Support bundle written to %1 (%2 files)</translation>
    </message>
    <message>
        <source>诊断包导出已取消</source>
        <translation>Support bundle export cancelled</translation>
    </message>
    <message>
        <source>诊断包未能写入:
%1</source>
        <translation>The support bundle was not written:
%1</translation>
    </message>
    <message>
        <source>激光器没有回答</source>
        <translation>The laser did not answer</translation>
    </message>
    <message>
        <source>工作目录 %1 中没有历史: 既没有 %2 也没有 capture 文件。请在程序的工作目录中运行。</source>
        <translation>No history in the working directory %1: neither %2 nor a capture file. Run the command in the program&apos;s working directory.</translation>
    </message>
    <message>
        <source>键 %1 在同一个对象中出现了两次</source>
        <translation>The key %1 appears twice in one object</translation>
    </message>
    <message>
        <source>文件: %1
产品型号: %2, 序列号: %3, CCB版本: %4, 保存于 %5</source>
        <translation>File: %1
Product type: %2, serial number: %3, CCB version: %4, saved %5</translation>
    </message>
    <message>
        <source>此文件不能确认属于这台激光器的产品型号 (文件: %1, 激光器: %2)。
确实要写入吗？</source>
        <translation>This file cannot be confirmed to be of this laser&apos;s product type (file: %1, laser: %2).
Write it all the same?</translation>
    </message>
    <message>
        <source>%1 已存在。要替换它吗？</source>
        <translation>%1 exists already. Replace it?</translation>
    </message>
    <message>
        <source>未替换已有的文件</source>
        <translation>The file there was not replaced</translation>
    </message>
    <message>
        <source>%1 已存在且不是普通文件; 诊断包不写在那里</source>
        <translation>%1 exists and is not a plain file; the bundle is not written there</translation>
    </message>
    <message>
        <source>%1 在程序自己的 log 或 config 文件夹中; 请另选一个位置</source>
        <translation>%1 lies in the program&apos;s own log or config folder; choose another place</translation>
    </message>
    <message>
        <source>%1 不是普通文件</source>
        <translation>%1 is not a plain file</translation>
    </message>
    <message>
        <source>文件中的所有字段都为零: 没有屏蔽任何警报, 漏光上限为 0 (低于 50..4050)。这是读回之前的空值, 不像激光器的设定。</source>
        <translation>Every field in the file is zero: no alarm masked, leakage limit 0 (below 50..4050). That is the empty value before any read-back, not what a laser holds.</translation>
    </message>
    <message>
        <source>%1..%2, 步长 %3</source>
        <translation>%1..%2 in steps of %3</translation>
    </message>
    <message>
        <source>&quot;%1&quot; (%2) 为 %3, 设定页只能给出 %4</source>
        <translation>&quot;%1&quot; (%2) is %3; the settings page can only give %4</translation>
    </message>
    <message>
        <source>%1

继续吗？</source>
        <translation>%1

Go on?</translation>
    </message>
    <message>
        <source>文件中的漏光上限为 0, 低于设定页标注的 50..4050。</source>
        <translation>The leakage limit in the file is 0, below the 50..4050 the settings page names.</translation>
    </message>
</context>
</TS>
