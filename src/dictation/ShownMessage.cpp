#include "dictation/ShownMessage.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace quillo {

namespace {

constexpr const char *context = "Messages";

// Messages with a varying part: the controller's and the error types' texts.
constexpr const char *templates[] = {
    QT_TRANSLATE_NOOP("Messages", "缺少辅助功能权限，文字已复制到剪贴板，请手动 %1"),
    QT_TRANSLATE_NOOP("Messages", "无法启动麦克风录音：%1"),
    QT_TRANSLATE_NOOP("Messages", "无法读取音频文件：%1"),
    QT_TRANSLATE_NOOP("Messages", "识别服务错误：%1"),
    QT_TRANSLATE_NOOP("Messages", "连接识别服务失败：%1"),
    QT_TRANSLATE_NOOP("Messages", "无效的域名 %1"),
    QT_TRANSLATE_NOOP("Messages", "润色服务返回 %1：%2"),
    QT_TRANSLATE_NOOP("Messages", "%1（录音已保存，可在菜单中重试）"),
};

// Fixed error descriptions of the layers below, which know no translation of their own.
[[maybe_unused]] constexpr const char *fixedTexts[] = {
    QT_TRANSLATE_NOOP("Messages", "没有可用的麦克风输入设备"),
    QT_TRANSLATE_NOOP("Messages", "无法转换麦克风音频格式"),
    QT_TRANSLATE_NOOP("Messages", "无法启动麦克风录音"),
    QT_TRANSLATE_NOOP("Messages", "无法读取音频文件"),
    QT_TRANSLATE_NOOP("Messages", "文件不完整"),
    QT_TRANSLATE_NOOP("Messages", "识别超时，请检查网络"),
    QT_TRANSLATE_NOOP("Messages", "识别已取消"),
    QT_TRANSLATE_NOOP("Messages", "无法创建网络连接"),
    QT_TRANSLATE_NOOP("Messages", "润色服务没有返回内容"),
    QT_TRANSLATE_NOOP("Messages", "无效的域名"),
    QT_TRANSLATE_NOOP("Messages", "设备无法打开"),
    QT_TRANSLATE_NOOP("Messages", "设备读写出错"),
    QT_TRANSLATE_NOOP("Messages", "音频服务不可用"),
    QT_TRANSLATE_NOOP("Messages", "未知错误"),
    QT_TRANSLATE_NOOP("Messages", "输入设备已改变"),
    QT_TRANSLATE_NOOP("Messages", "音频线程未运行"),
    QT_TRANSLATE_NOOP("Messages", "麦克风已断开，录音已结束"),
    QT_TRANSLATE_NOOP("Messages", "音频服务无响应"),
    QT_TRANSLATE_NOOP("Messages", "麦克风录音流无法打开"),
    QT_TRANSLATE_NOOP("Messages", "润色结果为空，已使用原文"),
    QT_TRANSLATE_NOOP("Messages", "润色结果明显长于原文，疑似模型在回答问题，已使用原文"),
    QT_TRANSLATE_NOOP("Messages", "润色结果明显短于原文，疑似被总结，已使用原文"),
};

QString translated(const char *source)
{
    return QCoreApplication::translate(context, source);
}

// "识别服务错误：%1" -> ^识别服务错误：(.*)$, every placeholder one group.
QRegularExpression patternOf(const QString &source)
{
    static const QRegularExpression placeholder(QStringLiteral("%\\d"));
    QString pattern = QStringLiteral("^");
    qsizetype at = 0;
    for (auto it = placeholder.globalMatch(source); it.hasNext();) {
        const auto match = it.next();
        pattern += QRegularExpression::escape(source.mid(at, match.capturedStart() - at)) + QStringLiteral("(.*?)");
        at = match.capturedEnd();
    }
    pattern += QRegularExpression::escape(source.mid(at)) + QStringLiteral("$");
    return QRegularExpression(pattern, QRegularExpression::DotMatchesEverythingOption);
}

} // namespace

QString shownMessage(const QString &message)
{
    const QByteArray source = message.toUtf8();
    const QString exact = QCoreApplication::translate(context, source.constData());
    if (exact != message)
        return exact;
    for (const char *const t : templates) {
        const QString templateText = QString::fromUtf8(t);
        const auto match = patternOf(templateText).match(message);
        if (!match.hasMatch())
            continue;
        QString shown = translated(t);
        if (shown == templateText)
            return message; // no translation loaded: the message already reads right
        // All parts at once: a quoted part that holds "%2" must stay as it is.
        const QString first = shownMessage(match.captured(1));
        return match.lastCapturedIndex() >= 2 ? shown.arg(first, shownMessage(match.captured(2))) : shown.arg(first);
    }
    return message;
}

} // namespace quillo
