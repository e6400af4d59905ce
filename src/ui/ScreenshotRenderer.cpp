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

// Lays the widget out as if shown (nothing reaches a screen), then draws it.
QImage grabWidget(QWidget &widget, qreal scale, bool fitContent = true)
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

} // namespace

QStringList screenshotNames()
{
    QStringList names;
    for (const HudShot &shot : hudShots())
        names.append(shot.name);
    names << QStringLiteral("menu-light") << QStringLiteral("menu-dark") << QStringLiteral("settings")
          << QStringLiteral("settings-full") << QStringLiteral("recorder") << QStringLiteral("settings-wayland");
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

    // Two failed recordings waiting for a retry, one with the words seen before it failed.
    const auto keptSamples = [] {
        const QDateTime now = QDateTime::currentDateTimeUtc();
        return QList<FailedRecording>{
            {QStringLiteral("b"), now.addSecs(-300), 185 * 32000, AppStyle::chat, std::nullopt, false,
                QStringLiteral("我们明天下午四点在三楼会议室开会")},
            {QStringLiteral("a"), now.addDays(-2), 9 * 32000, AppStyle::general, std::nullopt, false, {}},
        };
    };
    ScreenshotScene scene;
    for (const bool dark : {false, true}) {
        MenuContent menu(scene.settings(), scene.history(), scene.permissions(), MenuActions{});
        menu.setPalette(dark ? theme::dark() : theme::light());
        menu.setKeptRecordings(keptSamples());
        const QString name = dark ? QStringLiteral("menu-dark") : QStringLiteral("menu-light");
        if (!save(name, grabWidget(menu, scale)))
            return unexpected(QCoreApplication::translate("App", "无法写入截图：%1").arg(name));
    }

    SettingsDeps deps{scene.settings(), scene.permissions(), scene.scheduler(), {}, nullptr, nullptr, {}};
    SettingsWindow window(deps);
    window.setPalette(theme::light());
    if (!save(QStringLiteral("settings"), grabWidget(window, scale, false)))
        return unexpected(QCoreApplication::translate("App", "无法写入截图：%1").arg(QStringLiteral("settings")));
    SettingsView full(deps);
    full.setPalette(theme::light());
    if (!save(QStringLiteral("settings-full"), grabWidget(full, scale)))
        return unexpected(QCoreApplication::translate("App", "无法写入截图：%1").arg(QStringLiteral("settings-full")));
    // A shortcut being recorded: the waiting key cap and the hint under it.
    HotkeyRecorderView recorder(defaultHoldHotkey, {}, nullptr, nullptr);
    recorder.setHotkey(defaultHoldHotkey);
    recorder.setPalette(theme::light());
    recorder.mainButton()->click();
    if (!save(QStringLiteral("recorder"), grabWidget(recorder, scale)))
        return unexpected(QCoreApplication::translate("App", "无法写入截图：%1").arg(QStringLiteral("recorder")));

    // A Wayland desktop without global shortcuts whose keyboard grant was refused.
    FakePermissions wayland;
    wayland.access = DesktopAccess{
        .shortcuts = DesktopAccess::Shortcuts::unavailable, .keyboard = DesktopAccess::Keyboard::notGranted};
    SettingsView waylandView(SettingsDeps{scene.settings(), wayland, scene.scheduler(), {}, nullptr, nullptr, {}});
    waylandView.setPalette(theme::light());
    if (!save(QStringLiteral("settings-wayland"), grabWidget(waylandView, scale)))
        return unexpected(
            QCoreApplication::translate("App", "无法写入截图：%1").arg(QStringLiteral("settings-wayland")));
    return written;
}

} // namespace quillo
