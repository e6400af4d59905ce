<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>App</name>
    <message>
        <source>截图已输出到 %1</source>
        <translation>Screenshots written to %1</translation>
    </message>
    <message>
        <source>Quillo 已收到，当前状态下无需执行</source>
        <translation>Quillo got it; there is nothing to do right now</translation>
    </message>
    <message>
        <source>没有正在运行的 Quillo（先启动 quillo）</source>
        <translation>No Quillo is running (start quillo first)</translation>
    </message>
    <message>
        <source>Quillo 没有响应（可以退出后重新启动 quillo）</source>
        <translation>Quillo did not answer (quit it and start quillo again)</translation>
    </message>
    <message>
        <source>Quillo 拒绝了请求：%1</source>
        <translation>Quillo refused the request: %1</translation>
    </message>
    <message>
        <source>按住说话</source>
        <translation>Hold to talk</translation>
    </message>
    <message>
        <source>开始 / 结束免提</source>
        <translation>Start / stop hands-free</translation>
    </message>
    <message>
        <source>开始免提翻译</source>
        <translation>Start hands-free translation</translation>
    </message>
    <message>
        <source>按住说话，松开后发送</source>
        <translation>Hold to talk, send on release</translation>
    </message>
    <message>
        <source>取消本次录音</source>
        <translation>Cancel the recording</translation>
    </message>
    <message>
        <source>录音中切换翻译</source>
        <translation>Switch translation while recording</translation>
    </message>
    <message>
        <source>设置文件 %1 已损坏，原文件已另存为 %2，可读的设置已保留</source>
        <translation>The settings file %1 was damaged; it was kept as %2 and the readable settings were kept</translation>
    </message>
    <message>
        <source>无法保存设置到 %1（磁盘已满或只读），本次运行中的更改暂存在内存中，恢复写入后会自动保存</source>
        <translation>Cannot save the settings to %1 (disk full or read-only); changes are kept in memory and saved once writing works again</translation>
    </message>
    <message>
        <source>当前 Wayland 会话无法自动粘贴：文字会留在剪贴板上，请按 Ctrl+V 粘贴。</source>
        <translation>This Wayland session cannot paste automatically: the text stays on the clipboard, press Ctrl+V to paste.</translation>
    </message>
    <message>
        <source>当前是 Wayland 会话，没有可用的 X11（XWayland）：全局快捷键和自动粘贴暂时需要 X11 或 XWayland。</source>
        <translation>This is a Wayland session without X11 (XWayland): global shortcuts and automatic pasting need X11 or XWayland for now.</translation>
    </message>
    <message>
        <source>无法连接 X11 显示服务器：全局快捷键和自动粘贴需要 X11。</source>
        <translation>Cannot connect to the X11 display server: global shortcuts and automatic pasting need X11.</translation>
    </message>
    <message>
        <source>无法读取 %1</source>
        <translation>Cannot read %1</translation>
    </message>
    <message>
        <source>已设置接入域名 %1</source>
        <translation>Service host set to %1</translation>
    </message>
    <message>
        <source>已导入 API Key（长度 %1）</source>
        <translation>API key imported (length %1)</translation>
    </message>
    <message>
        <source>无法创建目录：%1</source>
        <translation>Cannot create the folder: %1</translation>
    </message>
    <message>
        <source>无法写入截图：%1</source>
        <translation>Cannot write the screenshot: %1</translation>
    </message>
    <message>
        <source>没有收到有效的回答（应答的可能不是 Quillo）</source>
        <translation>No valid answer (whatever answered may not be Quillo)</translation>
    </message>
    <message>
        <source>无法安全地联系 Quillo：%1</source>
        <translation>Cannot reach Quillo safely: %1</translation>
    </message>
    <message>
        <source>再次启动和命令行操作无法联系到这个 Quillo：%1</source>
        <translation>Later launches and command-line actions cannot reach this Quillo: %1</translation>
    </message>
    <message>
        <source>%1 是符号链接</source>
        <translation>%1 is a symbolic link</translation>
    </message>
    <message>
        <source>%1 不是目录</source>
        <translation>%1 is not a folder</translation>
    </message>
    <message>
        <source>%1 属于另一个用户（uid %2）</source>
        <translation>%1 belongs to another user (uid %2)</translation>
    </message>
    <message>
        <source>其他用户可以访问 %1（权限 %2）</source>
        <translation>other users can enter %1 (mode %2)</translation>
    </message>
    <message>
        <source>无法检查 %1：%2</source>
        <translation>Cannot check %1: %2</translation>
    </message>
    <message>
        <source>无法创建 %1：%2</source>
        <translation>Cannot create %1: %2</translation>
    </message>
    <message>
        <source>无法监听 %1：%2</source>
        <translation>Cannot listen on %1: %2</translation>
    </message>
    <message>
        <source>无法保存 API Key：%1</source>
        <translation>Cannot save the API key: %1</translation>
    </message>
    <message>
        <source>系统钥匙串（Secret Service）</source>
        <translation>the system keyring (Secret Service)</translation>
    </message>
    <message>
        <source>请确认 KWallet 已在系统设置中启用、正在运行并已解锁，然后重试。</source>
        <translation>Make sure KWallet is enabled in System Settings, running and unlocked, then try again.</translation>
    </message>
    <message>
        <source>请确认钥匙串服务（如 gnome-keyring）正在运行并已解锁，然后重试。</source>
        <translation>Make sure the keyring service (such as gnome-keyring) is running and unlocked, then try again.</translation>
    </message>
    <message>
        <source>%1 没有响应。</source>
        <translation>%1 did not answer. </translation>
    </message>
    <message>
        <source>%1 拒绝了访问（可能已锁定）。</source>
        <translation>%1 refused access (it may be locked). </translation>
    </message>
    <message>
        <source>找不到 %1。</source>
        <translation>%1 is not available. </translation>
    </message>
    <message>
        <source>%1 出错：%2。</source>
        <translation>%1 failed: %2. </translation>
    </message>
    <message>
        <source>与 X 服务器的连接已断开，程序退出</source>
        <translation>Lost the connection to the X server; quitting</translation>
    </message>
    <message>
        <source>%1 已锁定，其中保存的 API Key 暂时无法读取。</source>
        <translation>%1 is locked: the API key stored there cannot be read yet. </translation>
    </message>
    <message>
        <source>没有可重试的录音</source>
        <translation>No recording to retry</translation>
    </message>
</context>
<context>
    <name>Doctor</name>
    <message>
        <source>在 ~/.config/sway/config 中加入下面几行，然后运行 swaymsg reload：</source>
        <translation>Add these lines to ~/.config/sway/config, then run swaymsg reload:</translation>
    </message>
    <message>
        <source>在 ~/.config/hypr/hyprland.conf 中加入（bindr 在松开时执行）：</source>
        <translation>Add to ~/.config/hypr/hyprland.conf (bindr runs on release):</translation>
    </message>
    <message>
        <source>设置 › 键盘 › 查看和自定义快捷键 › 自定义快捷键，命令 quillo --toggle；或在终端中（会替换已有的自定义快捷键列表）：</source>
        <translation>Settings › Keyboard › View and Customise Shortcuts › Custom Shortcuts, command quillo --toggle; or in a terminal (this replaces your list of custom shortcuts):</translation>
    </message>
    <message>
        <source>系统设置 › 键盘 › 快捷键 › 添加新项 › 命令或脚本…，命令 quillo --toggle，然后给它分配一个键</source>
        <translation>System Settings › Keyboard › Shortcuts › Add New › Command or Script…, command quillo --toggle, then give it a key</translation>
    </message>
    <message>
        <source>在桌面的按键设置中把一个键绑定到 quillo --toggle（或按下时 quillo --start、松开时 quillo --stop）</source>
        <translation>Bind a key to quillo --toggle in the desktop&apos;s key settings (or quillo --start on press and quillo --stop on release)</translation>
    </message>
    <message>
        <source>安装桌面门户（全局快捷键和键盘输入都经过它），然后重新登录：</source>
        <translation>Install the desktop portal (global shortcuts and keyboard input go through it), then log in again:</translation>
    </message>
    <message>
        <source>在桌面会话的终端里运行 quillo --doctor（需要 DISPLAY 或 WAYLAND_DISPLAY）</source>
        <translation>Run quillo --doctor in a terminal of the desktop session (it needs DISPLAY or WAYLAND_DISPLAY)</translation>
    </message>
    <message>
        <source>保存 API Key：把 QWEN_API_KEY=… 写进一个文件，运行 quillo --import-env 文件名；或在设置窗口中填写（quillo --open-settings）</source>
        <translation>Store the API key: write QWEN_API_KEY=… into a file and run quillo --import-env FILE, or enter it in the settings window (quillo --open-settings)</translation>
    </message>
    <message>
        <source>让钥匙串可用（启动并解锁它），然后再运行 quillo --doctor</source>
        <translation>Make the key store available (start and unlock it), then run quillo --doctor again</translation>
    </message>
    <message>
        <source>启动声音服务（PulseAudio，或 PipeWire 的 pulse 服务）：</source>
        <translation>Start a sound server (PulseAudio, or PipeWire&apos;s pulse server):</translation>
    </message>
    <message>
        <source>接上麦克风，或在声音设置中选择输入设备；pactl list short sources 列出输入设备，QUILLO_INPUT_DEVICE 可以指定其中一个</source>
        <translation>Connect a microphone or choose the input in the sound settings; pactl list short sources lists the inputs, and QUILLO_INPUT_DEVICE picks one of them</translation>
    </message>
    <message>
        <source>给 Quillo 的快捷键分配按键：在设置窗口的“全局快捷键”一行点“重新绑定”，或在桌面的快捷键设置中修改</source>
        <translation>Give Quillo&apos;s shortcuts keys: click “Bind again” in the “Global shortcuts” row of the settings window, or change them in the desktop&apos;s shortcut settings</translation>
    </message>
    <message>
        <source>另一个程序占用了 %1：在设置窗口中换一个快捷键，或取消那个程序的同一快捷键</source>
        <translation>Another program holds %1: choose another hotkey in the settings window, or remove that program&apos;s shortcut</translation>
    </message>
    <message>
        <source>为松开同一个键加一个 quillo --stop 绑定，否则录音要到下一次 quillo --stop 才结束</source>
        <translation>Bind quillo --stop to the release of the same key; otherwise a recording runs until the next quillo --stop</translation>
    </message>
    <message>
        <source>安装 wl-clipboard（原生 Wayland 窗口的剪贴板）：</source>
        <translation>Install wl-clipboard (the clipboard of native Wayland windows):</translation>
    </message>
    <message>
        <source>安装 wtype（按下粘贴键）：</source>
        <translation>Install wtype (it presses the paste keys):</translation>
    </message>
    <message>
        <source>在设置窗口的“键盘输入”一行点“重新请求”，并在桌面的对话框中允许</source>
        <translation>Click “Ask again” in the “Keyboard input” row of the settings window and allow it in the desktop&apos;s dialog</translation>
    </message>
    <message>
        <source>这里没有自动粘贴的途径：听写的文字留在剪贴板上，按 Ctrl+V 粘贴</source>
        <translation>Nothing here can paste automatically: the dictated text is left on the clipboard; paste it with Ctrl+V</translation>
    </message>
    <message>
        <source>安装桌面文件 com.nolt.quillo.desktop（Debian 包或 sudo make install 会安装它）：门户凭它识别 Quillo，并显示它的名称和图标</source>
        <translation>Install the desktop entry com.nolt.quillo.desktop (the Debian package or sudo make install does): the portal knows Quillo by it and shows its name and icon</translation>
    </message>
    <message>
        <source>安装并启用 AppIndicator 扩展，然后重新登录：</source>
        <translation>Install and enable the AppIndicator extension, then log in again:</translation>
    </message>
    <message>
        <source>桌面没有系统托盘：加一个（例如 waybar 的 tray 模块），或者再次运行 quillo 打开设置窗口</source>
        <translation>The desktop has no system tray: add one (for example waybar&apos;s tray module), or run quillo again to open the settings window</translation>
    </message>
    <message>
        <source>启动 Quillo（运行 quillo；设置中可开启“登录时自动启动”）：按键绑定和命令行操作要交给正在运行的 Quillo</source>
        <translation>Start Quillo (run quillo; the settings can start it at login): key bindings and command-line actions go to the running Quillo</translation>
    </message>
    <message>
        <source>退出正在运行的 Quillo（托盘菜单 › 退出）并重新启动它</source>
        <translation>Quit the running Quillo (tray menu › Quit) and start it again</translation>
    </message>
    <message>
        <source>其他</source>
        <translation>other</translation>
    </message>
    <message>
        <source>未知（它没有回答协议查询）</source>
        <translation>unknown (it did not answer the protocol query)</translation>
    </message>
    <message>
        <source>用户拒绝了键盘访问，文字只会留在剪贴板上</source>
        <translation>keyboard access was refused; the text is only left on the clipboard</translation>
    </message>
    <message>
        <source>已授权过，桌面不会再询问</source>
        <translation>granted before; the desktop will not ask again</translation>
    </message>
    <message>
        <source>桌面会询问一次，之后记住授权</source>
        <translation>the desktop asks once, then remembers</translation>
    </message>
    <message>
        <source>桌面会在每次听写时询问</source>
        <translation>the desktop will ask at every dictation</translation>
    </message>
    <message>
        <source>桌面会在每次启动 Quillo 时询问一次</source>
        <translation>the desktop asks once each time Quillo starts</translation>
    </message>
    <message>
        <source>要做的事</source>
        <translation>What to do</translation>
    </message>
    <message>
        <source>结论：可以听写。</source>
        <translation>Verdict: dictation can work.</translation>
    </message>
    <message>
        <source>结论：还不能完成一次听写（见“要做的事”）。</source>
        <translation>Verdict: a dictation cannot work yet (see “What to do”).</translation>
    </message>
    <message>
        <source>会话</source>
        <translation>Session</translation>
    </message>
    <message>
        <source>没有图形会话（DISPLAY 和 WAYLAND_DISPLAY 都不可用）</source>
        <translation>no graphical session (neither DISPLAY nor WAYLAND_DISPLAY is usable)</translation>
    </message>
    <message>
        <source>Wayland（没有 XWayland）</source>
        <translation>Wayland (without XWayland)</translation>
    </message>
    <message>
        <source>Wayland，带 XWayland</source>
        <translation>Wayland with XWayland</translation>
    </message>
    <message>
        <source>（未设置）</source>
        <translation>(not set)</translation>
    </message>
    <message>
        <source>合成器：%1</source>
        <translation>compositor: %1</translation>
    </message>
    <message>
        <source>Wayland 协议与工具</source>
        <translation>Wayland protocols and tools</translation>
    </message>
    <message>
        <source>合成器没有回答协议查询：按没有以下协议处理</source>
        <translation>the compositor did not answer the protocol query: taken as offering none of these</translation>
    </message>
    <message>
        <source>剪贴板协议（data-control）</source>
        <translation>clipboard protocol (data-control)</translation>
    </message>
    <message>
        <source>虚拟键盘协议（virtual-keyboard）</source>
        <translation>virtual keyboard protocol (virtual-keyboard)</translation>
    </message>
    <message>
        <source>桌面门户</source>
        <translation>Desktop portal</translation>
    </message>
    <message>
        <source>桌面门户没有在时限内回答</source>
        <translation>the desktop portal did not answer in time</translation>
    </message>
    <message>
        <source>没有桌面门户（xdg-desktop-portal）</source>
        <translation>no desktop portal (xdg-desktop-portal)</translation>
    </message>
    <message>
        <source>桌面门户没有回答</source>
        <translation>the desktop portal does not answer</translation>
    </message>
    <message>
        <source>没有全局快捷键接口（GlobalShortcuts）</source>
        <translation>no global shortcuts (GlobalShortcuts)</translation>
    </message>
    <message>
        <source>全局快捷键（GlobalShortcuts）版本 %1：但没有后端实现它</source>
        <translation>global shortcuts (GlobalShortcuts) version %1, but no backend implements them</translation>
    </message>
    <message>
        <source>全局快捷键（GlobalShortcuts）版本 %1</source>
        <translation>global shortcuts (GlobalShortcuts) version %1</translation>
    </message>
    <message>
        <source>没有远程桌面键盘（RemoteDesktop）</source>
        <translation>no remote desktop keyboard (RemoteDesktop)</translation>
    </message>
    <message>
        <source>远程桌面（RemoteDesktop）版本 %1：能记住授权</source>
        <translation>remote desktop (RemoteDesktop) version %1: can remember a grant</translation>
    </message>
    <message>
        <source>远程桌面（RemoteDesktop）版本 %1：不能记住授权</source>
        <translation>remote desktop (RemoteDesktop) version %1: cannot remember a grant</translation>
    </message>
    <message>
        <source>剪贴板接口（Clipboard）</source>
        <translation>clipboard (Clipboard)</translation>
    </message>
    <message>
        <source>已在门户登记为 %1</source>
        <translation>registered with the portal as %1</translation>
    </message>
    <message>
        <source>门户没有登记本程序：%1</source>
        <translation>the portal did not register the program: %1</translation>
    </message>
    <message>
        <source>桌面文件 %1.desktop</source>
        <translation>desktop entry %1.desktop</translation>
    </message>
    <message>
        <source>门户看到的应用 ID：%1</source>
        <translation>app id the portal sees: %1</translation>
    </message>
    <message>
        <source>门户看到的应用 ID 为空：KDE 会以会话名称命名 Quillo 的快捷键</source>
        <translation>the portal sees an empty app id: KDE names Quillo&apos;s shortcuts after the session</translation>
    </message>
    <message>
        <source>门户看到的应用 ID 为空</source>
        <translation>the portal sees an empty app id</translation>
    </message>
    <message>
        <source>开始听写</source>
        <translation>Starting a dictation</translation>
    </message>
    <message>
        <source>没有正在运行的 Quillo：按它启动时的做法检查</source>
        <translation>no Quillo running: checked the way it starts</translation>
    </message>
    <message>
        <source>正在运行的 Quillo %1 回答了查询</source>
        <translation>the running Quillo %1 answered</translation>
    </message>
    <message>
        <source>有一个 Quillo 在运行，但它没有回答</source>
        <translation>a Quillo runs but did not answer</translation>
    </message>
    <message>
        <source>正在运行的 Quillo 版本较旧，不回答状态查询</source>
        <translation>the running Quillo is older and does not answer status requests</translation>
    </message>
    <message>
        <source>桌面门户的全局快捷键：</source>
        <translation>the desktop portal&apos;s global shortcuts:</translation>
    </message>
    <message>
        <source>X11 全局快捷键</source>
        <translation>X11 global hotkeys</translation>
    </message>
    <message>
        <source>（被其他程序占用）</source>
        <translation> (held by another program)</translation>
    </message>
    <message>
        <source>X11 快捷键只在 XWayland 窗口有焦点时生效</source>
        <translation>X11 hotkeys fire only while an XWayland window has the focus</translation>
    </message>
    <message>
        <source>Quillo 自己收不到全局快捷键</source>
        <translation>Quillo cannot receive global hotkeys itself</translation>
    </message>
    <message>
        <source>桌面登记了快捷键，但没有给任何一个分配按键</source>
        <translation>the desktop took the shortcuts but gave none of them a key</translation>
    </message>
    <message>
        <source>用户拒绝了门户的快捷键</source>
        <translation>the portal&apos;s shortcuts were refused</translation>
    </message>
    <message>
        <source>门户的快捷键没有绑定：%1</source>
        <translation>the portal&apos;s shortcuts were not bound: %1</translation>
    </message>
    <message>
        <source>桌面还没有回答快捷键请求（也许正显示对话框）</source>
        <translation>the desktop has not answered the shortcut request yet (it may be showing a dialog)</translation>
    </message>
    <message>
        <source>无法读取 %1 的按键绑定</source>
        <translation>could not read the key bindings of %1</translation>
    </message>
    <message>
        <source>%1 的配置中没有启动 Quillo 的按键绑定</source>
        <translation>no key binding of %1 runs Quillo</translation>
    </message>
    <message>
        <source>%1 的按键绑定：</source>
        <translation>key bindings of %1:</translation>
    </message>
    <message>
        <source>（松开时）</source>
        <translation> (on release)</translation>
    </message>
    <message>
        <source>粘贴</source>
        <translation>Paste</translation>
    </message>
    <message>
        <source>现在的焦点窗口：%1</source>
        <translation>window focused now: %1</translation>
    </message>
    <message>
        <source>未知</source>
        <translation>unknown</translation>
    </message>
    <message>
        <source>无法确定粘贴途径</source>
        <translation>the paste route could not be determined</translation>
    </message>
    <message>
        <source>X11 剪贴板 + XTest 粘贴键，之后恢复剪贴板</source>
        <translation>X11 clipboard + XTest paste keys, the clipboard put back afterwards</translation>
    </message>
    <message>
        <source>wl-copy + wtype 直接粘贴，之后恢复剪贴板</source>
        <translation>wl-copy + wtype paste directly, the clipboard put back afterwards</translation>
    </message>
    <message>
        <source>远程桌面门户的键盘粘贴：%1</source>
        <translation>pasted with the remote desktop portal&apos;s keyboard: %1</translation>
    </message>
    <message>
        <source>无法粘贴：文字只会留在剪贴板上，需要手动粘贴</source>
        <translation>nothing can paste: the text is only left on the clipboard, to paste by hand</translation>
    </message>
    <message>
        <source>麦克风</source>
        <translation>Microphone</translation>
    </message>
    <message>
        <source>检查没有在时限内完成</source>
        <translation>the check did not finish in time</translation>
    </message>
    <message>
        <source>默认输入设备可以录音</source>
        <translation>the default input records</translation>
    </message>
    <message>
        <source>%1 可以录音</source>
        <translation>%1 records</translation>
    </message>
    <message>
        <source>钥匙串没有在时限内回答</source>
        <translation>the key store did not answer in time</translation>
    </message>
    <message>
        <source>已保存，可以读取</source>
        <translation>stored and readable</translation>
    </message>
    <message>
        <source>没有保存 API Key</source>
        <translation>no API key stored</translation>
    </message>
    <message>
        <source>托盘</source>
        <translation>Tray</translation>
    </message>
    <message>
        <source>托盘服务没有在时限内回答</source>
        <translation>the tray service did not answer in time</translation>
    </message>
    <message>
        <source>上次听写</source>
        <translation>Last dictation</translation>
    </message>
    <message>
        <source>Quillo 启动以来还没有听写</source>
        <translation>no dictation since Quillo started</translation>
    </message>
    <message>
        <source>没有系统托盘：再次启动 quillo 会打开设置窗口</source>
        <translation>no system tray: starting quillo again opens the settings window</translation>
    </message>
    <message>
        <source>系统托盘（StatusNotifier）</source>
        <translation>system tray (StatusNotifier)</translation>
    </message>
    <message>
        <source>系统托盘（XEmbed）</source>
        <translation>system tray (XEmbed)</translation>
    </message>
    <message>
        <source>合成器回答了协议查询</source>
        <translation>the compositor answered the protocol query</translation>
    </message>
    <message>
        <source>输入法通道未启用：没有找到 Quillo 的 fcitx5 插件（docs/input-method.md）</source>
        <translation>Input method route off: Quillo&apos;s fcitx5 addon was not found (docs/input-method.md)</translation>
    </message>
    <message>
        <source>输入法通道已启用：文字由 fcitx5 写入有焦点的输入框，说话时实时显示</source>
        <translation>Input method route on: fcitx5 writes the text into the focused field, live while you speak</translation>
    </message>
    <message>
        <source>输入法通道已启用：文字由 fcitx5 写入有焦点的输入框</source>
        <translation>Input method route on: fcitx5 writes the text into the focused field</translation>
    </message>
</context>
<context>
    <name>Hotkeys</name>
    <message>
        <source>未设置</source>
        <translation>Not set</translation>
    </message>
    <message>
        <source>快捷键</source>
        <translation>the shortcut</translation>
    </message>
    <message>
        <source>键%1</source>
        <translation>Key %1</translation>
    </message>
    <message>
        <source>键 %1</source>
        <translation>Key %1</translation>
    </message>
    <message>
        <source>左 %1</source>
        <translation>Left %1</translation>
    </message>
    <message>
        <source>右 %1</source>
        <translation>Right %1</translation>
    </message>
    <message>
        <source>请按下快捷键：单独的修饰键（如右 ⌥、Fn）或组合键（如 ⌥Space）。Esc 取消</source>
        <translation>Press a shortcut: a modifier alone (like right ⌥ or Fn) or a combination (like ⌥Space). Esc cancels</translation>
    </message>
    <message>
        <source>请按下快捷键：单独的修饰键（如右 Alt）或组合键（如 Alt+Space）。Esc 取消</source>
        <translation>Press a shortcut: a modifier alone (like Right Alt) or a combination (like Alt+Space). Esc cancels</translation>
    </message>
    <message>
        <source>组合键需要包含 ⌘ ⌥ ⌃ ⇧ 中的至少一个（F1–F19 除外），请重新按下</source>
        <translation>A combination needs at least one of ⌘ ⌥ ⌃ ⇧ (except F1–F19); press it again</translation>
    </message>
    <message>
        <source>组合键需要包含 Ctrl、Alt、Shift、Super 中的至少一个（F1–F19 除外），请重新按下</source>
        <translation>A combination needs at least one of Ctrl, Alt, Shift, Super (except F1–F19); press it again</translation>
    </message>
</context>
<context>
    <name>Menu</name>
    <message>
        <source>已复制</source>
        <translation>Copied</translation>
    </message>
    <message>
        <source>AI 润色（去口头禅、修正改口和标点）</source>
        <translation>AI polish: drop fillers, fix punctuation</translation>
    </message>
    <message>
        <source>最近记录（点击复制）</source>
        <translation>Recent (click to copy)</translation>
    </message>
    <message>
        <source>按住说话</source>
        <translation>Hold to talk</translation>
    </message>
    <message>
        <source>开始 / 结束免提</source>
        <translation>Start / stop hands-free</translation>
    </message>
    <message>
        <source>录音中切换翻译</source>
        <translation>Translate while recording</translation>
    </message>
    <message>
        <source>取消本次录音</source>
        <translation>Cancel the recording</translation>
    </message>
    <message>
        <source>翻译目标</source>
        <translation>Translate into</translation>
    </message>
    <message>
        <source>尚未配置千问 API Key</source>
        <translation>No Qwen API key set up yet</translation>
    </message>
    <message>
        <source>尚未授予辅助功能权限，无法自动输入文字</source>
        <translation>No accessibility permission: text cannot be typed for you</translation>
    </message>
    <message>
        <source>设置…</source>
        <translation>Settings…</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>未绑定</source>
        <translation>Not bound</translation>
    </message>
    <message>
        <source>就绪 · 在任意输入框中按快捷键说话</source>
        <translation>Ready · press the shortcut in any text field and speak</translation>
    </message>
    <message>
        <source>录音中…</source>
        <translation>Recording…</translation>
    </message>
    <message>
        <source>识别中…</source>
        <translation>Transcribing…</translation>
    </message>
    <message>
        <source>润色中…</source>
        <translation>Polishing…</translation>
    </message>
    <message>
        <source>结束</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>开始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>未设置</source>
        <translation>Not set</translation>
    </message>
    <message>
        <source>轻点 %1</source>
        <translation>Tap %1</translation>
    </message>
    <message>
        <source>快捷键</source>
        <translation>the shortcut</translation>
    </message>
    <message>
        <source>还没有记录。按住 %1 说话试试。</source>
        <translation>Nothing yet. Hold %1 and speak to try it.</translation>
    </message>
    <message>
        <source>无法保存设置（磁盘已满或只读），更改暂存在内存中</source>
        <translation>Settings cannot be saved (disk full or read-only); changes are kept in memory</translation>
    </message>
    <message>
        <source>设置文件已损坏，可读的设置已保留；原文件另存为 %1</source>
        <translation>The settings file was damaged; the readable settings were kept and the original saved as %1</translation>
    </message>
    <message>
        <source>钥匙串已锁定，解锁后即可听写</source>
        <translation>The keyring is locked: unlock it to dictate</translation>
    </message>
    <message>
        <source>钥匙串没有响应，暂时读不到 API Key</source>
        <translation>The keyring is not answering: the API key cannot be read yet</translation>
    </message>
    <message>
        <source>无法访问钥匙串，暂时读不到 API Key</source>
        <translation>The keyring cannot be reached: the API key cannot be read yet</translation>
    </message>
    <message>
        <source>未能识别的录音</source>
        <translation>Recordings not transcribed</translation>
    </message>
    <message>
        <source>重试</source>
        <translation>Retry</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Remove</translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message>
        <source>请先在设置中填写千问 API Key</source>
        <translation>Enter your Qwen API key in Settings first</translation>
    </message>
    <message>
        <source>请允许麦克风权限后再试一次</source>
        <translation>Allow microphone access, then try again</translation>
    </message>
    <message>
        <source>没有麦克风权限，请在系统设置中开启</source>
        <translation>No microphone access; allow it in the system settings</translation>
    </message>
    <message>
        <source>没有听到说话声</source>
        <translation>No speech heard</translation>
    </message>
    <message>
        <source>没有识别到有效语音</source>
        <translation>No speech recognised</translation>
    </message>
    <message>
        <source>已复制到剪贴板，请按 Ctrl+V 粘贴</source>
        <translation>Copied to clipboard — press Ctrl+V to paste</translation>
    </message>
    <message>
        <source>无法写入剪贴板，文字已保存在历史记录中</source>
        <translation>Cannot use the clipboard; the text is in the history</translation>
    </message>
    <message>
        <source>无法读取系统钥匙串中的 API Key，请确认钥匙串已解锁</source>
        <translation>Cannot read the API key: is the keyring unlocked?</translation>
    </message>
    <message>
        <source>无法读取测试音频或缺少 API Key</source>
        <translation>Cannot read the test audio, or the API key is missing</translation>
    </message>
    <message>
        <source>未知应用</source>
        <translation>Unknown app</translation>
    </message>
    <message>
        <source>缺少辅助功能权限，文字已复制到剪贴板，请手动 %1</source>
        <translation>No accessibility permission: text copied, press %1 to paste</translation>
    </message>
    <message>
        <source>无法启动麦克风录音：%1</source>
        <translation>Cannot start recording: %1</translation>
    </message>
    <message>
        <source>无法读取音频文件：%1</source>
        <translation>Cannot read the audio file: %1</translation>
    </message>
    <message>
        <source>识别服务错误：%1</source>
        <translation>Speech recognition error: %1</translation>
    </message>
    <message>
        <source>连接识别服务失败：%1</source>
        <translation>Cannot connect to speech recognition: %1</translation>
    </message>
    <message>
        <source>无效的域名 %1</source>
        <translation>invalid host %1</translation>
    </message>
    <message>
        <source>润色服务返回 %1：%2</source>
        <translation>The polish service answered %1: %2</translation>
    </message>
    <message>
        <source>没有可用的麦克风输入设备</source>
        <translation>No microphone available</translation>
    </message>
    <message>
        <source>无法转换麦克风音频格式</source>
        <translation>Cannot convert the microphone&apos;s audio format</translation>
    </message>
    <message>
        <source>无法启动麦克风录音</source>
        <translation>Cannot start recording</translation>
    </message>
    <message>
        <source>无法读取音频文件</source>
        <translation>Cannot read the audio file</translation>
    </message>
    <message>
        <source>文件不完整</source>
        <translation>the file is incomplete</translation>
    </message>
    <message>
        <source>识别超时，请检查网络</source>
        <translation>Recognition timed out; check the network</translation>
    </message>
    <message>
        <source>识别已取消</source>
        <translation>Recognition cancelled</translation>
    </message>
    <message>
        <source>无法创建网络连接</source>
        <translation>cannot open a network connection</translation>
    </message>
    <message>
        <source>润色服务没有返回内容</source>
        <translation>The polish service returned nothing</translation>
    </message>
    <message>
        <source>无效的域名</source>
        <translation>invalid host</translation>
    </message>
    <message>
        <source>设备无法打开</source>
        <translation>the device cannot be opened</translation>
    </message>
    <message>
        <source>设备读写出错</source>
        <translation>device read/write error</translation>
    </message>
    <message>
        <source>音频服务不可用</source>
        <translation>the audio service is unavailable</translation>
    </message>
    <message>
        <source>未知错误</source>
        <translation>unknown error</translation>
    </message>
    <message>
        <source>输入设备已改变</source>
        <translation>the input device changed</translation>
    </message>
    <message>
        <source>音频线程未运行</source>
        <translation>the audio thread is not running</translation>
    </message>
    <message>
        <source>润色结果为空，已使用原文</source>
        <translation>The polished text was empty; the original was used</translation>
    </message>
    <message>
        <source>润色结果明显长于原文，疑似模型在回答问题，已使用原文</source>
        <translation>The polished text was much longer than the original (the model may have answered it); the original was used</translation>
    </message>
    <message>
        <source>润色结果明显短于原文，疑似被总结，已使用原文</source>
        <translation>The polished text was much shorter than the original (it may have been summarised); the original was used</translation>
    </message>
    <message>
        <source>麦克风已断开，录音已结束</source>
        <translation>The microphone was disconnected; the recording has ended</translation>
    </message>
    <message>
        <source>音频服务无响应</source>
        <translation>The sound server does not respond</translation>
    </message>
    <message>
        <source>麦克风录音流无法打开</source>
        <translation>The microphone&apos;s recording stream could not be opened</translation>
    </message>
    <message>
        <source>系统钥匙串没有响应，无法读取 API Key</source>
        <translation>The system keyring did not answer; cannot read the API key</translation>
    </message>
    <message>
        <source>识别超时，文字可能不完整</source>
        <translation>Recognition timed out; the text may be incomplete</translation>
    </message>
    <message>
        <source>保存的录音无法读取，已移除</source>
        <translation>The kept recording could not be read and was removed</translation>
    </message>
    <message>
        <source>%1（录音已保存，可在菜单中重试）</source>
        <translation>%1 (recording kept; retry it from the menu)</translation>
    </message>
</context>
<context>
    <name>Panel</name>
    <message>
        <source>松开 %1</source>
        <translation>Release %1</translation>
    </message>
    <message>
        <source>%1 换语言</source>
        <translation>%1 switches language</translation>
    </message>
    <message>
        <source>%1 翻译</source>
        <translation>%1 translates</translation>
    </message>
    <message>
        <source>%1 结束 · %2 · Esc 取消</source>
        <translation>%1 to finish · %2 · Esc cancels</translation>
    </message>
    <message>
        <source>免提录音中…</source>
        <translation>Recording hands-free…</translation>
    </message>
    <message>
        <source>正在聆听…</source>
        <translation>Listening…</translation>
    </message>
    <message>
        <source>识别中…</source>
        <translation>Transcribing…</translation>
    </message>
    <message>
        <source>翻译成%1中…</source>
        <translation>Translating into %1…</translation>
    </message>
    <message>
        <source>AI 润色中…</source>
        <translation>Polishing…</translation>
    </message>
    <message>
        <source>正在把语音转换成文字</source>
        <translation>Turning speech into text</translation>
    </message>
    <message>
        <source>整理口述内容并翻译</source>
        <translation>Tidying up and translating</translation>
    </message>
    <message>
        <source>去除口头禅、修正标点和改口</source>
        <translation>Removing fillers, fixing punctuation and corrections</translation>
    </message>
    <message>
        <source>已输入到光标处</source>
        <translation>Typed at the cursor</translation>
    </message>
    <message>
        <source>按 Esc 关闭</source>
        <translation>Press Esc to close</translation>
    </message>
    <message>
        <source>录音已保存，可在菜单中重试</source>
        <translation>Recording kept; retry it from the menu</translation>
    </message>
</context>
<context>
    <name>Settings</name>
    <message>
        <source>英文</source>
        <translation>English</translation>
    </message>
    <message>
        <source>日文</source>
        <translation>Japanese</translation>
    </message>
    <message>
        <source>越南语</source>
        <translation>Vietnamese</translation>
    </message>
    <message>
        <source>未知错误</source>
        <translation>unknown error</translation>
    </message>
    <message>
        <source>失败：%1</source>
        <translation>Failed: %1</translation>
    </message>
    <message>
        <source>成功（%1 ms）：%2</source>
        <translation>Succeeded (%1 ms): %2</translation>
    </message>
    <message>
        <source>恢复默认（%1）</source>
        <translation>Restore the default (%1)</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>请按键…</source>
        <translation>Press keys…</translation>
    </message>
    <message>
        <source>未设置</source>
        <translation>Not set</translation>
    </message>
    <message>
        <source>已授权</source>
        <translation>Granted</translation>
    </message>
    <message>
        <source>去授权</source>
        <translation>Grant…</translation>
    </message>
    <message>
        <source>已保存，输入新值可替换</source>
        <translation>Saved; type a new key to replace it</translation>
    </message>
    <message>
        <source>已保存</source>
        <translation>Saved</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>两个快捷键相同，免提切换不会生效</source>
        <translation>Both shortcuts are the same: the hands-free toggle will not work</translation>
    </message>
    <message>
        <source>使用 Fn 键时，建议在“系统设置 › 键盘”中把“按下 🌐 键时”设为“不执行任何操作”</source>
        <translation>With the Fn key, set “Press 🌐 key to” to “Do Nothing” in System Settings › Keyboard</translation>
    </message>
    <message>
        <source>录音过程中轻点一下 %1，结果会翻译成%2后再输入。</source>
        <translation>Tap %1 while recording and the result is translated into %2 before it is typed.</translation>
    </message>
    <message>
        <source>再点一次切换到下一种语言：%1。先按住 %2 再开始录音，则一开始就是翻译模式。</source>
        <translation>Tap again for the next language: %1. Hold %2 before you start recording to translate from the start.</translation>
    </message>
    <message>
        <source>按 %1 可以直接以翻译模式开始免提录音。</source>
        <translation>Press %1 to start a hands-free recording that translates.</translation>
    </message>
    <message>
        <source>中文（含中英混说）</source>
        <translation>Chinese (with some English)</translation>
    </message>
    <message>
        <source>粤语</source>
        <translation>Cantonese</translation>
    </message>
    <message>
        <source>自动</source>
        <translation>Automatic</translation>
    </message>
    <message>
        <source>快捷键</source>
        <translation>Shortcuts</translation>
    </message>
    <message>
        <source>按住说话</source>
        <translation>Hold to talk</translation>
    </message>
    <message>
        <source>按住期间录音，一松手就结束并输入文字。</source>
        <translation>Records while you hold it; let go to finish and type the text.</translation>
    </message>
    <message>
        <source>适合一两句话的短回复、给 Claude Code 下指令。</source>
        <translation>Good for short replies and instructions to Claude Code.</translation>
    </message>
    <message>
        <source>免提切换</source>
        <translation>Hands-free toggle</translation>
    </message>
    <message>
        <source>按一次开始录音，之后可以松手；再按一次才结束并输入文字。</source>
        <translation>Press once to start recording and let go; press again to finish and type the text.</translation>
    </message>
    <message>
        <source>适合长段口述。正在按住说话时点一下它，可转为免提继续说。</source>
        <translation>Good for long dictation. Tap it while holding to talk to go on hands-free.</translation>
    </message>
    <message>
        <source>未绑定</source>
        <translation>Not bound</translation>
    </message>
    <message>
        <source>桌面实际绑定：按住说话 %1 · 免提切换 %2 · 翻译 %3 · 取消 %4</source>
        <translation>Bound by the desktop: hold to talk %1 · hands-free %2 · translate %3 · cancel %4</translation>
    </message>
    <message>
        <source>测试连接</source>
        <translation>Test connection</translation>
    </message>
    <message>
        <source>千问服务</source>
        <translation>Qwen service</translation>
    </message>
    <message>
        <source>接入域名</source>
        <translation>Service host</translation>
    </message>
    <message>
        <source>语音识别模型</source>
        <translation>Speech model</translation>
    </message>
    <message>
        <source>润色模型</source>
        <translation>Polish model</translation>
    </message>
    <message>
        <source>识别语言</source>
        <translation>Speech language</translation>
    </message>
    <message>
        <source>启用 AI 润色</source>
        <translation>Enable AI polish</translation>
    </message>
    <message>
        <source>AI 润色</source>
        <translation>AI polish</translation>
    </message>
    <message>
        <source>个人词库</source>
        <translation>Personal vocabulary</translation>
    </message>
    <message>
        <source>每行一个专有名词，润色时会优先使用这些写法，例如人名、产品名、技术术语</source>
        <translation>One proper noun per line, spelled the way polishing should prefer it: names of people, products, technical terms</translation>
    </message>
    <message>
        <source>翻译</source>
        <translation>Translation</translation>
    </message>
    <message>
        <source>默认目标语言</source>
        <translation>Default target language</translation>
    </message>
    <message>
        <source>翻译触发键</source>
        <translation>Translate key</translation>
    </message>
    <message>
        <source>翻译模型</source>
        <translation>Translation model</translation>
    </message>
    <message>
        <source>输入后恢复原剪贴板内容</source>
        <translation>Restore the clipboard after typing</translation>
    </message>
    <message>
        <source>开始 / 结束录音时播放提示音</source>
        <translation>Play a sound when recording starts and stops</translation>
    </message>
    <message>
        <source>登录时自动启动</source>
        <translation>Start at login</translation>
    </message>
    <message>
        <source>通用</source>
        <translation>General</translation>
    </message>
    <message>
        <source>麦克风</source>
        <translation>Microphone</translation>
    </message>
    <message>
        <source>用于录制语音</source>
        <translation>To record your voice</translation>
    </message>
    <message>
        <source>辅助功能</source>
        <translation>Accessibility</translation>
    </message>
    <message>
        <source>用于监听快捷键和把文字输入到光标处</source>
        <translation>To listen for shortcuts and type text at the cursor</translation>
    </message>
    <message>
        <source>权限</source>
        <translation>Permissions</translation>
    </message>
    <message>
        <source>测试中…</source>
        <translation>Testing…</translation>
    </message>
    <message>
        <source>保存失败：无法写入系统密钥环，请重试</source>
        <translation>Save failed: cannot write to the system keyring; try again</translation>
    </message>
    <message>
        <source>Quillo 设置</source>
        <translation>Quillo Settings</translation>
    </message>
    <message>
        <source>全局快捷键</source>
        <translation>Global shortcuts</translation>
    </message>
    <message>
        <source>桌面已为 Quillo 绑定快捷键，在任何窗口中都能使用</source>
        <translation>The desktop has bound Quillo’s shortcuts; they work in every window</translation>
    </message>
    <message>
        <source>已绑定</source>
        <translation>Bound</translation>
    </message>
    <message>
        <source>桌面还没有为 Quillo 绑定快捷键</source>
        <translation>The desktop has not bound Quillo’s shortcuts yet</translation>
    </message>
    <message>
        <source>重新绑定</source>
        <translation>Bind again</translation>
    </message>
    <message>
        <source>此桌面不提供全局快捷键：请在桌面的快捷键设置中
把 quillo --start 绑定到按下、quillo --stop 绑定到松开</source>
        <translation>This desktop offers no global shortcuts: in its keyboard settings,
bind quillo --start to the key press and quillo --stop to its release</translation>
    </message>
    <message>
        <source>键盘输入</source>
        <translation>Keyboard input</translation>
    </message>
    <message>
        <source>通过虚拟键盘把文字输入到光标处，无需授权</source>
        <translation>Text is typed at the cursor through a virtual keyboard; nothing to grant</translation>
    </message>
    <message>
        <source>可用</source>
        <translation>Available</translation>
    </message>
    <message>
        <source>已通过“远程桌面”授权把文字输入到光标处</source>
        <translation>Allowed through “Remote Desktop” to type text at the cursor</translation>
    </message>
    <message>
        <source>需要桌面的“远程桌面”授权才能把文字输入到光标处，
未授权时文字只复制到剪贴板</source>
        <translation>Typing needs the desktop’s “Remote Desktop” permission;
without it, text is only copied to the clipboard</translation>
    </message>
    <message>
        <source>重新请求</source>
        <translation>Ask again</translation>
    </message>
    <message>
        <source>此桌面无法自动输入：文字会复制到剪贴板，
请按 Ctrl+V 粘贴</source>
        <translation>This desktop cannot type for Quillo: text is copied to the clipboard,
press Ctrl+V to paste</translation>
    </message>
    <message>
        <source>保存失败：系统密钥环没有响应，请确认它已解锁后重试</source>
        <translation>Not saved: the system keyring did not answer. Make sure it is unlocked, then try again</translation>
    </message>
    <message>
        <source>Fn 键由键盘自己处理，程序收不到它：请换一个快捷键</source>
        <translation>The keyboard handles the Fn key itself and no program receives it: choose another shortcut</translation>
    </message>
    <message>
        <source>桌面的快捷键设置仍用首次启动时的语言显示这些快捷键的名称，Quillo 无法更改</source>
        <translation>The desktop&apos;s shortcut settings still name these shortcuts in the language of the first start; Quillo cannot rename them</translation>
    </message>
    <message>
        <source>钥匙串已锁定，解锁后可读取</source>
        <translation>Keyring locked: unlock it to read the key</translation>
    </message>
    <message>
        <source>钥匙串没有响应</source>
        <translation>Keyring not answering</translation>
    </message>
    <message>
        <source>无法访问钥匙串</source>
        <translation>Keyring unavailable</translation>
    </message>
    <message>
        <source>说话时在输入框里显示识别中的文字</source>
        <translation>Show the words being recognised in the field while speaking</translation>
    </message>
    <message>
        <source>装好 Quillo 的 fcitx5 插件后，文字由输入法直接写进输入框，不经过剪贴板；识别中的文字带下划线，说完后换成最终结果。</source>
        <translation>With Quillo&apos;s fcitx5 addon installed, the input method writes the text straight into the field, without the clipboard; words still being recognised are underlined and replaced by the final text when you finish.</translation>
    </message>
    <message>
        <source>输入法</source>
        <translation>Input method</translation>
    </message>
    <message>
        <source>未找到 Quillo 的 fcitx5 插件：文字经剪贴板粘贴</source>
        <translation>Quillo&apos;s fcitx5 addon not found: text is pasted through the clipboard</translation>
    </message>
    <message>
        <source>正在询问输入法…</source>
        <translation>Asking the input method…</translation>
    </message>
    <message>
        <source>输入法通道已启用：文字经 fcitx5 写入输入框</source>
        <translation>Input method route on: fcitx5 writes the text into the field</translation>
    </message>
</context>
</TS>
