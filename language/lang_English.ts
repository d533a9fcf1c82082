<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
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
</context>
<context>
    <name>History</name>
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
        <source>日志文件夹大小</source>
        <translation>Log folder size</translation>
    </message>
</context>
</TS>
