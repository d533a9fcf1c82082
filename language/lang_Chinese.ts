<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="zh_CN">
<context>
    <name>Serial</name>
    <message>
        <location filename="../ui/serial.ui" line="22"/>
        <source>LASER SYSTEM_V0.3.10</source>
        <translation>LASER SYSTEM_V0.3.10</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="98"/>
        <source>串口配置</source>
        <translation>串口配置</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="116"/>
        <source>端口号：</source>
        <translation>端口号：</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="156"/>
        <source>刷新串口</source>
        <translation>刷新串口</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="169"/>
        <source>打开串口</source>
        <translation>打开串口</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="183"/>
        <source>红光开关</source>
        <translation>红光开关</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="201"/>
        <source>开 启</source>
        <translation>开 启</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="220"/>
        <source>关 闭</source>
        <translation>关 闭</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="234"/>
        <source>系统状态</source>
        <translation>系统状态</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="308"/>
        <source>指示光标</source>
        <translation>指示光标</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="340"/>
        <location filename="../ui/serial.ui" line="1105"/>
        <location filename="../ui/serial.ui" line="1271"/>
        <source>直流开启</source>
        <translation>直流开启</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="372"/>
        <location filename="../ui/serial.ui" line="1207"/>
        <source>光闸开启</source>
        <translation>光闸开启</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="404"/>
        <source>激光输出</source>
        <translation>激光输出</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="436"/>
        <source>驱动温度报警</source>
        <translation>驱动温度报警</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="468"/>
        <source>系统异常</source>
        <translation>系统异常</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="500"/>
        <source>光感测警报</source>
        <translation>光感测警报</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="532"/>
        <location filename="../ui/serial.ui" line="1156"/>
        <source>外部急停</source>
        <translation>外部急停</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="564"/>
        <source>连锁机门</source>
        <translation>连锁机门</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="596"/>
        <source>水冷机警报</source>
        <translation>水冷机警报</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="628"/>
        <source>温度报警</source>
        <translation>温度报警</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="660"/>
        <source>T3温度过高</source>
        <translation>T3温度过高</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="692"/>
        <source>T4温度过高</source>
        <translation>T4温度过高</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="724"/>
        <source>驱动过流报警</source>
        <translation>驱动过流报警</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="756"/>
        <source>QBH报警</source>
        <translation>QBH报警</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="788"/>
        <source>光纤断裂报警</source>
        <translation>光纤断裂报警</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="801"/>
        <source>T3温度(C):</source>
        <translation>T3温度(C):</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="830"/>
        <source>T4温度(C):</source>
        <translation>T4温度(C):</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="859"/>
        <source>露点温度(C):</source>
        <translation>露点温度(C):</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="888"/>
        <source>CCB:</source>
        <translation>CCB:</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="914"/>
        <source>DB:</source>
        <translation>DB:</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="944"/>
        <source>数字量输入</source>
        <translation>数字量输入</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="1054"/>
        <source>PWM输入</source>
        <translation>PWM输入</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="1222"/>
        <source>数字量输出</source>
        <translation>数字量输出</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="1322"/>
        <source>报警输出</source>
        <translation>报警输出</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="1337"/>
        <source>模拟量输入/输出</source>
        <translation>模拟量输入/输出</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="1349"/>
        <source>AI-1:</source>
        <translation>AI-1:</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="1378"/>
        <source>Freq:</source>
        <translation>Freq:</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="1407"/>
        <source>Duty:</source>
        <translation>Duty:</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="1437"/>
        <source>产品信息</source>
        <translation>产品信息</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="1449"/>
        <source>产品型号：</source>
        <translation>产品型号：</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="1478"/>
        <source>销售序号：</source>
        <translation>销售序号：</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="1507"/>
        <source>系统时间：</source>
        <translation>系统时间：</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="1551"/>
        <source>中央控制板(CCB)参数</source>
        <translation>中央控制板(CCB)参数</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="1654"/>
        <source>屏蔽冷水机警报</source>
        <translation>屏蔽冷水机警报</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="1781"/>
        <source>屏蔽电源警报</source>
        <translation>屏蔽电源警报</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="1902"/>
        <source>屏蔽内部急停</source>
        <translation>屏蔽内部急停</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="2023"/>
        <source>红光自动</source>
        <translation>红光自动</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="2144"/>
        <source>屏蔽外部急停</source>
        <translation>屏蔽外部急停</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="2265"/>
        <source>屏蔽露点警报</source>
        <translation>屏蔽露点警报</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="2386"/>
        <source>屏蔽门位警报</source>
        <translation>屏蔽门位警报</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="2507"/>
        <source>红光自动下 依实际出光</source>
        <translation>红光自动下 依实际出光</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="2628"/>
        <source>屏蔽QBH警报</source>
        <translation>屏蔽QBH警报</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="2752"/>
        <source>屏蔽光纤断裂警报</source>
        <translation>屏蔽光纤断裂警报</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="2873"/>
        <source>屏蔽温度警报</source>
        <translation>屏蔽温度警报</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="2994"/>
        <source>红光外控</source>
        <translation>红光外控</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="3115"/>
        <source>屏蔽漏光警报</source>
        <translation>屏蔽漏光警报</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="3236"/>
        <source>屏蔽PD警报</source>
        <translation>屏蔽PD警报</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="3357"/>
        <source>超调模式HPP</source>
        <translation>超调模式HPP</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="3478"/>
        <source>工艺程序PgmIO</source>
        <translation>工艺程序PgmIO</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="3599"/>
        <source>内控光闸失效</source>
        <translation>内控光闸失效</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="3720"/>
        <source>门位警报低准位</source>
        <translation>门位警报低准位</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="3841"/>
        <source>数位输出低准位</source>
        <translation>数位输出低准位</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="3962"/>
        <source>直流电源警报高准位</source>
        <translation>直流电源警报高准位</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="4083"/>
        <source>自动启动(光闸控制)</source>
        <translation>自动启动(光闸控制)</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="4204"/>
        <source>输入模拟量埠(备用)</source>
        <translation>输入模拟量埠(备用)</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="4325"/>
        <source>输出模拟量埠(in PD)</source>
        <translation>输出模拟量埠(in PD)</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="4391"/>
        <source>读回</source>
        <translation>读回</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="4407"/>
        <source>设定</source>
        <translation>设定</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="4433"/>
        <source>控制模式</source>
        <translation>控制模式</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="4493"/>
        <source>光感测漏光上限值 Pd1 50..4050</source>
        <translation>光感测漏光上限值 Pd1 50..4050</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="4565"/>
        <location filename="../ui/serial.ui" line="4613"/>
        <source>使用者界面</source>
        <translation>使用者界面</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="4571"/>
        <location filename="../ui/serial.ui" line="4618"/>
        <source>设置</source>
        <translation>设置</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="4577"/>
        <source>语言</source>
        <translation>语言</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="4584"/>
        <source>帮助</source>
        <translation>帮助</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="4595"/>
        <location filename="../ui/serial.ui" line="4598"/>
        <source>中文</source>
        <translation>中文</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="4603"/>
        <source>English</source>
        <translation>English</translation>
    </message>
    <message>
        <location filename="../ui/serial.ui" line="4608"/>
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
    <name>Diagnostics</name>
    <message>
        <location filename="../ui/diagnostics/diagnostics_window.cpp" line="76"/>
        <source>诊断 - LASER SYSTEM</source>
        <translation>诊断 - LASER SYSTEM</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/diagnostics_window.cpp" line="77"/>
        <source>事件</source>
        <translation>事件</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/diagnostics_window.cpp" line="78"/>
        <source>报文</source>
        <translation>报文</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/diagnostics_window.cpp" line="79"/>
        <source>趋势</source>
        <translation>趋势</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/diagnostics_window.cpp" line="80"/>
        <source>链路</source>
        <translation>链路</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/diagnostics_window.cpp" line="118"/>
        <source>诊断</source>
        <translation>诊断</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/diagnostics_window.cpp" line="119"/>
        <source>链路诊断...</source>
        <translation>链路诊断...</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/event_model.cpp" line="47"/>
        <source>尚无历史记录</source>
        <translation>尚无历史记录</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/event_model.cpp" line="130"/>
        <source>时间</source>
        <translation>时间</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/event_model.cpp" line="132"/>
        <source>类别</source>
        <translation>类别</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/event_model.cpp" line="134"/>
        <source>名称</source>
        <translation>名称</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/event_model.cpp" line="136"/>
        <source>值</source>
        <translation>值</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/event_model.cpp" line="138"/>
        <source>详情</source>
        <translation>详情</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/events_tab.cpp" line="72"/>
        <source>导出CSV</source>
        <translation>导出CSV</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/events_tab.cpp" line="77"/>
        <source>导出失败: %1</source>
        <translation>导出失败: %1</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/events_tab.cpp" line="119"/>
        <source>全部</source>
        <translation>全部</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/events_tab.cpp" line="119"/>
        <source>报警</source>
        <translation>报警</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/events_tab.cpp" line="120"/>
        <source>状态</source>
        <translation>状态</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/events_tab.cpp" line="121"/>
        <source>命令</source>
        <translation>命令</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/events_tab.cpp" line="121"/>
        <source>设置</source>
        <translation>设置</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/events_tab.cpp" line="124"/>
        <source>最近一小时</source>
        <translation>最近一小时</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/events_tab.cpp" line="125"/>
        <source>最近一天</source>
        <translation>最近一天</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/events_tab.cpp" line="126"/>
        <source>最近一周</source>
        <translation>最近一周</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/events_tab.cpp" line="130"/>
        <source>类别:</source>
        <translation>类别:</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/events_tab.cpp" line="131"/>
        <source>时间:</source>
        <translation>时间:</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/events_tab.cpp" line="132"/>
        <source>文字:</source>
        <translation>文字:</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/events_tab.cpp" line="133"/>
        <source>刷新</source>
        <translation>刷新</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/events_tab.cpp" line="134"/>
        <source>导出CSV...</source>
        <translation>导出CSV...</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/frame_model.cpp" line="199"/>
        <source>方向</source>
        <translation>方向</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/frame_model.cpp" line="201"/>
        <source>代码</source>
        <translation>代码</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/frame_model.cpp" line="203"/>
        <source>十六进制</source>
        <translation>十六进制</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/frame_model.cpp" line="205"/>
        <source>校验</source>
        <translation>校验</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/frame_model.cpp" line="207"/>
        <source>内容</source>
        <translation>内容</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/frames_tab.cpp" line="125"/>
        <source>继续</source>
        <translation>继续</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/frames_tab.cpp" line="125"/>
        <source>暂停</source>
        <translation>暂停</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/frames_tab.cpp" line="126"/>
        <source>代码:</source>
        <translation>代码:</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/frames_tab.cpp" line="128"/>
        <source>仅校验失败</source>
        <translation>仅校验失败</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/frames_tab.cpp" line="129"/>
        <source>清除</source>
        <translation>清除</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/frames_tab.cpp" line="131"/>
        <source>打开记录文件夹</source>
        <translation>打开记录文件夹</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/link_status.cpp" line="60"/>
        <source>%1 未打开</source>
        <translation>%1 未打开</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/link_status.cpp" line="64"/>
        <source>%1 已打开  %2 帧/秒  校验失败 %3</source>
        <translation>%1 已打开  %2 帧/秒  校验失败 %3</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/link_status.cpp" line="69"/>
        <source>端口错误: %1</source>
        <translation>端口错误: %1</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/link_status.cpp" line="73"/>
        <source>%1 打开失败: %2</source>
        <translation>%1 打开失败: %2</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/link_status.cpp" line="76"/>
        <source>%1 已关闭</source>
        <translation>%1 已关闭</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/link_status.cpp" line="79"/>
        <source>%1 链路中断</source>
        <translation>%1 链路中断</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/link_status.cpp" line="82"/>
        <source>%1 设备已断开: %2</source>
        <translation>%1 设备已断开: %2</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/link_status.cpp" line="86"/>
        <source>历史记录: %1</source>
        <translation>历史记录: %1</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/link_tab.cpp" line="46"/>
        <source>端口</source>
        <translation>端口</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/link_tab.cpp" line="49"/>
        <source>接收字节</source>
        <translation>接收字节</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/link_tab.cpp" line="50"/>
        <source>发送字节</source>
        <translation>发送字节</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/link_tab.cpp" line="51"/>
        <source>接收帧</source>
        <translation>接收帧</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/link_tab.cpp" line="52"/>
        <source>发送帧</source>
        <translation>发送帧</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/link_tab.cpp" line="53"/>
        <source>校验失败次数</source>
        <translation>校验失败次数</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/link_tab.cpp" line="54"/>
        <source>未知代码帧</source>
        <translation>未知代码帧</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/link_tab.cpp" line="55"/>
        <source>噪声字节</source>
        <translation>噪声字节</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/link_tab.cpp" line="56"/>
        <source>提前处理</source>
        <translation>提前处理</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/link_tab.cpp" line="57"/>
        <source>帧/秒</source>
        <translation>帧/秒</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/link_tab.cpp" line="58"/>
        <source>距上一帧</source>
        <translation>距上一帧</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/link_tab.cpp" line="59"/>
        <source>最后端口错误</source>
        <translation>最后端口错误</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/link_tab.cpp" line="60"/>
        <source>历史记录</source>
        <translation>历史记录</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/link_tab.cpp" line="113"/>
        <source>已打开</source>
        <translation>已打开</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/link_tab.cpp" line="113"/>
        <source>未打开</source>
        <translation>未打开</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/link_tab.cpp" line="125"/>
        <source>%1 秒</source>
        <translation>%1 秒</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/link_tab.cpp" line="131"/>
        <source>正常</source>
        <translation>正常</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/link_tab.cpp" line="161"/>
        <source>帧数</source>
        <translation>帧数</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/link_tab.cpp" line="162"/>
        <source>计数清零</source>
        <translation>计数清零</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/trends_tab.cpp" line="87"/>
        <source>导出PNG</source>
        <translation>导出PNG</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/trends_tab.cpp" line="257"/>
        <source>无法写入 %1</source>
        <translation>无法写入 %1</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/trends_tab.cpp" line="262"/>
        <source>最近10分钟</source>
        <translation>最近10分钟</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/trends_tab.cpp" line="268"/>
        <source>时段:</source>
        <translation>时段:</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/trends_tab.cpp" line="269"/>
        <source>导出PNG...</source>
        <translation>导出PNG...</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/trends_tab.cpp" line="271"/>
        <source>T3温度(C)</source>
        <translation>T3温度(C)</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/trends_tab.cpp" line="272"/>
        <source>T4温度(C)</source>
        <translation>T4温度(C)</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/trends_tab.cpp" line="273"/>
        <source>露点温度(C)</source>
        <translation>露点温度(C)</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/link_tab.cpp" line="61"/>
        <source>工厂链路</source>
        <translation>工厂链路</translation>
    </message>
    <message>
        <location filename="../ui/diagnostics/link_tab.cpp" line="61"/>
        <source>未配置</source>
        <translation>未配置</translation>
    </message>
</context>
</TS>
