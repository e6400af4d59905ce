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
        <source>重试上次录音（%1）</source>
        <translation>Retry last recording (%1)</translation>
    </message>
    <message>
        <source>无法保存设置（磁盘已满或只读），更改暂存在内存中</source>
        <translation>Settings cannot be saved (disk full or read-only); changes are kept in memory</translation>
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
</context>
</TS>
