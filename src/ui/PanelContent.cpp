#include "ui/PanelContent.h"

#include "dictation/DictationTexts.h"
#include "dictation/ShownMessage.h"
#include "settings/TargetLanguage.h"

#include <QCoreApplication>

#include <cmath>

namespace quillo::panel {

namespace {

using Kind = DictationPhase::Kind;

QString recordingSubtitle(const HUDModel &model)
{
    const QString endKey = model.mode() == RecordingMode::hold
        ? QCoreApplication::translate("Panel", "松开 %1").arg(model.holdKeyName())
        : model.toggleKeyName();
    const QString translate = model.translation()
        ? QCoreApplication::translate("Panel", "%1 换语言").arg(model.translateKeyName())
        : QCoreApplication::translate("Panel", "%1 翻译").arg(model.translateKeyName());
    return QCoreApplication::translate("Panel", "%1 结束 · %2 · Esc 取消").arg(endKey, translate);
}

} // namespace

QColor holdColor()
{
    return QColor(255, 59, 48);
}

QColor handsFreeColor()
{
    return QColor(255, 149, 0);
}

QString formatElapsed(double seconds)
{
    // Negative or broken clock values must not show as "-1:59".
    const long long whole = std::isfinite(seconds) && seconds > 0 ? static_cast<long long>(seconds) : 0;
    return QString::asprintf("%lld:%02lld", whole / 60, whole % 60);
}

QString title(const HUDModel &model)
{
    const DictationPhase phase = model.phase();
    switch (phase.kind()) {
    case Kind::idle:
        return QStringLiteral("Quillo");
    case Kind::recording:
        if (!model.partial().isEmpty())
            return model.partial();
        return model.mode() == RecordingMode::handsFree ? QCoreApplication::translate("Panel", "免提录音中…")
                                                        : QCoreApplication::translate("Panel", "正在聆听…");
    case Kind::transcribing:
        return QCoreApplication::translate("Panel", "识别中…");
    case Kind::polishing:
        if (const auto language = model.translation())
            return QCoreApplication::translate("Panel", "翻译成%1中…").arg(shownName(*language));
        return QCoreApplication::translate("Panel", "AI 润色中…");
    case Kind::done:
        return phase.payload();
    case Kind::failed:
        // A kept recording's failure: the hint goes on the second line, where it is never cut off.
        return shownMessage(dictationTexts::failureOfKept(phase.payload()).value_or(phase.payload()));
    }
    return {};
}

QString subtitle(const HUDModel &model)
{
    switch (model.phase().kind()) {
    case Kind::idle:
        return {};
    case Kind::recording:
        return recordingSubtitle(model);
    case Kind::transcribing:
        return QCoreApplication::translate("Panel", "正在把语音转换成文字");
    case Kind::polishing:
        return model.translation() ? QCoreApplication::translate("Panel", "整理口述内容并翻译")
                                   : QCoreApplication::translate("Panel", "去除口头禅、修正标点和改口");
    case Kind::done:
        return QCoreApplication::translate("Panel", "已输入到光标处");
    case Kind::failed:
        if (dictationTexts::failureOfKept(model.phase().payload()))
            return QCoreApplication::translate("Panel", "录音已保存，可在菜单中重试");
        return QCoreApplication::translate("Panel", "按 Esc 关闭");
    }
    return {};
}

PanelContent content(const HUDModel &model)
{
    const DictationPhase phase = model.phase();
    PanelContent c;
    c.title = title(model);
    c.subtitle = subtitle(model);
    switch (phase.kind()) {
    case Kind::idle:
        c.icon = PanelIcon::microphone;
        break;
    case Kind::recording:
        c.icon = PanelIcon::pulsingDot;
        c.dotColor = model.mode() == RecordingMode::handsFree ? handsFreeColor() : holdColor();
        c.titleKeepsEnd = true;
        c.elapsed = formatElapsed(model.elapsed());
        c.levels = model.levels();
        break;
    case Kind::transcribing:
    case Kind::polishing:
        c.icon = PanelIcon::spinner;
        break;
    case Kind::done:
        c.icon = PanelIcon::checkmark;
        break;
    case Kind::failed:
        c.icon = PanelIcon::warning;
        break;
    }
    if (phase.isBusy() && model.translation())
        c.badge = shownName(*model.translation());
    return c;
}

} // namespace quillo::panel
