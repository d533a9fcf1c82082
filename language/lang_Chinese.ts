<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="zh_CN">
<context>
    <name>AlarmReport</name>
    <message>
        <source>出现最多的报警</source>
        <translation>出现最多的报警</translation>
    </message>
    <message>
        <source>时段</source>
        <translation>时段</translation>
    </message>
    <message>
        <source>时段 (毫秒, UTC)</source>
        <translation>时段 (毫秒, UTC)</translation>
    </message>
    <message>
        <source>历史的最后一行</source>
        <translation>历史的最后一行</translation>
    </message>
    <message>
        <source>总体</source>
        <translation>总体</translation>
    </message>
    <message>
        <source>数值</source>
        <translation>数值</translation>
    </message>
    <message>
        <source>参考线</source>
        <translation>参考线</translation>
    </message>
    <message>
        <source>判断</source>
        <translation>判断</translation>
    </message>
    <message>
        <source>无法如实计数的情况与说明</source>
        <translation>无法如实计数的情况与说明</translation>
    </message>
    <message>
        <source>项目</source>
        <translation>项目</translation>
    </message>
    <message>
        <source>各报警</source>
        <translation>各报警</translation>
    </message>
    <message>
        <source>%1 已存在且不是普通文件; 报告不写在那里</source>
        <translation>%1 已存在且不是普通文件; 报告不写在那里</translation>
    </message>
    <message>
        <source>%1 在程序自己的 log 或 config 文件夹中; 报告不写在那里</source>
        <translation>%1 在程序自己的 log 或 config 文件夹中; 报告不写在那里</translation>
    </message>
    <message>
        <source>无法写入 %1: %2</source>
        <translation>无法写入 %1: %2</translation>
    </message>
    <message>
        <source>工作目录 %1 中没有历史 (log/history.sqlite)。请在程序的工作目录中运行。</source>
        <translation>工作目录 %1 中没有历史 (log/history.sqlite)。请在程序的工作目录中运行。</translation>
    </message>
    <message>
        <source>%1 %</source>
        <translation>%1 %</translation>
    </message>
    <message>
        <source>最近24小时</source>
        <translation>最近24小时</translation>
    </message>
    <message>
        <source>最近7天</source>
        <translation>最近7天</translation>
    </message>
    <message>
        <source>最近30天</source>
        <translation>最近30天</translation>
    </message>
    <message>
        <source>最近90天</source>
        <translation>最近90天</translation>
    </message>
    <message>
        <source>全部历史</source>
        <translation>全部历史</translation>
    </message>
    <message>
        <source>报警报告</source>
        <translation>报警报告</translation>
    </message>
    <message>
        <source>%1 至 %2</source>
        <translation>%1 至 %2</translation>
    </message>
    <message>
        <source>无数据</source>
        <translation>无数据</translation>
    </message>
    <message>
        <source>超出参考线</source>
        <translation>超出参考线</translation>
    </message>
    <message>
        <source>在参考线内</source>
        <translation>在参考线内</translation>
    </message>
    <message>
        <source>报警出现次数</source>
        <translation>报警出现次数</translation>
    </message>
    <message>
        <source>链路连通时间</source>
        <translation>链路连通时间</translation>
    </message>
    <message>
        <source>平均每小时出现</source>
        <translation>平均每小时出现</translation>
    </message>
    <message>
        <source>约 6 可接受</source>
        <translation>约 6 可接受</translation>
    </message>
    <message>
        <source>平均每10分钟出现</source>
        <translation>平均每10分钟出现</translation>
    </message>
    <message>
        <source>约 1 可接受</source>
        <translation>约 1 可接受</translation>
    </message>
    <message>
        <source>最繁忙的10分钟</source>
        <translation>最繁忙的10分钟</translation>
    </message>
    <message>
        <source>%1 次 (%2 起)</source>
        <translation>%1 次 (%2 起)</translation>
    </message>
    <message>
        <source>超过 10 次即泛滥</source>
        <translation>超过 10 次即泛滥</translation>
    </message>
    <message>
        <source>泛滥的10分钟区间</source>
        <translation>泛滥的10分钟区间</translation>
    </message>
    <message>
        <source>%1 (%2 / %3)</source>
        <translation>%1 (%2 / %3)</translation>
    </message>
    <message>
        <source>低于 1 %</source>
        <translation>低于 1 %</translation>
    </message>
    <message>
        <source>前10个报警占全部出现</source>
        <translation>前10个报警占全部出现</translation>
    </message>
    <message>
        <source>%1 (只有 %2 个报警出现)</source>
        <translation>%1 (只有 %2 个报警出现)</translation>
    </message>
    <message>
        <source>低于 20 %</source>
        <translation>低于 20 %</translation>
    </message>
    <message>
        <source>抖动的报警 (60 秒内出现 3 次以上)</source>
        <translation>抖动的报警 (60 秒内出现 3 次以上)</translation>
    </message>
    <message>
        <source>0</source>
        <translation>0</translation>
    </message>
    <message>
        <source>出现超过 24 小时的报警</source>
        <translation>出现超过 24 小时的报警</translation>
    </message>
    <message>
        <source>10 分钟内确认的出现</source>
        <translation>10 分钟内确认的出现</translation>
    </message>
    <message>
        <source>%1 / %2</source>
        <translation>%1 / %2</translation>
    </message>
    <message>
        <source>链路中断次数</source>
        <translation>链路中断次数</translation>
    </message>
    <message>
        <source>程序意外结束次数</source>
        <translation>程序意外结束次数</translation>
    </message>
    <message>
        <source> (秒)</source>
        <translation> (秒)</translation>
    </message>
    <message>
        <source>报警</source>
        <translation>报警</translation>
    </message>
    <message>
        <source>键</source>
        <translation>键</translation>
    </message>
    <message>
        <source>出现次数</source>
        <translation>出现次数</translation>
    </message>
    <message>
        <source>累计时长</source>
        <translation>累计时长</translation>
    </message>
    <message>
        <source>最长一次</source>
        <translation>最长一次</translation>
    </message>
    <message>
        <source>抖动次数</source>
        <translation>抖动次数</translation>
    </message>
    <message>
        <source>首出次数</source>
        <translation>首出次数</translation>
    </message>
    <message>
        <source>搁置时长</source>
        <translation>搁置时长</translation>
    </message>
    <message>
        <source>10分钟内确认</source>
        <translation>10分钟内确认</translation>
    </message>
    <message>
        <source>未在10分钟内确认</source>
        <translation>未在10分钟内确认</translation>
    </message>
    <message>
        <source>超过24小时</source>
        <translation>超过24小时</translation>
    </message>
    <message>
        <source>无消除行</source>
        <translation>无消除行</translation>
    </message>
    <message>
        <source>结束时仍出现, 自</source>
        <translation>结束时仍出现, 自</translation>
    </message>
    <message>
        <source>工作目录中没有历史 (log/history.sqlite)。</source>
        <translation>工作目录中没有历史 (log/history.sqlite)。</translation>
    </message>
    <message>
        <source>历史中还没有事件。</source>
        <translation>历史中还没有事件。</translation>
    </message>
    <message>
        <source>历史从 %1 开始 (事件保留 400 天, 温度采样保留 90 天): 时段中更早的部分没有记录。</source>
        <translation>历史从 %1 开始 (事件保留 400 天, 温度采样保留 90 天): 时段中更早的部分没有记录。</translation>
    </message>
    <message>
        <source>历史的最后一行 (%1) 时仍出现的报警: %2 个; 时长算到那时为止。</source>
        <translation>历史的最后一行 (%1) 时仍出现的报警: %2 个; 时长算到那时为止。</translation>
    </message>
    <message>
        <source>没有消除行, 随程序的运行结束 (关闭串口, 链路中断, 程序意外结束)而结束的出现: %1 次, 其中因程序意外结束: %2 次; 时长算到那时为止。</source>
        <translation>没有消除行, 随程序的运行结束 (关闭串口, 链路中断, 程序意外结束)而结束的出现: %1 次, 其中因程序意外结束: %2 次; 时长算到那时为止。</translation>
    </message>
    <message>
        <source>两个程序同时打开串口写入本历史, 共 %1: 其间两者的报警行无法区分, 次数和时长可能不准。</source>
        <translation>两个程序同时打开串口写入本历史, 共 %1: 其间两者的报警行无法区分, 次数和时长可能不准。</translation>
    </message>
    <message>
        <source>没有对应出现行的消除行: %1 个; 未计入。</source>
        <translation>没有对应出现行的消除行: %1 个; 未计入。</translation>
    </message>
    <message>
        <source>报警已在出现时又出现 (缺少消除行, 或两个程序): %1 次; 前一次算到此时为止。</source>
        <translation>报警已在出现时又出现 (缺少消除行, 或两个程序): %1 次; 前一次算到此时为止。</translation>
    </message>
    <message>
        <source>无法计算的时长 (结束早于开始, 或超过 400 天: 写入时时钟有误): %1 段; 未计入。</source>
        <translation>无法计算的时长 (结束早于开始, 或超过 400 天: 写入时时钟有误): %1 段; 未计入。</translation>
    </message>
    <message>
        <source>%1 跳到 %2</source>
        <translation>%1 跳到 %2</translation>
    </message>
    <message>
        <source>系统时钟在时段中跳变: %1 次 (%2); 跳变本身不计入任何时长, 跳变前后的时间各按当时的时钟。</source>
        <translation>系统时钟在时段中跳变: %1 次 (%2); 跳变本身不计入任何时长, 跳变前后的时间各按当时的时钟。</translation>
    </message>
    <message>
        <source>时间比报告时晚一天以上的行 (写入时时钟超前): %1 行; 它们的次数和时长不在报告时之前的任何时段内。</source>
        <translation>时间比报告时晚一天以上的行 (写入时时钟超前): %1 行; 它们的次数和时长不在报告时之前的任何时段内。</translation>
    </message>
    <message>
        <source>时段中没有链路连通的记录: 平均值按整个时段计算。</source>
        <translation>时段中没有链路连通的记录: 平均值按整个时段计算。</translation>
    </message>
</context>
<context>
    <name>AlarmSummary</name>
    <message>
        <source>搁置报警</source>
        <translation>搁置报警</translation>
    </message>
    <message>
        <source>%1 分钟</source>
        <translation>%1 分钟</translation>
    </message>
    <message>
        <source>%1 小时</source>
        <translation>%1 小时</translation>
    </message>
    <message>
        <source>搁置</source>
        <translation>搁置</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>报警:</source>
        <translation>报警:</translation>
    </message>
    <message>
        <source>搁置时间(&amp;D):</source>
        <translation>搁置时间(&amp;D):</translation>
    </message>
    <message>
        <source>原因(&amp;R):</source>
        <translation>原因(&amp;R):</translation>
    </message>
    <message>
        <source>首出</source>
        <translation>首出</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>无</source>
        <translation>无</translation>
    </message>
    <message>
        <source>报警</source>
        <translation>报警</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>状态</translation>
    </message>
    <message>
        <source>报警于</source>
        <translation>报警于</translation>
    </message>
    <message>
        <source>恢复于</source>
        <translation>恢复于</translation>
    </message>
    <message>
        <source>次数</source>
        <translation>次数</translation>
    </message>
    <message>
        <source>搁置剩余</source>
        <translation>搁置剩余</translation>
    </message>
    <message>
        <source>%1 未确认</source>
        <translation>%1 未确认</translation>
    </message>
    <message>
        <source>；</source>
        <translation>；</translation>
    </message>
    <message>
        <source>确认(&amp;A)</source>
        <translation>确认(&amp;A)</translation>
    </message>
    <message>
        <source>全部确认(&amp;K)</source>
        <translation>全部确认(&amp;K)</translation>
    </message>
    <message>
        <source>搁置(&amp;V)…</source>
        <translation>搁置(&amp;V)…</translation>
    </message>
    <message>
        <source>取消搁置(&amp;N)</source>
        <translation>取消搁置(&amp;N)</translation>
    </message>
    <message>
        <source>报警汇总</source>
        <translation>报警汇总</translation>
    </message>
    <message>
        <source>搁置未能保存，只在本次运行中有效：%1</source>
        <translation>搁置未能保存，只在本次运行中有效：%1</translation>
    </message>
    <message>
        <source>报警汇总...</source>
        <translation>报警汇总...</translation>
    </message>
    <message>
        <source>打开报警汇总 (F9)</source>
        <translation>打开报警汇总 (F9)</translation>
    </message>
    <message>
        <source>报警汇总 - LASER SYSTEM</source>
        <translation>报警汇总 - LASER SYSTEM</translation>
    </message>
</context>
<context>
    <name>Alarms</name>
    <message>
        <source>、</source>
        <translation>、</translation>
    </message>
    <message>
        <source>正常</source>
        <translation>正常</translation>
    </message>
    <message>
        <source>报警，未确认</source>
        <translation>报警，未确认</translation>
    </message>
    <message>
        <source>报警，已确认</source>
        <translation>报警，已确认</translation>
    </message>
    <message>
        <source>已恢复，未确认</source>
        <translation>已恢复，未确认</translation>
    </message>
    <message>
        <source>已搁置</source>
        <translation>已搁置</translation>
    </message>
    <message>
        <source>无数据</source>
        <translation>无数据</translation>
    </message>
    <message>
        <source>随程序意外结束，未确认</source>
        <translation>随程序意外结束，未确认</translation>
    </message>
    <message>
        <source>报警: %1</source>
        <translation>报警: %1</translation>
    </message>
    <message>
        <source>首出: %1</source>
        <translation>首出: %1</translation>
    </message>
    <message>
        <source>报警泛滥: 10 分钟内 %1 次报警</source>
        <translation>报警泛滥: 10 分钟内 %1 次报警</translation>
    </message>
    <message>
        <source>报警泛滥已结束: 共 %1 次报警</source>
        <translation>报警泛滥已结束: 共 %1 次报警</translation>
    </message>
    <message>
        <source>搁置结束: %1 仍在报警</source>
        <translation>搁置结束: %1 仍在报警</translation>
    </message>
    <message>
        <source>搁置结束: %1</source>
        <translation>搁置结束: %1</translation>
    </message>
    <message>
        <source>上次程序意外结束时 %1 项报警未确认: %2</source>
        <translation>上次程序意外结束时 %1 项报警未确认: %2</translation>
    </message>
    <message>
        <source>无数据: 串口已关闭</source>
        <translation>无数据: 串口已关闭</translation>
    </message>
    <message>
        <source>无数据: 等待激光器的数据</source>
        <translation>无数据: 等待激光器的数据</translation>
    </message>
    <message>
        <source>无数据: 链路中断</source>
        <translation>无数据: 链路中断</translation>
    </message>
    <message>
        <source>报警泛滥: %1 次报警</source>
        <translation>报警泛滥: %1 次报警</translation>
    </message>
    <message>
        <source>急停报警不能搁置</source>
        <translation>急停报警不能搁置</translation>
    </message>
    <message>
        <source>安全连锁报警不能搁置</source>
        <translation>安全连锁报警不能搁置</translation>
    </message>
    <message>
        <source>光纤和QBH报警不能搁置：激光可能从光纤外射出</source>
        <translation>光纤和QBH报警不能搁置：激光可能从光纤外射出</translation>
    </message>
    <message>
        <source>这项报警不能搁置</source>
        <translation>这项报警不能搁置</translation>
    </message>
    <message>
        <source>搁置时间须在 15 分钟到 8 小时之间</source>
        <translation>搁置时间须在 15 分钟到 8 小时之间</translation>
    </message>
    <message>
        <source>没有这项报警</source>
        <translation>没有这项报警</translation>
    </message>
    <message>
        <source>%1 是符号链接，未读取：没有搁置</source>
        <translation>%1 是符号链接，未读取：没有搁置</translation>
    </message>
    <message>
        <source>%1 不是普通文件，未读取：没有搁置</source>
        <translation>%1 不是普通文件，未读取：没有搁置</translation>
    </message>
    <message>
        <source>%1 无法读取（%2）：没有搁置</source>
        <translation>%1 无法读取（%2）：没有搁置</translation>
    </message>
    <message>
        <source>%1 超过 %2 字节，未读取：没有搁置</source>
        <translation>%1 超过 %2 字节，未读取：没有搁置</translation>
    </message>
    <message>
        <source>%1 项搁置在程序关闭期间已结束</source>
        <translation>%1 项搁置在程序关闭期间已结束</translation>
    </message>
    <message>
        <source>%1 项不能搁置的报警未搁置</source>
        <translation>%1 项不能搁置的报警未搁置</translation>
    </message>
    <message>
        <source>%1 项未知报警超出上限，未搁置</source>
        <translation>%1 项未知报警超出上限，未搁置</translation>
    </message>
    <message>
        <source>；</source>
        <translation>；</translation>
    </message>
    <message>
        <source>另有 %1 项</source>
        <translation>另有 %1 项</translation>
    </message>
    <message>
        <source>%1 第 %2 行无法读取：没有搁置</source>
        <translation>%1 第 %2 行无法读取：没有搁置</translation>
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
        <translation>报警</translation>
    </message>
    <message>
        <source>正常</source>
        <translation>正常</translation>
    </message>
    <message>
        <source>%1：%2</source>
        <translation>%1：%2</translation>
    </message>
    <message>
        <source>%1: 链路正常，无报警</source>
        <translation>%1: 链路正常，无报警</translation>
    </message>
    <message>
        <source>%1: %2 项报警</source>
        <translation>%1: %2 项报警</translation>
    </message>
    <message>
        <source>另有 %1 项</source>
        <translation>另有 %1 项</translation>
    </message>
    <message>
        <source>激光器报警</source>
        <translation>激光器报警</translation>
    </message>
    <message>
        <source>串口链路中断</source>
        <translation>串口链路中断</translation>
    </message>
    <message>
        <source>%1: 链路中断，串口已关闭</source>
        <translation>%1: 链路中断，串口已关闭</translation>
    </message>
    <message>
        <source>%1（%2 次）</source>
        <translation>%1（%2 次）</translation>
    </message>
    <message>
        <source>另有 %1 次</source>
        <translation>另有 %1 次</translation>
    </message>
    <message>
        <source>保存选择</source>
        <translation>保存选择</translation>
    </message>
    <message>
        <source>无法保存 %1：
%2
此选择只在本次运行中有效。</source>
        <translation>无法保存 %1：
%2
此选择只在本次运行中有效。</translation>
    </message>
    <message>
        <source>灯旁显示形状</source>
        <translation>灯旁显示形状</translation>
    </message>
    <message>
        <source>报警桌面通知</source>
        <translation>报警桌面通知</translation>
    </message>
    <message>
        <source>显示窗口</source>
        <translation>显示窗口</translation>
    </message>
    <message>
        <source>串口已关闭，无数据</source>
        <translation>串口已关闭，无数据</translation>
    </message>
    <message>
        <source>%1: 无数据，等待激光器的数据</source>
        <translation>%1: 无数据，等待激光器的数据</translation>
    </message>
    <message>
        <source>%1: 链路中断，无数据</source>
        <translation>%1: 链路中断，无数据</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>用法: laser-fleet [Qt 选项]...
      laser-fleet --help | --version</source>
        <translation>用法: laser-fleet [Qt 选项]...
      laser-fleet --help | --version</translation>
    </message>
    <message>
        <source>窗口的 Qt 选项, 原样交给 Qt (-style 和 -stylesheet 也可写作 -style=NAME):</source>
        <translation>窗口的 Qt 选项, 原样交给 Qt (-style 和 -stylesheet 也可写作 -style=NAME):</translation>
    </message>
    <message>
        <source>打开光纤激光器上位机的窗口。程序从工作目录读取 config/ 和 language/,
历史记在其中的 log/ 里。</source>
        <translation>打开光纤激光器上位机的窗口。程序从工作目录读取 config/ 和 language/,
历史记在其中的 log/ 里。</translation>
    </message>
    <message>
        <source>  -h, --help             显示本帮助后结束
  --version              显示版本后结束</source>
        <translation>  -h, --help             显示本帮助后结束
  --version              显示版本后结束</translation>
    </message>
    <message>
        <source>打开车间总览窗口: 工厂 MQTT 代理上的每台激光器。程序从工作目录读取
config/plant.ini, config/language.gl 和 language/ 中的译文。</source>
        <translation>打开车间总览窗口: 工厂 MQTT 代理上的每台激光器。程序从工作目录读取
config/plant.ini, config/language.gl 和 language/ 中的译文。</translation>
    </message>
    <message>
        <source>退出状态: 0 窗口已关闭; 1 窗口无法启动 (原因在标准错误上); 2 参数
错误 (标准错误上有用法)。</source>
        <translation>退出状态: 0 窗口已关闭; 1 窗口无法启动 (原因在标准错误上); 2 参数
错误 (标准错误上有用法)。</translation>
    </message>
    <message>
        <source>参数 %1 不是已知的选项</source>
        <translation>参数 %1 不是已知的选项</translation>
    </message>
    <message>
        <source>未知的选项 %1</source>
        <translation>未知的选项 %1</translation>
    </message>
    <message>
        <source>参数 %1 缺少它的值</source>
        <translation>参数 %1 缺少它的值</translation>
    </message>
    <message>
        <source>%1 缺少它的值</source>
        <translation>%1 缺少它的值</translation>
    </message>
    <message>
        <source>%1 给出了两次</source>
        <translation>%1 给出了两次</translation>
    </message>
    <message>
        <source>参数 %1 不属于任何选项</source>
        <translation>参数 %1 不属于任何选项</translation>
    </message>
    <message>
        <source>--since 只接受 1h, 1d, 7d 或 all</source>
        <translation>--since 只接受 1h, 1d, 7d 或 all</translation>
    </message>
    <message>
        <source>详见 %1 --help。</source>
        <translation>详见 %1 --help。</translation>
    </message>
    <message>
        <source>诊断包未写入: 被信号 %1 中止, 已开始写的文件已删除</source>
        <translation>诊断包未写入: 被信号 %1 中止, 已开始写的文件已删除</translation>
    </message>
    <message>
        <source>诊断包未写入: %1</source>
        <translation>诊断包未写入: %1</translation>
    </message>
    <message>
        <source>参数 %1 不是本系统编码的文字</source>
        <translation>参数 %1 不是本系统编码的文字</translation>
    </message>
    <message>
        <source>单独的 -- 结束选项, 其后不能再有参数; 其他参数一律拒绝。</source>
        <translation>单独的 -- 结束选项, 其后不能再有参数; 其他参数一律拒绝。</translation>
    </message>
    <message>
        <source>报警报告已写入 %1</source>
        <translation>报警报告已写入 %1</translation>
    </message>
    <message>
        <source>报警报告未写入: 被信号 %1 中止</source>
        <translation>报警报告未写入: 被信号 %1 中止</translation>
    </message>
    <message>
        <source>报警报告未写入: %1</source>
        <translation>报警报告未写入: %1</translation>
    </message>
    <message>
        <source>用法: laser-host [Qt 选项]...
      laser-host --support-bundle FILE [--since 1h|1d|7d|all]
      laser-host --alarm-report FILE [--since 24h|7d|30d|90d|all]
      laser-host --help | --version</source>
        <translation>用法: laser-host [Qt 选项]...
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
        <translation>  --support-bundle FILE  把工作目录的诊断包 (zip 压缩包) 写到 FILE 后结束;
                         不开窗口, 不需要显示器; 相对的 FILE 以输入命令的
                         目录为准
  --since PERIOD         与 --support-bundle 一起: 诊断包所含 capture 文件
                         的时段: 1h, 1d (默认), 7d 或 all
  --alarm-report FILE    把工作目录历史的报警报告写到 FILE 后结束: .csv 为
                         CSV 表格, .html 为可打印的网页; 不开窗口
  --since PERIOD         与 --alarm-report 一起: 报告的时段: 24h, 7d,
                         30d (默认), 90d 或 all</translation>
    </message>
    <message>
        <source>退出状态: 0 窗口已关闭, 或诊断包或报告已写入; 1 诊断包或报告未写入,
或窗口无法启动 (原因在标准错误上); 2 参数错误 (标准错误上有用法)。写
诊断包或报告时收到 SIGINT, SIGTERM 或 SIGHUP: 删除已开始写的文件, 然后
以该信号结束。</source>
        <translation>退出状态: 0 窗口已关闭, 或诊断包或报告已写入; 1 诊断包或报告未写入,
或窗口无法启动 (原因在标准错误上); 2 参数错误 (标准错误上有用法)。写
诊断包或报告时收到 SIGINT, SIGTERM 或 SIGHUP: 删除已开始写的文件, 然后
以该信号结束。</translation>
    </message>
    <message>
        <source>--since 只能与 --support-bundle 或 --alarm-report 一起使用</source>
        <translation>--since 只能与 --support-bundle 或 --alarm-report 一起使用</translation>
    </message>
    <message>
        <source>--support-bundle 和 --alarm-report 一次只能用一个</source>
        <translation>--support-bundle 和 --alarm-report 一次只能用一个</translation>
    </message>
    <message>
        <source>--alarm-report 的 --since 只接受 24h, 7d, 30d, 90d 或 all</source>
        <translation>--alarm-report 的 --since 只接受 24h, 7d, 30d, 90d 或 all</translation>
    </message>
    <message>
        <source>--alarm-report 的文件名须以 .csv 或 .html 结尾</source>
        <translation>--alarm-report 的文件名须以 .csv 或 .html 结尾</translation>
    </message>
</context>
<context>
    <name>Diagnostics</name>
    <message>
        <source>诊断 - LASER SYSTEM</source>
        <translation>诊断 - LASER SYSTEM</translation>
    </message>
    <message>
        <source>事件</source>
        <translation>事件</translation>
    </message>
    <message>
        <source>报文</source>
        <translation>报文</translation>
    </message>
    <message>
        <source>趋势</source>
        <translation>趋势</translation>
    </message>
    <message>
        <source>链路</source>
        <translation>链路</translation>
    </message>
    <message>
        <source>诊断</source>
        <translation>诊断</translation>
    </message>
    <message>
        <source>链路诊断...</source>
        <translation>链路诊断...</translation>
    </message>
    <message>
        <source>尚无历史记录</source>
        <translation>尚无历史记录</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>时间</translation>
    </message>
    <message>
        <source>类别</source>
        <translation>类别</translation>
    </message>
    <message>
        <source>名称</source>
        <translation>名称</translation>
    </message>
    <message>
        <source>值</source>
        <translation>值</translation>
    </message>
    <message>
        <source>详情</source>
        <translation>详情</translation>
    </message>
    <message>
        <source>导出CSV</source>
        <translation>导出CSV</translation>
    </message>
    <message>
        <source>导出失败: %1</source>
        <translation>导出失败: %1</translation>
    </message>
    <message>
        <source>全部</source>
        <translation>全部</translation>
    </message>
    <message>
        <source>报警</source>
        <translation>报警</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>状态</translation>
    </message>
    <message>
        <source>命令</source>
        <translation>命令</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>最近一小时</source>
        <translation>最近一小时</translation>
    </message>
    <message>
        <source>最近一天</source>
        <translation>最近一天</translation>
    </message>
    <message>
        <source>最近一周</source>
        <translation>最近一周</translation>
    </message>
    <message>
        <source>类别:</source>
        <translation>类别:</translation>
    </message>
    <message>
        <source>时间:</source>
        <translation>时间:</translation>
    </message>
    <message>
        <source>文字:</source>
        <translation>文字:</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>刷新</translation>
    </message>
    <message>
        <source>导出CSV...</source>
        <translation>导出CSV...</translation>
    </message>
    <message>
        <source>方向</source>
        <translation>方向</translation>
    </message>
    <message>
        <source>代码</source>
        <translation>代码</translation>
    </message>
    <message>
        <source>十六进制</source>
        <translation>十六进制</translation>
    </message>
    <message>
        <source>校验</source>
        <translation>校验</translation>
    </message>
    <message>
        <source>内容</source>
        <translation>内容</translation>
    </message>
    <message>
        <source>继续</source>
        <translation>继续</translation>
    </message>
    <message>
        <source>暂停</source>
        <translation>暂停</translation>
    </message>
    <message>
        <source>代码:</source>
        <translation>代码:</translation>
    </message>
    <message>
        <source>仅校验失败</source>
        <translation>仅校验失败</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>清除</translation>
    </message>
    <message>
        <source>打开记录文件夹</source>
        <translation>打开记录文件夹</translation>
    </message>
    <message>
        <source>%1 未打开</source>
        <translation>%1 未打开</translation>
    </message>
    <message>
        <source>%1 已打开  %2 帧/秒  校验失败 %3</source>
        <translation>%1 已打开  %2 帧/秒  校验失败 %3</translation>
    </message>
    <message>
        <source>端口错误: %1</source>
        <translation>端口错误: %1</translation>
    </message>
    <message>
        <source>%1 打开失败: %2</source>
        <translation>%1 打开失败: %2</translation>
    </message>
    <message>
        <source>%1 已关闭</source>
        <translation>%1 已关闭</translation>
    </message>
    <message>
        <source>%1 链路中断</source>
        <translation>%1 链路中断</translation>
    </message>
    <message>
        <source>%1 设备已断开: %2</source>
        <translation>%1 设备已断开: %2</translation>
    </message>
    <message>
        <source>历史记录: %1</source>
        <translation>历史记录: %1</translation>
    </message>
    <message>
        <source>端口</source>
        <translation>端口</translation>
    </message>
    <message>
        <source>接收字节</source>
        <translation>接收字节</translation>
    </message>
    <message>
        <source>发送字节</source>
        <translation>发送字节</translation>
    </message>
    <message>
        <source>接收帧</source>
        <translation>接收帧</translation>
    </message>
    <message>
        <source>发送帧</source>
        <translation>发送帧</translation>
    </message>
    <message>
        <source>校验失败次数</source>
        <translation>校验失败次数</translation>
    </message>
    <message>
        <source>未知代码帧</source>
        <translation>未知代码帧</translation>
    </message>
    <message>
        <source>噪声字节</source>
        <translation>噪声字节</translation>
    </message>
    <message>
        <source>提前处理</source>
        <translation>提前处理</translation>
    </message>
    <message>
        <source>帧/秒</source>
        <translation>帧/秒</translation>
    </message>
    <message>
        <source>距上一帧</source>
        <translation>距上一帧</translation>
    </message>
    <message>
        <source>最后端口错误</source>
        <translation>最后端口错误</translation>
    </message>
    <message>
        <source>历史记录</source>
        <translation>历史记录</translation>
    </message>
    <message>
        <source>已打开</source>
        <translation>已打开</translation>
    </message>
    <message>
        <source>未打开</source>
        <translation>未打开</translation>
    </message>
    <message>
        <source>%1 秒</source>
        <translation>%1 秒</translation>
    </message>
    <message>
        <source>正常</source>
        <translation>正常</translation>
    </message>
    <message>
        <source>帧数</source>
        <translation>帧数</translation>
    </message>
    <message>
        <source>计数清零</source>
        <translation>计数清零</translation>
    </message>
    <message>
        <source>导出PNG</source>
        <translation>导出PNG</translation>
    </message>
    <message>
        <source>无法写入 %1</source>
        <translation>无法写入 %1</translation>
    </message>
    <message>
        <source>最近10分钟</source>
        <translation>最近10分钟</translation>
    </message>
    <message>
        <source>时段:</source>
        <translation>时段:</translation>
    </message>
    <message>
        <source>导出PNG...</source>
        <translation>导出PNG...</translation>
    </message>
    <message>
        <source>T3温度(C)</source>
        <translation>T3温度(C)</translation>
    </message>
    <message>
        <source>T4温度(C)</source>
        <translation>T4温度(C)</translation>
    </message>
    <message>
        <source>露点温度(C)</source>
        <translation>露点温度(C)</translation>
    </message>
    <message>
        <source>工厂链路</source>
        <translation>工厂链路</translation>
    </message>
    <message>
        <source>未配置</source>
        <translation>未配置</translation>
    </message>
    <message>
        <source>最近30天</source>
        <translation>最近30天</translation>
    </message>
    <message>
        <source>最近90天</source>
        <translation>最近90天</translation>
    </message>
    <message>
        <source>自定义</source>
        <translation>自定义</translation>
    </message>
    <message>
        <source>至</source>
        <translation>至</translation>
    </message>
    <message>
        <source>复位</source>
        <translation>复位</translation>
    </message>
    <message>
        <source>正在读取...</source>
        <translation>正在读取...</translation>
    </message>
    <message>
        <source>起始时间须早于结束时间</source>
        <translation>起始时间须早于结束时间</translation>
    </message>
    <message>
        <source>已导出 %1</source>
        <translation>已导出 %1</translation>
    </message>
    <message>
        <source>接收</source>
        <translation>接收</translation>
    </message>
    <message>
        <source>发送</source>
        <translation>发送</translation>
    </message>
    <message>
        <source>跳过</source>
        <translation>跳过</translation>
    </message>
    <message>
        <source>校验正确</source>
        <translation>校验正确</translation>
    </message>
    <message>
        <source>校验失败</source>
        <translation>校验失败</translation>
    </message>
    <message>
        <source>无校验</source>
        <translation>无校验</translation>
    </message>
    <message>
        <source>未知代码</source>
        <translation>未知代码</translation>
    </message>
    <message>
        <source>%1 最小</source>
        <translation>%1 最小</translation>
    </message>
    <message>
        <source>%1 最大</source>
        <translation>%1 最大</translation>
    </message>
    <message>
        <source>%1 平均</source>
        <translation>%1 平均</translation>
    </message>
    <message>
        <source>日志文件夹大小</source>
        <translation>日志文件夹大小</translation>
    </message>
    <message>
        <source>当前报警: %1</source>
        <translation>当前报警: %1</translation>
    </message>
    <message>
        <source>当前无报警</source>
        <translation>当前无报警</translation>
    </message>
    <message>
        <source>当前报警 (%1):</source>
        <translation>当前报警 (%1):</translation>
    </message>
    <message>
        <source>%1  自 %2  已持续 %3</source>
        <translation>%1  自 %2  已持续 %3</translation>
    </message>
    <message>
        <source>键</source>
        <translation>键</translation>
    </message>
    <message>
        <source>存储值</source>
        <translation>存储值</translation>
    </message>
    <message>
        <source>当前报警数</source>
        <translation>当前报警数</translation>
    </message>
    <message>
        <source>当前报警</source>
        <translation>当前报警</translation>
    </message>
    <message>
        <source>，</source>
        <translation>，</translation>
    </message>
    <message>
        <source>时钟</source>
        <translation>时钟</translation>
    </message>
    <message>
        <source>已取消</source>
        <translation>已取消</translation>
    </message>
    <message>
        <source>另一个导出还在进行</source>
        <translation>另一个导出还在进行</translation>
    </message>
    <message>
        <source>已导出到 %1</source>
        <translation>已导出到 %1</translation>
    </message>
    <message>
        <source>正在导出到 %1 ...</source>
        <translation>正在导出到 %1 ...</translation>
    </message>
    <message>
        <source>取消导出</source>
        <translation>取消导出</translation>
    </message>
    <message>
        <source>正在导出... 已写入 %1 行</source>
        <translation>正在导出... 已写入 %1 行</translation>
    </message>
    <message>
        <source>导出已取消, 未留下文件</source>
        <translation>导出已取消, 未留下文件</translation>
    </message>
    <message>
        <source>报警报告</source>
        <translation>报警报告</translation>
    </message>
    <message>
        <source>用时 %1 毫秒</source>
        <translation>用时 %1 毫秒</translation>
    </message>
    <message>
        <source>; 其中 %1 行尚未汇总, 已逐行读取</source>
        <translation>; 其中 %1 行尚未汇总, 已逐行读取</translation>
    </message>
    <message>
        <source>另有 %1 个报警未列出; 导出的文件中有全部报警。</source>
        <translation>另有 %1 个报警未列出; 导出的文件中有全部报警。</translation>
    </message>
    <message>
        <source>导出打印页</source>
        <translation>导出打印页</translation>
    </message>
    <message>
        <source>时段(&amp;T):</source>
        <translation>时段(&amp;T):</translation>
    </message>
    <message>
        <source>刷新(&amp;R)</source>
        <translation>刷新(&amp;R)</translation>
    </message>
    <message>
        <source>导出CSV(&amp;C)...</source>
        <translation>导出CSV(&amp;C)...</translation>
    </message>
    <message>
        <source>导出打印页(&amp;P)...</source>
        <translation>导出打印页(&amp;P)...</translation>
    </message>
    <message>
        <source>报警处理</source>
        <translation>报警处理</translation>
    </message>
</context>
<context>
    <name>Fleet</name>
    <message>
        <source> 秒</source>
        <translation> 秒</translation>
    </message>
    <message>
        <source>%1 分</source>
        <translation>%1 分</translation>
    </message>
    <message>
        <source>%1 天</source>
        <translation>%1 天</translation>
    </message>
    <message>
        <source>%1 小时</source>
        <translation>%1 小时</translation>
    </message>
    <message>
        <source>%1 秒</source>
        <translation>%1 秒</translation>
    </message>
    <message>
        <source>%1 条新报警</source>
        <translation>%1 条新报警</translation>
    </message>
    <message>
        <source>%1（模块%2）</source>
        <translation>%1（模块%2）</translation>
    </message>
    <message>
        <source>laser_id与主题不符</source>
        <translation>laser_id与主题不符</translation>
    </message>
    <message>
        <source>不是JSON</source>
        <translation>不是JSON</translation>
    </message>
    <message>
        <source>串口</source>
        <translation>串口</translation>
    </message>
    <message>
        <source>主题不符</source>
        <translation>主题不符</translation>
    </message>
    <message>
        <source>仍在报警</source>
        <translation>仍在报警</translation>
    </message>
    <message>
        <source>值</source>
        <translation>值</translation>
    </message>
    <message>
        <source>全部确认</source>
        <translation>全部确认</translation>
    </message>
    <message>
        <source>关</source>
        <translation>关</translation>
    </message>
    <message>
        <source>开</source>
        <translation>开</translation>
    </message>
    <message>
        <source>发布时间</source>
        <translation>发布时间</translation>
    </message>
    <message>
        <source>名称</source>
        <translation>名称</translation>
    </message>
    <message>
        <source>在线</source>
        <translation>在线</translation>
    </message>
    <message>
        <source>大于64 KiB</source>
        <translation>大于64 KiB</translation>
    </message>
    <message>
        <source>字段类型错误</source>
        <translation>字段类型错误</translation>
    </message>
    <message>
        <source>已忽略 %1 条消息（%2）</source>
        <translation>已忽略 %1 条消息（%2）</translation>
    </message>
    <message>
        <source>已打开</source>
        <translation>已打开</translation>
    </message>
    <message>
        <source>已清除 %1</source>
        <translation>已清除 %1</translation>
    </message>
    <message>
        <source>已确认</source>
        <translation>已确认</translation>
    </message>
    <message>
        <source>未确认</source>
        <translation>未确认</translation>
    </message>
    <message>
        <source>报警</source>
        <translation>报警</translation>
    </message>
    <message>
        <source>报警列表已达上限 %1 条：最早的 %2 条已删去</source>
        <translation>报警列表已达上限 %1 条：最早的 %2 条已删去</translation>
    </message>
    <message>
        <source>报警列表（%1 条未确认）</source>
        <translation>报警列表（%1 条未确认）</translation>
    </message>
    <message>
        <source>报警（离线 自 %1）</source>
        <translation>报警（离线 自 %1）</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>时间</translation>
    </message>
    <message>
        <source>显示的模块</source>
        <translation>显示的模块</translation>
    </message>
    <message>
        <source>最后一帧</source>
        <translation>最后一帧</translation>
    </message>
    <message>
        <source>来不及处理：%1 条消息丢弃</source>
        <translation>来不及处理：%1 条消息丢弃</translation>
    </message>
    <message>
        <source>模块</source>
        <translation>模块</translation>
    </message>
    <message>
        <source>模块%1</source>
        <translation>模块%1</translation>
    </message>
    <message>
        <source>正常</source>
        <translation>正常</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>清除</translation>
    </message>
    <message>
        <source>温度</source>
        <translation>温度</translation>
    </message>
    <message>
        <source>激光器</source>
        <translation>激光器</translation>
    </message>
    <message>
        <source>激光器、端口、状态或报警</source>
        <translation>激光器、端口、状态或报警</translation>
    </message>
    <message>
        <source>激光器已达上限 %1 台：%2 条消息未采用</source>
        <translation>激光器已达上限 %1 台：%2 条消息未采用</translation>
    </message>
    <message>
        <source>激光器总览</source>
        <translation>激光器总览</translation>
    </message>
    <message>
        <source>激光器总览 - %1 台激光器：%2 台报警，%3 台离线 - LASER SYSTEM</source>
        <translation>激光器总览 - %1 台激光器：%2 台报警，%3 台离线 - LASER SYSTEM</translation>
    </message>
    <message>
        <source>激光器报警</source>
        <translation>激光器报警</translation>
    </message>
    <message>
        <source>激光器标识含异常字符</source>
        <translation>激光器标识含异常字符</translation>
    </message>
    <message>
        <source>版本</source>
        <translation>版本</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>状态</translation>
    </message>
    <message>
        <source>状态超过多久算离线:</source>
        <translation>状态超过多久算离线:</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>确认</translation>
    </message>
    <message>
        <source>确认所选</source>
        <translation>确认所选</translation>
    </message>
    <message>
        <source>离线 自 %1</source>
        <translation>离线 自 %1</translation>
    </message>
    <message>
        <source>空消息</source>
        <translation>空消息</translation>
    </message>
    <message>
        <source>筛选:</source>
        <translation>筛选:</translation>
    </message>
    <message>
        <source>类别</source>
        <translation>类别</translation>
    </message>
    <message>
        <source>缺少字段</source>
        <translation>缺少字段</translation>
    </message>
    <message>
        <source>自本窗口启动以来的事件</source>
        <translation>自本窗口启动以来的事件</translation>
    </message>
    <message>
        <source>自本窗口启动以来的事件（最新的 %1 条，较早的 %2 条已丢弃）</source>
        <translation>自本窗口启动以来的事件（最新的 %1 条，较早的 %2 条已丢弃）</translation>
    </message>
    <message>
        <source>详情</source>
        <translation>详情</translation>
    </message>
    <message>
        <source>选择一台激光器查看详情</source>
        <translation>选择一台激光器查看详情</translation>
    </message>
    <message>
        <source>项目</source>
        <translation>项目</translation>
    </message>
    <message>
        <source>，</source>
        <translation>，</translation>
    </message>
    <message>
        <source>激光器已移除 %1</source>
        <translation>激光器已移除 %1</translation>
    </message>
    <message>
        <source>无效</source>
        <translation>无效</translation>
    </message>
    <message>
        <source>激光器已达上限 %1 台：%2 台离线最久的已移除</source>
        <translation>激光器已达上限 %1 台：%2 台离线最久的已移除</translation>
    </message>
    <message>
        <source>离线超过 %1 天：%2 台激光器已移除</source>
        <translation>离线超过 %1 天：%2 台激光器已移除</translation>
    </message>
    <message>
        <source>每条状态至多显示 %1 个未知报警：%2 个未显示</source>
        <translation>每条状态至多显示 %1 个未知报警：%2 个未显示</translation>
    </message>
    <message>
        <source>内存上限 %1 MiB：%2 条状态内容未保留</source>
        <translation>内存上限 %1 MiB：%2 条状态内容未保留</translation>
    </message>
    <message>
        <source>每台激光器保留最新 %1 条事件（至多 %2 KiB）：%3 条较早的已删去</source>
        <translation>每台激光器保留最新 %1 条事件（至多 %2 KiB）：%3 条较早的已删去</translation>
    </message>
    <message>
        <source>另有 %1 项未显示</source>
        <translation>另有 %1 项未显示</translation>
    </message>
    <message>
        <source>状态内容未保留（已达内存上限）</source>
        <translation>状态内容未保留（已达内存上限）</translation>
    </message>
    <message>
        <source>主机时钟比本机快 %1</source>
        <translation>主机时钟比本机快 %1</translation>
    </message>
    <message>
        <source>主机时钟比本机慢 %1</source>
        <translation>主机时钟比本机慢 %1</translation>
    </message>
    <message>
        <source>报警（离线，时间不明）</source>
        <translation>报警（离线，时间不明）</translation>
    </message>
    <message>
        <source>离线（时间不明）</source>
        <translation>离线（时间不明）</translation>
    </message>
    <message>
        <source>另有 %1 个未知报警</source>
        <translation>另有 %1 个未知报警</translation>
    </message>
    <message>
        <source>（两台主机使用此 ID）</source>
        <translation>（两台主机使用此 ID）</translation>
    </message>
    <message>
        <source>全厂频发报警（各主机报警统计）</source>
        <translation>全厂频发报警（各主机报警统计）</translation>
    </message>
    <message>
        <source>最近 7 天</source>
        <translation>最近 7 天</translation>
    </message>
    <message>
        <source>最近 24 小时</source>
        <translation>最近 24 小时</translation>
    </message>
    <message>
        <source>出现次数</source>
        <translation>出现次数</translation>
    </message>
    <message>
        <source>报警时长</source>
        <translation>报警时长</translation>
    </message>
    <message>
        <source>抖动次数</source>
        <translation>抖动次数</translation>
    </message>
    <message>
        <source>首出次数</source>
        <translation>首出次数</translation>
    </message>
    <message>
        <source>另有 %1 个报警</source>
        <translation>另有 %1 个报警</translation>
    </message>
    <message>
        <source>统计时间</source>
        <translation>统计时间</translation>
    </message>
    <message>
        <source>报警统计大于16 KiB</source>
        <translation>报警统计大于16 KiB</translation>
    </message>
    <message>
        <source>版本较新</source>
        <translation>版本较新</translation>
    </message>
    <message>
        <source>%1 条报警统计属于未保留的激光器</source>
        <translation>%1 条报警统计属于未保留的激光器</translation>
    </message>
    <message>
        <source>主机上未确认的报警</source>
        <translation>主机上未确认的报警</translation>
    </message>
    <message>
        <source>主机上 %1 未确认</source>
        <translation>主机上 %1 未确认</translation>
    </message>
</context>
<context>
    <name>History</name>
    <message>
        <source>已打开</source>
        <translation>已打开</translation>
    </message>
    <message>
        <source>打开失败</source>
        <translation>打开失败</translation>
    </message>
    <message>
        <source>已关闭</source>
        <translation>已关闭</translation>
    </message>
    <message>
        <source>链路中断</source>
        <translation>链路中断</translation>
    </message>
    <message>
        <source>设备已拔出</source>
        <translation>设备已拔出</translation>
    </message>
    <message>
        <source>端口错误</source>
        <translation>端口错误</translation>
    </message>
    <message>
        <source>状态已清除</source>
        <translation>状态已清除</translation>
    </message>
    <message>
        <source>清除所有故障</source>
        <translation>清除所有故障</translation>
    </message>
    <message>
        <source>直流开关</source>
        <translation>直流开关</translation>
    </message>
    <message>
        <source>读回设置</source>
        <translation>读回设置</translation>
    </message>
    <message>
        <source>写入设置</source>
        <translation>写入设置</translation>
    </message>
    <message>
        <source>参数请求</source>
        <translation>参数请求</translation>
    </message>
    <message>
        <source>设置已读回</source>
        <translation>设置已读回</translation>
    </message>
    <message>
        <source>设置已写入</source>
        <translation>设置已写入</translation>
    </message>
    <message>
        <source>开</source>
        <translation>开</translation>
    </message>
    <message>
        <source>关</source>
        <translation>关</translation>
    </message>
    <message>
        <source>已发送</source>
        <translation>已发送</translation>
    </message>
    <message>
        <source>已请求</source>
        <translation>已请求</translation>
    </message>
    <message>
        <source>出现</source>
        <translation>出现</translation>
    </message>
    <message>
        <source>消除</source>
        <translation>消除</translation>
    </message>
    <message>
        <source>%1：%2</source>
        <translation>%1：%2</translation>
    </message>
    <message>
        <source>模块%1 %2</source>
        <translation>模块%1 %2</translation>
    </message>
    <message>
        <source>驱动板%1 通道%2 %3</source>
        <translation>驱动板%1 通道%2 %3</translation>
    </message>
    <message>
        <source>串口</source>
        <translation>串口</translation>
    </message>
    <message>
        <source>%1 秒</source>
        <translation>%1 秒</translation>
    </message>
    <message>
        <source>%1 分 %2 秒</source>
        <translation>%1 分 %2 秒</translation>
    </message>
    <message>
        <source>%1 小时 %2 分</source>
        <translation>%1 小时 %2 分</translation>
    </message>
    <message>
        <source>%1 天 %2 小时</source>
        <translation>%1 天 %2 小时</translation>
    </message>
    <message>
        <source>队列已满, %1 行未记录</source>
        <translation>队列已满, %1 行未记录</translation>
    </message>
    <message>
        <source>队列已满, %1 字节抓包数据未记录</source>
        <translation>队列已满, %1 字节抓包数据未记录</translation>
    </message>
    <message>
        <source>抓包停止: %1</source>
        <translation>抓包停止: %1</translation>
    </message>
    <message>
        <source>事件未记录: %1</source>
        <translation>事件未记录: %1</translation>
    </message>
    <message>
        <source>数据库被其他程序锁定, %1 行等待写入</source>
        <translation>数据库被其他程序锁定, %1 行等待写入</translation>
    </message>
    <message>
        <source>等待写入的行过多, 最早的 %1 行已放弃</source>
        <translation>等待写入的行过多, 最早的 %1 行已放弃</translation>
    </message>
    <message>
        <source>抓包文件超出上限 %1 字节: 其他程序正在写入的文件不删除</source>
        <translation>抓包文件超出上限 %1 字节: 其他程序正在写入的文件不删除</translation>
    </message>
    <message>
        <source>已恢复: 队列重新接收数据行, 共 %1 行未记录</source>
        <translation>已恢复: 队列重新接收数据行, 共 %1 行未记录</translation>
    </message>
    <message>
        <source>已恢复: 队列重新接收抓包数据, 共 %1 字节未记录</source>
        <translation>已恢复: 队列重新接收抓包数据, 共 %1 字节未记录</translation>
    </message>
    <message>
        <source>已恢复: 抓包继续写入 %1, 丢失 %2 字节</source>
        <translation>已恢复: 抓包继续写入 %1, 丢失 %2 字节</translation>
    </message>
    <message>
        <source>已恢复: 事件重新记录, 等待的 %1 行已写入</source>
        <translation>已恢复: 事件重新记录, 等待的 %1 行已写入</translation>
    </message>
    <message>
        <source>已恢复: 数据库锁已释放, 等待的 %1 行已写入</source>
        <translation>已恢复: 数据库锁已释放, 等待的 %1 行已写入</translation>
    </message>
    <message>
        <source>已恢复: 数据行重新写入, 共放弃 %1 行</source>
        <translation>已恢复: 数据行重新写入, 共放弃 %1 行</translation>
    </message>
    <message>
        <source>已恢复: 抓包文件回到上限以内</source>
        <translation>已恢复: 抓包文件回到上限以内</translation>
    </message>
    <message>
        <source>数据库已损坏, 另存为 %1, 已新建数据库</source>
        <translation>数据库已损坏, 另存为 %1, 已新建数据库</translation>
    </message>
    <message>
        <source>程序意外结束</source>
        <translation>程序意外结束</translation>
    </message>
    <message>
        <source>向前跳变</source>
        <translation>向前跳变</translation>
    </message>
    <message>
        <source>向后跳变</source>
        <translation>向后跳变</translation>
    </message>
    <message>
        <source>系统时钟</source>
        <translation>系统时钟</translation>
    </message>
    <message>
        <source>时钟比最新记录晚 %1 (%2 → %3), 保持一天后才按它删除旧记录</source>
        <translation>时钟比最新记录晚 %1 (%2 → %3), 保持一天后才按它删除旧记录</translation>
    </message>
    <message>
        <source>时钟向前跳变 %1 (%2 → %3), 保持一天后才按它删除旧记录</source>
        <translation>时钟向前跳变 %1 (%2 → %3), 保持一天后才按它删除旧记录</translation>
    </message>
    <message>
        <source>时钟向后跳变 %1 (%2 → %3)</source>
        <translation>时钟向后跳变 %1 (%2 → %3)</translation>
    </message>
    <message>
        <source>报警处理</source>
        <translation>报警处理</translation>
    </message>
    <message>
        <source>首出</source>
        <translation>首出</translation>
    </message>
    <message>
        <source>已确认</source>
        <translation>已确认</translation>
    </message>
    <message>
        <source>已搁置</source>
        <translation>已搁置</translation>
    </message>
    <message>
        <source>已取消搁置</source>
        <translation>已取消搁置</translation>
    </message>
    <message>
        <source>搁置结束</source>
        <translation>搁置结束</translation>
    </message>
    <message>
        <source>随程序意外结束</source>
        <translation>随程序意外结束</translation>
    </message>
</context>
<context>
    <name>Plant</name>
    <message>
        <source>url 不是有效的地址（应为 mqtt://host:1883 或 mqtts://host:8883）</source>
        <translation>url 不是有效的地址（应为 mqtt://host:1883 或 mqtts://host:8883）</translation>
    </message>
    <message>
        <source>url 必须以 mqtt:// 或 mqtts:// 开头</source>
        <translation>url 必须以 mqtt:// 或 mqtts:// 开头</translation>
    </message>
    <message>
        <source>url 不得含用户名或密码；请用 username 和 password 两个键</source>
        <translation>url 不得含用户名或密码；请用 username 和 password 两个键</translation>
    </message>
    <message>
        <source>url 不得含路径</source>
        <translation>url 不得含路径</translation>
    </message>
    <message>
        <source>url 不得含查询或片段</source>
        <translation>url 不得含查询或片段</translation>
    </message>
    <message>
        <source>url 的端口不在 1 到 65535 之间</source>
        <translation>url 的端口不在 1 到 65535 之间</translation>
    </message>
    <message>
        <source>%1 第%2行: %3</source>
        <translation>%1 第%2行: %3</translation>
    </message>
    <message>
        <source>不是 UTF-8 文本</source>
        <translation>不是 UTF-8 文本</translation>
    </message>
    <message>
        <source>节标题缺少 ]</source>
        <translation>节标题缺少 ]</translation>
    </message>
    <message>
        <source>未知的节；唯一的节是 [mqtt]</source>
        <translation>未知的节；唯一的节是 [mqtt]</translation>
    </message>
    <message>
        <source>[mqtt] 出现了两次</source>
        <translation>[mqtt] 出现了两次</translation>
    </message>
    <message>
        <source>应为 键 = 值</source>
        <translation>应为 键 = 值</translation>
    </message>
    <message>
        <source>[mqtt] 节之前有键</source>
        <translation>[mqtt] 节之前有键</translation>
    </message>
    <message>
        <source>%1 给出了两次</source>
        <translation>%1 给出了两次</translation>
    </message>
    <message>
        <source>没有 [mqtt] 节</source>
        <translation>没有 [mqtt] 节</translation>
    </message>
    <message>
        <source>缺少 url</source>
        <translation>缺少 url</translation>
    </message>
    <message>
        <source>给出了 password 却没有 username</source>
        <translation>给出了 password 却没有 username</translation>
    </message>
    <message>
        <source>ca_file 需要 mqtts:// 的 url</source>
        <translation>ca_file 需要 mqtts:// 的 url</translation>
    </message>
    <message>
        <source>ca_file 无法读取: %1</source>
        <translation>ca_file 无法读取: %1</translation>
    </message>
    <message>
        <source>topic_prefix 须非空，且不含 +、# 或空的层级</source>
        <translation>topic_prefix 须非空，且不含 +、# 或空的层级</translation>
    </message>
    <message>
        <source>%1: 无法读取</source>
        <translation>%1: 无法读取</translation>
    </message>
    <message>
        <source>%1: 文件太大，不是设置文件</source>
        <translation>%1: 文件太大，不是设置文件</translation>
    </message>
    <message>
        <source>代理服务器拒绝了协议版本</source>
        <translation>代理服务器拒绝了协议版本</translation>
    </message>
    <message>
        <source>代理服务器拒绝了客户端标识</source>
        <translation>代理服务器拒绝了客户端标识</translation>
    </message>
    <message>
        <source>代理服务器不可用</source>
        <translation>代理服务器不可用</translation>
    </message>
    <message>
        <source>代理服务器拒绝登录: 用户名或密码错误</source>
        <translation>代理服务器拒绝登录: 用户名或密码错误</translation>
    </message>
    <message>
        <source>代理服务器拒绝登录: 未获授权</source>
        <translation>代理服务器拒绝登录: 未获授权</translation>
    </message>
    <message>
        <source>此版本的 MQTT 库不支持 TLS</source>
        <translation>此版本的 MQTT 库不支持 TLS</translation>
    </message>
    <message>
        <source>无法连接代理服务器，或其证书不受信任</source>
        <translation>无法连接代理服务器，或其证书不受信任</translation>
    </message>
    <message>
        <source>无法连接代理服务器</source>
        <translation>无法连接代理服务器</translation>
    </message>
    <message>
        <source>密码未加密传输（url 不是 mqtts://）</source>
        <translation>密码未加密传输（url 不是 mqtts://）</translation>
    </message>
    <message>
        <source>工厂链路关闭: %1</source>
        <translation>工厂链路关闭: %1</translation>
    </message>
    <message>
        <source>工厂链路: 正在连接 %1</source>
        <translation>工厂链路: 正在连接 %1</translation>
    </message>
    <message>
        <source>工厂链路: 已连接 %1</source>
        <translation>工厂链路: 已连接 %1</translation>
    </message>
    <message>
        <source>工厂链路: 正在重新连接 %1</source>
        <translation>工厂链路: 正在重新连接 %1</translation>
    </message>
    <message>
        <source>; 缓存 %1 条</source>
        <translation>; 缓存 %1 条</translation>
    </message>
    <message>
        <source>; 丢弃 %1 条</source>
        <translation>; 丢弃 %1 条</translation>
    </message>
    <message>
        <source>MQTT 库拒绝了该地址（代码 %1）</source>
        <translation>MQTT 库拒绝了该地址（代码 %1）</translation>
    </message>
    <message>
        <source>连接中断</source>
        <translation>连接中断</translation>
    </message>
    <message>
        <source>有一条消息未被接受</source>
        <translation>有一条消息未被接受</translation>
    </message>
    <message>
        <source>不是普通文件</source>
        <translation>不是普通文件</translation>
    </message>
    <message>
        <source>代理服务器拒绝了订阅</source>
        <translation>代理服务器拒绝了订阅</translation>
    </message>
    <message>
        <source>代理服务器要求改连另一台服务器</source>
        <translation>代理服务器要求改连另一台服务器</translation>
    </message>
    <message>
        <source>代理服务器限制了连接频率</source>
        <translation>代理服务器限制了连接频率</translation>
    </message>
    <message>
        <source>代理服务器拒绝了连接（原因代码 %1）</source>
        <translation>代理服务器拒绝了连接（原因代码 %1）</translation>
    </message>
    <message>
        <source>%1 可被其他用户读取（chmod 600）</source>
        <translation>%1 可被其他用户读取（chmod 600）</translation>
    </message>
    <message>
        <source>客户端证书 %1 起才生效（按本机时钟）</source>
        <translation>客户端证书 %1 起才生效（按本机时钟）</translation>
    </message>
    <message>
        <source>客户端证书已于 %1 过期</source>
        <translation>客户端证书已于 %1 过期</translation>
    </message>
    <message>
        <source>客户端证书将于 %1 到期（剩余天数: %2）</source>
        <translation>客户端证书将于 %1 到期（剩余天数: %2）</translation>
    </message>
    <message>
        <source>客户端证书 %1: 有效期 %2 至 %3</source>
        <translation>客户端证书 %1: 有效期 %2 至 %3</translation>
    </message>
    <message>
        <source>工厂链路: %1 拒绝了 MQTT 5，改用 3.1.1</source>
        <translation>工厂链路: %1 拒绝了 MQTT 5，改用 3.1.1</translation>
    </message>
    <message>
        <source>代理服务器拒绝了 MQTT 5，改用 3.1.1</source>
        <translation>代理服务器拒绝了 MQTT 5，改用 3.1.1</translation>
    </message>
    <message>
        <source>太大（超过 %1 KiB）</source>
        <translation>太大（超过 %1 KiB）</translation>
    </message>
    <message>
        <source>未知的键（已知: %1）</source>
        <translation>未知的键（已知: %1）</translation>
    </message>
    <message>
        <source>%1 为空</source>
        <translation>%1 为空</translation>
    </message>
    <message>
        <source>protocol 须为 5 或 3.1.1</source>
        <translation>protocol 须为 5 或 3.1.1</translation>
    </message>
    <message>
        <source>未知的键 %1，是否为 %2？</source>
        <translation>未知的键 %1，是否为 %2？</translation>
    </message>
    <message>
        <source>password 和 password_file 只能给出一个</source>
        <translation>password 和 password_file 只能给出一个</translation>
    </message>
    <message>
        <source>给出了 password_file 却没有 username</source>
        <translation>给出了 password_file 却没有 username</translation>
    </message>
    <message>
        <source>给出了 cert_file 却没有 key_file</source>
        <translation>给出了 cert_file 却没有 key_file</translation>
    </message>
    <message>
        <source>给出了 key_file 却没有 cert_file</source>
        <translation>给出了 key_file 却没有 cert_file</translation>
    </message>
    <message>
        <source>给出了 key_password_file 却没有 key_file</source>
        <translation>给出了 key_password_file 却没有 key_file</translation>
    </message>
    <message>
        <source>cert_file 需要 mqtts:// 的 url</source>
        <translation>cert_file 需要 mqtts:// 的 url</translation>
    </message>
    <message>
        <source>%1 无法读取: %2</source>
        <translation>%1 无法读取: %2</translation>
    </message>
    <message>
        <source>%1 的第一行为空</source>
        <translation>%1 的第一行为空</translation>
    </message>
    <message>
        <source>%1 的第一行不是 UTF-8 文本</source>
        <translation>%1 的第一行不是 UTF-8 文本</translation>
    </message>
    <message>
        <source>cert_file 中没有 PEM 证书</source>
        <translation>cert_file 中没有 PEM 证书</translation>
    </message>
    <message>
        <source>key_file 中没有 PEM 私钥</source>
        <translation>key_file 中没有 PEM 私钥</translation>
    </message>
    <message>
        <source>key_file 的私钥已加密，需要 key_password_file</source>
        <translation>key_file 的私钥已加密，需要 key_password_file</translation>
    </message>
    <message>
        <source>key_password_file 的口令打不开 key_file 的私钥</source>
        <translation>key_password_file 的口令打不开 key_file 的私钥</translation>
    </message>
    <message>
        <source>key_file 的私钥不属于 cert_file 的证书</source>
        <translation>key_file 的私钥不属于 cert_file 的证书</translation>
    </message>
    <message>
        <source>未获授权</source>
        <translation>未获授权</translation>
    </message>
    <message>
        <source>主题名无效</source>
        <translation>主题名无效</translation>
    </message>
    <message>
        <source>消息太大</source>
        <translation>消息太大</translation>
    </message>
    <message>
        <source>超出配额</source>
        <translation>超出配额</translation>
    </message>
    <message>
        <source>原因代码 %1</source>
        <translation>原因代码 %1</translation>
    </message>
    <message>
        <source>; 过期未发 %1 条</source>
        <translation>; 过期未发 %1 条</translation>
    </message>
    <message>
        <source>; 代理服务器拒收 %1 条（%2）</source>
        <translation>; 代理服务器拒收 %1 条（%2）</translation>
    </message>
    <message>
        <source>代理服务器的证书不是为此地址签发的</source>
        <translation>代理服务器的证书不是为此地址签发的</translation>
    </message>
    <message>
        <source>代理服务器的证书已过期</source>
        <translation>代理服务器的证书已过期</translation>
    </message>
    <message>
        <source>代理服务器的证书尚未生效（或本机时钟不准）</source>
        <translation>代理服务器的证书尚未生效（或本机时钟不准）</translation>
    </message>
    <message>
        <source>代理服务器的证书不受信任（颁发机构未知，见 ca_file）</source>
        <translation>代理服务器的证书不受信任（颁发机构未知，见 ca_file）</translation>
    </message>
    <message>
        <source>代理服务器的证书不受信任（OpenSSL 验证代码 %1）</source>
        <translation>代理服务器的证书不受信任（OpenSSL 验证代码 %1）</translation>
    </message>
    <message>
        <source>代理服务器要求客户端证书（plant.ini 中没有 cert_file）</source>
        <translation>代理服务器要求客户端证书（plant.ini 中没有 cert_file）</translation>
    </message>
    <message>
        <source>代理服务器拒绝了 TLS 握手（也许要求客户端证书: cert_file）</source>
        <translation>代理服务器拒绝了 TLS 握手（也许要求客户端证书: cert_file）</translation>
    </message>
    <message>
        <source>代理服务器拒绝了 TLS 握手</source>
        <translation>代理服务器拒绝了 TLS 握手</translation>
    </message>
    <message>
        <source>代理服务器不认识客户端证书的颁发机构</source>
        <translation>代理服务器不认识客户端证书的颁发机构</translation>
    </message>
    <message>
        <source>代理服务器认为客户端证书已过期（按本机时钟有效至 %1）</source>
        <translation>代理服务器认为客户端证书已过期（按本机时钟有效至 %1）</translation>
    </message>
    <message>
        <source>代理服务器拒绝了客户端证书: 已过期</source>
        <translation>代理服务器拒绝了客户端证书: 已过期</translation>
    </message>
    <message>
        <source>代理服务器拒绝了客户端证书: 已吊销</source>
        <translation>代理服务器拒绝了客户端证书: 已吊销</translation>
    </message>
    <message>
        <source>代理服务器拒绝了客户端证书: %1 起才生效</source>
        <translation>代理服务器拒绝了客户端证书: %1 起才生效</translation>
    </message>
    <message>
        <source>代理服务器拒绝了客户端证书</source>
        <translation>代理服务器拒绝了客户端证书</translation>
    </message>
    <message>
        <source>%1 超过 %2 个字符</source>
        <translation>%1 超过 %2 个字符</translation>
    </message>
    <message>
        <source>%1 含有空白字符 U+%2（第 %3 个字符）</source>
        <translation>%1 含有空白字符 U+%2（第 %3 个字符）</translation>
    </message>
    <message>
        <source>%1 含有本身不可见的字符 U+%2（第 %3 个字符）</source>
        <translation>%1 含有本身不可见的字符 U+%2（第 %3 个字符）</translation>
    </message>
    <message>
        <source>%1 不是 Unicode 的组合形式（NFC）</source>
        <translation>%1 不是 Unicode 的组合形式（NFC）</translation>
    </message>
    <message>
        <source>%1 的一个词混用拉丁、希腊或西里尔字母 U+%2（第 %3 个字符）</source>
        <translation>%1 的一个词混用拉丁、希腊或西里尔字母 U+%2（第 %3 个字符）</translation>
    </message>
    <message>
        <source>; 另一台主机也在以此激光器 ID 发布</source>
        <translation>; 另一台主机也在以此激光器 ID 发布</translation>
    </message>
    <message>
        <source>代理服务器发来的数据包长度无效</source>
        <translation>代理服务器发来的数据包长度无效</translation>
    </message>
    <message>
        <source>代理服务器发来 %1 字节的数据包，超过本程序接收的 %2 字节</source>
        <translation>代理服务器发来 %1 字节的数据包，超过本程序接收的 %2 字节</translation>
    </message>
    <message>
        <source>%1 须非空，且不含 /、+ 或 #</source>
        <translation>%1 须非空，且不含 /、+ 或 #</translation>
    </message>
    <message>
        <source>format 须为 json、sparkplug 或 both</source>
        <translation>format 须为 json、sparkplug 或 both</translation>
    </message>
    <message>
        <source>format = sparkplug 或 both 需要 group_id</source>
        <translation>format = sparkplug 或 both 需要 group_id</translation>
    </message>
    <message>
        <source> 正在连接</source>
        <translation> 正在连接</translation>
    </message>
    <message>
        <source> 等待主应用上线</source>
        <translation> 等待主应用上线</translation>
    </message>
    <message>
        <source>: bdSeq %1, seq %2, 出生证书 %3</source>
        <translation>: bdSeq %1, seq %2, 出生证书 %3</translation>
    </message>
    <message>
        <source>, 拒绝命令 %1</source>
        <translation>, 拒绝命令 %1</translation>
    </message>
    <message>
        <source>, 无法读取或过时 %1</source>
        <translation>, 无法读取或过时 %1</translation>
    </message>
    <message>
        <source>, 不属于本节点 %1</source>
        <translation>, 不属于本节点 %1</translation>
    </message>
    <message>
        <source>, 迟到事件未发 %1</source>
        <translation>, 迟到事件未发 %1</translation>
    </message>
    <message>
        <source>%1 不是普通文件，bdSeq 不保存</source>
        <translation>%1 不是普通文件，bdSeq 不保存</translation>
    </message>
    <message>
        <source>%1 无法写入，bdSeq 不保存</source>
        <translation>%1 无法写入，bdSeq 不保存</translation>
    </message>
    <message>
        <source>主应用已下线</source>
        <translation>主应用已下线</translation>
    </message>
    <message>
        <source>, 来不及读而丢弃 %1</source>
        <translation>, 来不及读而丢弃 %1</translation>
    </message>
    <message>
        <source>; 正在从历史补发: 已补发 %1 条</source>
        <translation>; 正在从历史补发: 已补发 %1 条</translation>
    </message>
    <message>
        <source>; 从历史补发 %1 条</source>
        <translation>; 从历史补发 %1 条</translation>
    </message>
    <message>
        <source>; 历史无法读取，%1 条事件未发送（%2）</source>
        <translation>; 历史无法读取，%1 条事件未发送（%2）</translation>
    </message>
    <message>
        <source>; 历史无法读取，未送达的事件未发送（%1）</source>
        <translation>; 历史无法读取，未送达的事件未发送（%1）</translation>
    </message>
</context>
<context>
    <name>Preference</name>
    <message>
        <source>无法创建文件夹 %1</source>
        <translation>无法创建文件夹 %1</translation>
    </message>
    <message>
        <source>这个名字下不是普通文件，而是文件夹、设备或管道</source>
        <translation>这个名字下不是普通文件，而是文件夹、设备或管道</translation>
    </message>
    <message>
        <source>没有写入权限，或磁盘为只读</source>
        <translation>没有写入权限，或磁盘为只读</translation>
    </message>
    <message>
        <source>写入失败，磁盘可能已满</source>
        <translation>写入失败，磁盘可能已满</translation>
    </message>
    <message>
        <source>这个名字是一个符号链接，选择不写到它所指的文件</source>
        <translation>这个名字是一个符号链接，选择不写到它所指的文件</translation>
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
        <translation>串口配置</translation>
    </message>
    <message>
        <source>端口号：</source>
        <translation>端口号：</translation>
    </message>
    <message>
        <source>刷新串口</source>
        <translation>刷新串口</translation>
    </message>
    <message>
        <source>打开串口</source>
        <translation>打开串口</translation>
    </message>
    <message>
        <source>红光开关</source>
        <translation>红光开关</translation>
    </message>
    <message>
        <source>开 启</source>
        <translation>开 启</translation>
    </message>
    <message>
        <source>关 闭</source>
        <translation>关 闭</translation>
    </message>
    <message>
        <source>系统状态</source>
        <translation>系统状态</translation>
    </message>
    <message>
        <source>指示光标</source>
        <translation>指示光标</translation>
    </message>
    <message>
        <source>直流开启</source>
        <translation>直流开启</translation>
    </message>
    <message>
        <source>光闸开启</source>
        <translation>光闸开启</translation>
    </message>
    <message>
        <source>激光输出</source>
        <translation>激光输出</translation>
    </message>
    <message>
        <source>驱动温度报警</source>
        <translation>驱动温度报警</translation>
    </message>
    <message>
        <source>系统异常</source>
        <translation>系统异常</translation>
    </message>
    <message>
        <source>光感测警报</source>
        <translation>光感测警报</translation>
    </message>
    <message>
        <source>外部急停</source>
        <translation>外部急停</translation>
    </message>
    <message>
        <source>连锁机门</source>
        <translation>连锁机门</translation>
    </message>
    <message>
        <source>水冷机警报</source>
        <translation>水冷机警报</translation>
    </message>
    <message>
        <source>温度报警</source>
        <translation>温度报警</translation>
    </message>
    <message>
        <source>T3温度过高</source>
        <translation>T3温度过高</translation>
    </message>
    <message>
        <source>T4温度过高</source>
        <translation>T4温度过高</translation>
    </message>
    <message>
        <source>驱动过流报警</source>
        <translation>驱动过流报警</translation>
    </message>
    <message>
        <source>QBH报警</source>
        <translation>QBH报警</translation>
    </message>
    <message>
        <source>光纤断裂报警</source>
        <translation>光纤断裂报警</translation>
    </message>
    <message>
        <source>T3温度(C):</source>
        <translation>T3温度(C):</translation>
    </message>
    <message>
        <source>T4温度(C):</source>
        <translation>T4温度(C):</translation>
    </message>
    <message>
        <source>露点温度(C):</source>
        <translation>露点温度(C):</translation>
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
        <translation>数字量输入</translation>
    </message>
    <message>
        <source>PWM输入</source>
        <translation>PWM输入</translation>
    </message>
    <message>
        <source>数字量输出</source>
        <translation>数字量输出</translation>
    </message>
    <message>
        <source>报警输出</source>
        <translation>报警输出</translation>
    </message>
    <message>
        <source>模拟量输入/输出</source>
        <translation>模拟量输入/输出</translation>
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
        <translation>产品信息</translation>
    </message>
    <message>
        <source>产品型号：</source>
        <translation>产品型号：</translation>
    </message>
    <message>
        <source>销售序号：</source>
        <translation>销售序号：</translation>
    </message>
    <message>
        <source>系统时间：</source>
        <translation>系统时间：</translation>
    </message>
    <message>
        <source>中央控制板(CCB)参数</source>
        <translation>中央控制板(CCB)参数</translation>
    </message>
    <message>
        <source>屏蔽冷水机警报</source>
        <translation>屏蔽冷水机警报</translation>
    </message>
    <message>
        <source>屏蔽电源警报</source>
        <translation>屏蔽电源警报</translation>
    </message>
    <message>
        <source>屏蔽内部急停</source>
        <translation>屏蔽内部急停</translation>
    </message>
    <message>
        <source>红光自动</source>
        <translation>红光自动</translation>
    </message>
    <message>
        <source>屏蔽外部急停</source>
        <translation>屏蔽外部急停</translation>
    </message>
    <message>
        <source>屏蔽露点警报</source>
        <translation>屏蔽露点警报</translation>
    </message>
    <message>
        <source>屏蔽门位警报</source>
        <translation>屏蔽门位警报</translation>
    </message>
    <message>
        <source>红光自动下 依实际出光</source>
        <translation>红光自动下 依实际出光</translation>
    </message>
    <message>
        <source>屏蔽QBH警报</source>
        <translation>屏蔽QBH警报</translation>
    </message>
    <message>
        <source>屏蔽光纤断裂警报</source>
        <translation>屏蔽光纤断裂警报</translation>
    </message>
    <message>
        <source>屏蔽温度警报</source>
        <translation>屏蔽温度警报</translation>
    </message>
    <message>
        <source>红光外控</source>
        <translation>红光外控</translation>
    </message>
    <message>
        <source>屏蔽漏光警报</source>
        <translation>屏蔽漏光警报</translation>
    </message>
    <message>
        <source>屏蔽PD警报</source>
        <translation>屏蔽PD警报</translation>
    </message>
    <message>
        <source>超调模式HPP</source>
        <translation>超调模式HPP</translation>
    </message>
    <message>
        <source>工艺程序PgmIO</source>
        <translation>工艺程序PgmIO</translation>
    </message>
    <message>
        <source>内控光闸失效</source>
        <translation>内控光闸失效</translation>
    </message>
    <message>
        <source>门位警报低准位</source>
        <translation>门位警报低准位</translation>
    </message>
    <message>
        <source>数位输出低准位</source>
        <translation>数位输出低准位</translation>
    </message>
    <message>
        <source>直流电源警报高准位</source>
        <translation>直流电源警报高准位</translation>
    </message>
    <message>
        <source>自动启动(光闸控制)</source>
        <translation>自动启动(光闸控制)</translation>
    </message>
    <message>
        <source>输入模拟量埠(备用)</source>
        <translation>输入模拟量埠(备用)</translation>
    </message>
    <message>
        <source>输出模拟量埠(in PD)</source>
        <translation>输出模拟量埠(in PD)</translation>
    </message>
    <message>
        <source>读回</source>
        <translation>读回</translation>
    </message>
    <message>
        <source>设定</source>
        <translation>设定</translation>
    </message>
    <message>
        <source>控制模式</source>
        <translation>控制模式</translation>
    </message>
    <message>
        <source>光感测漏光上限值 Pd1 50..4050</source>
        <translation>光感测漏光上限值 Pd1 50..4050</translation>
    </message>
    <message>
        <source>使用者界面</source>
        <translation>使用者界面</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>语言</source>
        <translation>语言</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>帮助</translation>
    </message>
    <message>
        <source>中文</source>
        <translation>中文</translation>
    </message>
    <message>
        <source>English</source>
        <translation>English</translation>
    </message>
    <message>
        <source>关于...</source>
        <translation>关于...</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>打开文件失败</source>
        <translation>打开文件失败</translation>
    </message>
    <message>
        <source>新建目录失败</source>
        <translation>新建目录失败</translation>
    </message>
    <message>
        <source>新建文件失败</source>
        <translation>新建文件失败</translation>
    </message>
    <message>
        <source>串口错误</source>
        <translation>串口错误</translation>
    </message>
    <message>
        <source>请检查串口线缆和设置！</source>
        <translation>请检查串口线缆和设置！</translation>
    </message>
    <message>
        <source>注意</source>
        <translation>注意</translation>
    </message>
    <message>
        <source>激光器未连接！</source>
        <translation>激光器未连接！</translation>
    </message>
    <message>
        <source>屏蔽QBH警报可能造成人身伤害、激光器或集成系统损坏&lt;br&gt;且不属于激光器保修项目，请确认是否屏蔽？</source>
        <translation>屏蔽QBH警报可能造成人身伤害、激光器或集成系统损坏&lt;br&gt;且不属于激光器保修项目，请确认是否屏蔽？</translation>
    </message>
    <message>
        <source>光纤激光器上位机 LASER SYSTEM_V0.3.10&lt;br&gt;通过串口与中央控制板(CCB)通信。</source>
        <translation>光纤激光器上位机 LASER SYSTEM_V0.3.10&lt;br&gt;通过串口与中央控制板(CCB)通信。</translation>
    </message>
</context>
<context>
    <name>Service</name>
    <message>
        <source>&quot;fields&quot; 中有一项不是对象</source>
        <translation>&quot;fields&quot; 中有一项不是对象</translation>
    </message>
    <message>
        <source>未知字段 &quot;%1&quot;</source>
        <translation>未知字段 &quot;%1&quot;</translation>
    </message>
    <message>
        <source>字段 &quot;%1&quot; 出现两次</source>
        <translation>字段 &quot;%1&quot; 出现两次</translation>
    </message>
    <message>
        <source>字段 &quot;%1&quot; 的值应为 true 或 false</source>
        <translation>字段 &quot;%1&quot; 的值应为 true 或 false</translation>
    </message>
    <message>
        <source>字段 &quot;%1&quot; 的值应为非负整数</source>
        <translation>字段 &quot;%1&quot; 的值应为非负整数</translation>
    </message>
    <message>
        <source>文件写着 %1, 原始值为 %2</source>
        <translation>文件写着 %1, 原始值为 %2</translation>
    </message>
    <message>
        <source>是</source>
        <translation>是</translation>
    </message>
    <message>
        <source>否</source>
        <translation>否</translation>
    </message>
    <message>
        <source>文件过大 (超过 %1 字节), 不是设定文件</source>
        <translation>文件过大 (超过 %1 字节), 不是设定文件</translation>
    </message>
    <message>
        <source>不是有效的 JSON (第 %1 字节: %2)</source>
        <translation>不是有效的 JSON (第 %1 字节: %2)</translation>
    </message>
    <message>
        <source>不是设定文件: 顶层不是对象</source>
        <translation>不是设定文件: 顶层不是对象</translation>
    </message>
    <message>
        <source>不是设定文件: 缺少 &quot;format&quot; 或其值不对</source>
        <translation>不是设定文件: 缺少 &quot;format&quot; 或其值不对</translation>
    </message>
    <message>
        <source>&quot;version&quot; 缺失或无效</source>
        <translation>&quot;version&quot; 缺失或无效</translation>
    </message>
    <message>
        <source>文件格式版本 %1 较新, 本程序只能读取版本 %2</source>
        <translation>文件格式版本 %1 较新, 本程序只能读取版本 %2</translation>
    </message>
    <message>
        <source>缺少字段 &quot;%1&quot;</source>
        <translation>缺少字段 &quot;%1&quot;</translation>
    </message>
    <message>
        <source>&quot;value&quot; 无法解码: 应为 7 个十六进制字节</source>
        <translation>&quot;value&quot; 无法解码: 应为 7 个十六进制字节</translation>
    </message>
    <message>
        <source>&quot;value&quot; 无法解码: 字节的第 7 位必须为 0</source>
        <translation>&quot;value&quot; 无法解码: 字节的第 7 位必须为 0</translation>
    </message>
    <message>
        <source>缺少文本字段 &quot;%1&quot;</source>
        <translation>缺少文本字段 &quot;%1&quot;</translation>
    </message>
    <message>
        <source>&quot;saved_at&quot; 缺失或不是时间</source>
        <translation>&quot;saved_at&quot; 缺失或不是时间</translation>
    </message>
    <message>
        <source>&quot;fields&quot; 缺少 &quot;%1&quot;</source>
        <translation>&quot;fields&quot; 缺少 &quot;%1&quot;</translation>
    </message>
    <message>
        <source>无法打开 %1: %2</source>
        <translation>无法打开 %1: %2</translation>
    </message>
    <message>
        <source>导出诊断包</source>
        <translation>导出诊断包</translation>
    </message>
    <message>
        <source>最近1小时</source>
        <translation>最近1小时</translation>
    </message>
    <message>
        <source>最近1天</source>
        <translation>最近1天</translation>
    </message>
    <message>
        <source>最近1周</source>
        <translation>最近1周</translation>
    </message>
    <message>
        <source>全部</source>
        <translation>全部</translation>
    </message>
    <message>
        <source>浏览...</source>
        <translation>浏览...</translation>
    </message>
    <message>
        <source>Zip 压缩包 (*.zip)</source>
        <translation>Zip 压缩包 (*.zip)</translation>
    </message>
    <message>
        <source>时段:</source>
        <translation>时段:</translation>
    </message>
    <message>
        <source>文件:</source>
        <translation>文件:</translation>
    </message>
    <message>
        <source>正在写入 %1 ...</source>
        <translation>正在写入 %1 ...</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>写入</source>
        <translation>写入</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>与文件比较</source>
        <translation>与文件比较</translation>
    </message>
    <message>
        <source>从文件写入</source>
        <translation>从文件写入</translation>
    </message>
    <message>
        <source>激光器尚未报告产品型号, 无法确认文件 (%1) 属于同一种产品。</source>
        <translation>激光器尚未报告产品型号, 无法确认文件 (%1) 属于同一种产品。</translation>
    </message>
    <message>
        <source>此文件来自另一种产品: 文件 %1, 激光器 %2。</source>
        <translation>此文件来自另一种产品: 文件 %1, 激光器 %2。</translation>
    </message>
    <message>
        <source>文件中的解码字段与原始值不符, 以原始值为准: %1</source>
        <translation>文件中的解码字段与原始值不符, 以原始值为准: %1</translation>
    </message>
    <message>
        <source>设定项</source>
        <translation>设定项</translation>
    </message>
    <message>
        <source>文件中</source>
        <translation>文件中</translation>
    </message>
    <message>
        <source>激光器上</source>
        <translation>激光器上</translation>
    </message>
    <message>
        <source>串口已关闭</source>
        <translation>串口已关闭</translation>
    </message>
    <message>
        <source>; 未写入任何设定。</source>
        <translation>; 未写入任何设定。</translation>
    </message>
    <message>
        <source>正在读取激光器的设定...</source>
        <translation>正在读取激光器的设定...</translation>
    </message>
    <message>
        <source>另一个请求正在等待回答; 未写入任何设定。</source>
        <translation>另一个请求正在等待回答; 未写入任何设定。</translation>
    </message>
    <message>
        <source>串口未打开; 未写入任何设定。</source>
        <translation>串口未打开; 未写入任何设定。</translation>
    </message>
    <message>
        <source>已写入, 正在读回核对...</source>
        <translation>已写入, 正在读回核对...</translation>
    </message>
    <message>
        <source>激光器现在的设定与文件完全一致。</source>
        <translation>激光器现在的设定与文件完全一致。</translation>
    </message>
    <message>
        <source>核对失败: 激光器读回的设定仍有 %1 项与文件不同。</source>
        <translation>核对失败: 激光器读回的设定仍有 %1 项与文件不同。</translation>
    </message>
    <message>
        <source>; 无法确认激光器现在的设定。</source>
        <translation>; 无法确认激光器现在的设定。</translation>
    </message>
    <message>
        <source>相同: 激光器的设定与文件一致。</source>
        <translation>相同: 激光器的设定与文件一致。</translation>
    </message>
    <message>
        <source>%1 项不同:</source>
        <translation>%1 项不同:</translation>
    </message>
    <message>
        <source>将文件中的设定写入激光器 (%1 项不同)？</source>
        <translation>将文件中的设定写入激光器 (%1 项不同)？</translation>
    </message>
    <message>
        <source>正在写入...</source>
        <translation>正在写入...</translation>
    </message>
    <message>
        <source>维护</source>
        <translation>维护</translation>
    </message>
    <message>
        <source>保存设定到文件...</source>
        <translation>保存设定到文件...</translation>
    </message>
    <message>
        <source>与文件比较...</source>
        <translation>与文件比较...</translation>
    </message>
    <message>
        <source>从文件写入...</source>
        <translation>从文件写入...</translation>
    </message>
    <message>
        <source>导出诊断包...</source>
        <translation>导出诊断包...</translation>
    </message>
    <message>
        <source>保存设定到文件</source>
        <translation>保存设定到文件</translation>
    </message>
    <message>
        <source>CCB 设定 (*.ccbsettings)</source>
        <translation>CCB 设定 (*.ccbsettings)</translation>
    </message>
    <message>
        <source>还没有读回的设定</source>
        <translation>还没有读回的设定</translation>
    </message>
    <message>
        <source>设定已保存到 %1</source>
        <translation>设定已保存到 %1</translation>
    </message>
    <message>
        <source>无法写入 %1:
%2</source>
        <translation>无法写入 %1:
%2</translation>
    </message>
    <message>
        <source>CCB 设定 (*.ccbsettings);;所有文件 (*)</source>
        <translation>CCB 设定 (*.ccbsettings);;所有文件 (*)</translation>
    </message>
    <message>
        <source>无法使用此文件, 未读取也未写入任何设定。
%1

%2</source>
        <translation>无法使用此文件, 未读取也未写入任何设定。
%1

%2</translation>
    </message>
    <message>
        <source>文件中的解码字段与原始值不符, 以原始值为准:
%1

继续吗？</source>
        <translation>文件中的解码字段与原始值不符, 以原始值为准:
%1

继续吗？</translation>
    </message>
    <message>
        <source>诊断包已写入 %1 (%2 个文件)</source>
        <translation>诊断包已写入 %1 (%2 个文件)</translation>
    </message>
    <message>
        <source>诊断包导出已取消</source>
        <translation>诊断包导出已取消</translation>
    </message>
    <message>
        <source>诊断包未能写入:
%1</source>
        <translation>诊断包未能写入:
%1</translation>
    </message>
    <message>
        <source>激光器没有回答</source>
        <translation>激光器没有回答</translation>
    </message>
    <message>
        <source>工作目录 %1 中没有历史: 既没有 %2 也没有 capture 文件。请在程序的工作目录中运行。</source>
        <translation>工作目录 %1 中没有历史: 既没有 %2 也没有 capture 文件。请在程序的工作目录中运行。</translation>
    </message>
    <message>
        <source>键 %1 在同一个对象中出现了两次</source>
        <translation>键 %1 在同一个对象中出现了两次</translation>
    </message>
    <message>
        <source>文件: %1
产品型号: %2, 序列号: %3, CCB版本: %4, 保存于 %5</source>
        <translation>文件: %1
产品型号: %2, 序列号: %3, CCB版本: %4, 保存于 %5</translation>
    </message>
    <message>
        <source>此文件不能确认属于这台激光器的产品型号 (文件: %1, 激光器: %2)。
确实要写入吗？</source>
        <translation>此文件不能确认属于这台激光器的产品型号 (文件: %1, 激光器: %2)。
确实要写入吗？</translation>
    </message>
    <message>
        <source>%1 已存在。要替换它吗？</source>
        <translation>%1 已存在。要替换它吗？</translation>
    </message>
    <message>
        <source>未替换已有的文件</source>
        <translation>未替换已有的文件</translation>
    </message>
    <message>
        <source>%1 已存在且不是普通文件; 诊断包不写在那里</source>
        <translation>%1 已存在且不是普通文件; 诊断包不写在那里</translation>
    </message>
    <message>
        <source>%1 在程序自己的 log 或 config 文件夹中; 请另选一个位置</source>
        <translation>%1 在程序自己的 log 或 config 文件夹中; 请另选一个位置</translation>
    </message>
    <message>
        <source>%1 不是普通文件</source>
        <translation>%1 不是普通文件</translation>
    </message>
    <message>
        <source>文件中的所有字段都为零: 没有屏蔽任何警报, 漏光上限为 0 (低于 50..4050)。这是读回之前的空值, 不像激光器的设定。</source>
        <translation>文件中的所有字段都为零: 没有屏蔽任何警报, 漏光上限为 0 (低于 50..4050)。这是读回之前的空值, 不像激光器的设定。</translation>
    </message>
    <message>
        <source>%1..%2, 步长 %3</source>
        <translation>%1..%2, 步长 %3</translation>
    </message>
    <message>
        <source>&quot;%1&quot; (%2) 为 %3, 设定页只能给出 %4</source>
        <translation>&quot;%1&quot; (%2) 为 %3, 设定页只能给出 %4</translation>
    </message>
    <message>
        <source>%1

继续吗？</source>
        <translation>%1

继续吗？</translation>
    </message>
    <message>
        <source>文件中的漏光上限为 0, 低于设定页标注的 50..4050。</source>
        <translation>文件中的漏光上限为 0, 低于设定页标注的 50..4050。</translation>
    </message>
</context>
</TS>
