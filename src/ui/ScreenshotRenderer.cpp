#include "ui/ScreenshotRenderer.h"

#include "dictation/DictationTexts.h"
#include "dictation/HUDModel.h"
#include "platform/fake/FakeLoginItem.h"
#include "platform/fake/FakePermissions.h"
#include "platform/fake/ManualScheduler.h"
#include "platform/fake/MemoryCredentialStore.h"
#include "platform/fake/MemoryDefaultsStore.h"
#include "settings/AppSettings.h"
#include "settings/HistoryStore.h"
#include "ui/DesktopTheme.h"
#include "ui/HotkeyRecorderView.h"
#include "ui/MenuContent.h"
#include "ui/PanelContent.h"
#include "ui/RecordingPanelPainter.h"
#include "ui/ScreenshotScene.h"
#include "ui/SettingsView.h"
#include "ui/SettingsWindow.h"
#include "ui/Theme.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPushButton>

#include <algorithm>
#include <cmath>
#include <functional>

namespace quillo {

namespace {

struct HudShot {
    QString name;
    std::function<void(HUDModel &)> setUp;
};

// A plausible level curve for the waveform: speech rising and falling.
void speak(HUDModel &model)
{
    for (int i = 0; i < HUDModel::levelCount; ++i)
        model.pushLevel(static_cast<float>(0.15 + 0.7 * std::abs(std::sin(i * 0.55)) * (0.4 + 0.6 * (i % 3) / 2.0)));
}

QList<HudShot> hudShots()
{
    return {
        {QStringLiteral("hud-listening"),
            [](HUDModel &m) {
                m.setPhase(DictationPhase::recording());
                m.setElapsed(1.2);
            }},
        {QStringLiteral("hud-partial"),
            [](HUDModel &m) {
                m.setPhase(DictationPhase::recording());
                m.setPartial(QStringLiteral("我们明天下午四点开会，记得带上"));
                m.setElapsed(4.6);
                speak(m);
            }},
        {QStringLiteral("hud-handsfree"),
            [](HUDModel &m) {
                m.setMode(RecordingMode::handsFree);
                m.setPhase(DictationPhase::recording());
                m.setPartial(QStringLiteral("第一点是要先备份数据库"));
                m.setElapsed(75.9);
                speak(m);
            }},
        {QStringLiteral("hud-polishing"), [](HUDModel &m) { m.setPhase(DictationPhase::polishing()); }},
        {QStringLiteral("hud-translating"),
            [](HUDModel &m) {
                m.setTranslation(TargetLanguage::english);
                m.setPhase(DictationPhase::polishing());
            }},
        {QStringLiteral("hud-done"),
            [](HUDModel &m) {
                m.setPhase(DictationPhase::done(QStringLiteral("我们明天下午四点开会，记得带上 Claude Code 的演示。")));
            }},
        {QStringLiteral("hud-error"),
            [](HUDModel &m) { m.setPhase(DictationPhase::failed(dictationTexts::notPastedMessage)); }},
    };
}

QImage renderHud(const HudShot &shot, qreal scale)
{
    HUDModel model;
    shot.setUp(model);
    QImage image(static_cast<int>(panel::width * scale), static_cast<int>(panel::height * scale),
        QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    PanelAnimation still;
    still.pulse = 0.7;
    still.spinnerTurn = 0.3;
    RecordingPanelPainter().paint(painter, panel::content(model), still);
    return image;
}

// Two failed recordings waiting for a retry, one with the words seen before it failed.
QList<FailedRecording> keptSamples()
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    return QList<FailedRecording>{
        {QStringLiteral("b"), now.addSecs(-300), 185 * 32000, AppStyle::chat, std::nullopt, false,
            QStringLiteral("我们明天下午四点在三楼会议室开会")},
        {QStringLiteral("a"), now.addDays(-2), 9 * 32000, AppStyle::general, std::nullopt, false, {}},
    };
}

} // namespace

std::vector<ScreenshotWindow> screenshotWindows(ScreenshotScene &scene, theme::ColorScheme scheme)
{
    const bool dark = scheme == theme::ColorScheme::dark;
    const auto named = [dark](const char *light, const char *darkName = nullptr) {
        if (!dark)
            return QString::fromLatin1(light);
        return darkName ? QString::fromLatin1(darkName) : QString::fromLatin1(light) + QStringLiteral("-dark");
    };
    std::vector<ScreenshotWindow> windows;
    auto menu = std::make_unique<MenuContent>(scene.settings(), scene.history(), scene.permissions(), MenuActions{});
    menu->setKeptRecordings(keptSamples());
    windows.push_back({named("menu-light", "menu-dark"), std::move(menu)});
    const SettingsDeps deps{scene.settings(), scene.permissions(), scene.scheduler(), {}, nullptr, nullptr, {}};
    windows.push_back({named("settings"), std::make_unique<SettingsWindow>(deps), false});
    windows.push_back({named("settings-full"), std::make_unique<SettingsView>(deps)});
    // A shortcut being recorded: the waiting key cap and the hint under it.
    auto recorder
        = std::make_unique<HotkeyRecorderView>(defaultHoldHotkey, HotkeyRecorderView::Write{}, nullptr, nullptr);
    recorder->setHotkey(defaultHoldHotkey);
    recorder->mainButton()->click();
    windows.push_back({named("recorder"), std::move(recorder)});
    windows.push_back({named("settings-wayland"),
        std::make_unique<SettingsView>(
            SettingsDeps{scene.settings(), scene.waylandPermissions(), scene.scheduler(), {}, nullptr, nullptr, {}})});
    return windows;
}

// Lays the widget out as if shown (nothing reaches a screen), then draws it.
QImage grabWidget(QWidget &widget, qreal scale, bool fitContent)
{
    widget.setAttribute(Qt::WA_DontShowOnScreen);
    widget.show();
    if (fitContent) {
        widget.adjustSize();
        // Wrapped lines need the height they take at this width, which the size hint
        // underestimates once a line wraps more than once.
        if (widget.hasHeightForWidth())
            widget.resize(widget.width(), std::max(widget.height(), widget.heightForWidth(widget.width())));
    }
    QImage image((QSizeF(widget.size()) * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(widget.palette().color(QPalette::Window));
    widget.render(&image);
    widget.hide();
    return image;
}

QStringList screenshotNames()
{
    QStringList names;
    for (const HudShot &shot : hudShots())
        names.append(shot.name);
    ScreenshotScene scene;
    for (const auto scheme : {theme::ColorScheme::light, theme::ColorScheme::dark}) {
        for (const ScreenshotWindow &window : screenshotWindows(scene, scheme))
            names.append(window.name);
    }
    return names;
}

Expected<QStringList, QString> renderScreenshots(const QString &dir, qreal scale)
{
    if (!QDir().mkpath(dir))
        return unexpected(QCoreApplication::translate("App", "无法创建目录：%1").arg(dir));
    QStringList written;
    auto save = [&](const QString &name, const QImage &image) -> bool {
        const QString path = QDir(dir).filePath(name + QStringLiteral(".png"));
        if (image.isNull() || !image.save(path, "PNG"))
            return false;
        written.append(path);
        return true;
    };
    for (const HudShot &shot : hudShots()) {
        if (!save(shot.name, renderHud(shot, scale)))
            return unexpected(QCoreApplication::translate("App", "无法写入截图：%1").arg(shot.name));
    }

    ScreenshotScene scene;
    DesktopTheme theme;
    for (const auto scheme : {theme::ColorScheme::light, theme::ColorScheme::dark}) {
        theme.force(scheme);
        for (ScreenshotWindow &window : screenshotWindows(scene, scheme)) {
            if (!save(window.name, grabWidget(*window.widget, scale, window.fitContent)))
                return unexpected(QCoreApplication::translate("App", "无法写入截图：%1").arg(window.name));
        }
    }
    return written;
}

} // namespace quillo
