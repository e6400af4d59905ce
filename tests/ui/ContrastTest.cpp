#include "UiFixture.h"

#include "i18n/InterfaceTranslator.h"
#include "ui/DesktopTheme.h"
#include "ui/HistoryRow.h"
#include "ui/KeptRecordingsList.h"
#include "ui/MenuContent.h"
#include "ui/PanelContent.h"
#include "ui/RecordingPanelPainter.h"
#include "ui/ScreenshotRenderer.h"
#include "ui/ScreenshotScene.h"
#include "ui/SettingsView.h"
#include "ui/ToggleSwitch.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cmath>

namespace quillo {
namespace {

using theme::ColorScheme;

double channel(int value)
{
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(QRgb rgb)
{
    return 0.2126 * channel(qRed(rgb)) + 0.7152 * channel(qGreen(rgb)) + 0.0722 * channel(qBlue(rgb));
}

double contrast(QRgb a, QRgb b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// What a widget shows as text and the part of it the text is drawn in; empty for
// widgets that show none (icons, containers, disabled controls).
struct ShownText {
    QString text;
    QRect box;
};

ShownText shownText(QWidget &w)
{
    const QRect inner = w.rect().adjusted(3, 3, -3, -3);
    if (!w.isEnabled())
        return {};
    if (auto *label = qobject_cast<QLabel *>(&w))
        return {label->text(), label->contentsRect()};
    if (auto *toggle = qobject_cast<ToggleSwitch *>(&w))
        return {toggle->text(), w.rect().adjusted(0, 0, -44, 0)};
    if (auto *field = qobject_cast<QLineEdit *>(&w))
        return {field->text().isEmpty() ? field->placeholderText() : field->text(), inner};
    if (auto *combo = qobject_cast<QComboBox *>(&w))
        return {combo->currentText(), inner.adjusted(0, 0, -20, 0)};
    if (auto *edit = qobject_cast<QPlainTextEdit *>(&w))
        return {edit->toPlainText(), edit->viewport()->geometry()};
    // Buttons with a layout (the history rows) leave their text to the labels inside.
    if (auto *button = qobject_cast<QAbstractButton *>(&w); button && !w.layout())
        return {button->text(), inner};
    return {};
}

struct Measured {
    double ratio;
    QRgb text;
    QRgb back;
};

// In a box of text, the colour most of it has is the background and the pixel farthest
// from it the text (anti-aliased edges only come closer).
Measured measure(const QImage &image, const QRect &pixels)
{
    QHash<QRgb, int> counts;
    for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = pixels.left(); x <= pixels.right(); ++x)
            ++counts[line[x] | 0xff000000];
    }
    Measured m{1, 0, 0};
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > most)
            std::tie(m.back, most) = std::pair(it.key(), it.value());
    }
    m.text = m.back;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (const double r = contrast(it.key(), m.back); r > m.ratio)
            std::tie(m.ratio, m.text) = std::pair(r, it.key());
    }
    return m;
}

// WCAG's large text: 18 pt, or 14 pt bold.
bool isLarge(const QFont &font)
{
    const int px = font.pixelSize() > 0 ? font.pixelSize() : qRound(font.pointSizeF() * 4 / 3);
    return px >= 24 || (px >= 19 && font.weight() >= QFont::Bold);
}

// One line for every widget whose text is below WCAG AA.
QStringList unreadableTexts(QWidget &window, const QImage &image, qreal scale)
{
    QStringList found;
    QList<QWidget *> widgets = window.findChildren<QWidget *>();
    widgets.prepend(&window);
    for (QWidget *w : std::as_const(widgets)) {
        const ShownText shown = shownText(*w);
        if (shown.text.trimmed().isEmpty() || !w->isVisibleTo(&window))
            continue;
        const QRect visible = shown.box & w->visibleRegion().boundingRect();
        const QRect box(QPointF(w->mapTo(&window, visible.topLeft())).toPoint() * scale, visible.size() * scale);
        const QRect pixels = box & image.rect();
        if (pixels.width() < 4 || pixels.height() < 4)
            continue;
        const auto [ratio, text, back] = measure(image, pixels);
        const double needed = isLarge(w->font()) ? 3.0 : 4.5;
        if (ratio < needed)
            found << QStringLiteral("%1 \"%2\": %3:1, text %4 on %5")
                         .arg(QString::fromLatin1(w->metaObject()->className()), shown.text.left(40))
                         .arg(ratio, 0, 'f', 2)
                         .arg(QColor(text).name(), QColor(back).name());
    }
    return found;
}

// The interface's own texts that are Chinese: the user's dictations (history rows, kept recordings) are theirs.
QStringList chineseTexts(QWidget &window)
{
    static const QRegularExpression han(QStringLiteral("\\p{Han}"));
    QStringList found;
    QList<QWidget *> widgets = window.findChildren<QWidget *>();
    widgets.prepend(&window);
    for (QWidget *w : std::as_const(widgets)) {
        bool usersOwn = false;
        for (QWidget *up = w; up && !usersOwn; up = up->parentWidget()) {
            const auto *kept = qobject_cast<KeptRecordingsList *>(up);
            usersOwn = qobject_cast<HistoryRow *>(up) != nullptr
                || (kept && kept->lines().contains(shownText(*w).text)); // a recording's first words
        }
        if (usersOwn)
            continue;
        QStringList texts{shownText(*w).text, w->toolTip(), w->windowTitle()};
        if (auto *combo = qobject_cast<QComboBox *>(w)) {
            for (int i = 0; i < combo->count(); ++i)
                texts << combo->itemText(i);
        }
        for (const QString &text : std::as_const(texts)) {
            if (text.contains(han))
                found << text;
        }
    }
    return found;
}

struct ContrastCase {
    const char *name;
    ColorScheme scheme;
    InterfaceLanguage language;
    bool switchedLive; // built in the other scheme, then the desktop switched
};

class ContrastTest : public ::testing::TestWithParam<ContrastCase> { };

// Every text of every screen reads in both themes and both languages, also after a
// live switch; the menu and the settings with their warnings shown. The English
// screens show no Chinese of their own.
TEST_P(ContrastTest, EveryTextMeetsWcagAA)
{
    const ContrastCase &c = GetParam();
    const InterfaceTranslator translator(c.language);
    const ColorScheme other = c.scheme == ColorScheme::dark ? ColorScheme::light : ColorScheme::dark;
    DesktopTheme desktop;
    desktop.force(c.switchedLive ? other : c.scheme);

    ScreenshotScene scene;
    std::vector<ScreenshotWindow> windows = screenshotWindows(scene, c.scheme);
    testing::UiFixture warned;
    warned.permissions.accessibility = false;
    const Hotkey fn{63, modifierFlag::function, true};
    warned.settings.setHoldHotkey(fn); // the same key twice, and Fn: two warnings
    warned.settings.setToggleHotkey(fn);
    auto menu = std::make_unique<MenuContent>(warned.settings, warned.history, warned.permissions, MenuActions{});
    menu->setSettingsWriteFailed(true);
    menu->setSettingsDamaged(QStringLiteral("/home/user/.config/com.nolt.quillo.conf.unreadable"));
    windows.push_back({QStringLiteral("menu-warnings"), std::move(menu)});
    windows.push_back({QStringLiteral("settings-warnings"),
        std::make_unique<SettingsView>(
            SettingsDeps{warned.settings, warned.permissions, warned.scheduler, {}, nullptr, nullptr, {}})});

    desktop.force(c.scheme);
    QCoreApplication::processEvents(); // the widgets restyle
    constexpr qreal scale = 2.0;
    for (ScreenshotWindow &window : windows) {
        const QImage image = grabWidget(*window.widget, scale, window.fitContent);
        window.widget->show(); // visibleRegion needs the window shown
        const QStringList unreadable = unreadableTexts(*window.widget, image, scale);
        EXPECT_TRUE(unreadable.isEmpty()) << window.name.toStdString() << ":\n"
                                          << unreadable.join(QLatin1Char('\n')).toStdString();
        if (c.language == InterfaceLanguage::english) {
            const QStringList chinese = chineseTexts(*window.widget);
            EXPECT_TRUE(chinese.isEmpty()) << window.name.toStdString() << " in English shows "
                                           << chinese.join(QStringLiteral(" | ")).toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Screens, ContrastTest,
    ::testing::Values(ContrastCase{"light_chinese", ColorScheme::light, InterfaceLanguage::chinese, false},
        ContrastCase{"dark_english", ColorScheme::dark, InterfaceLanguage::english, false},
        ContrastCase{"dark_chinese_after_switch", ColorScheme::dark, InterfaceLanguage::chinese, true},
        ContrastCase{"light_english_after_switch", ColorScheme::light, InterfaceLanguage::english, true}),
    [](const auto &info) { return std::string(info.param.name); });

// The recording panel is a dark card in either theme, translucent over whatever the
// desktop shows behind it: its title, subtitle, elapsed time and language badge read over
// a white and a black desktop.
TEST(RecordingPanelContrast, EveryTextMeetsWcagAAOverAnyDesktop)
{
    HUDModel recording;
    recording.setPhase(DictationPhase::recording());
    recording.setPartial(QStringLiteral("我们明天下午四点开会"));
    recording.setElapsed(4.6);
    HUDModel translating;
    translating.setTranslation(TargetLanguage::vietnamese);
    translating.setPhase(DictationPhase::polishing());
    HUDModel failed;
    failed.setPhase(DictationPhase::failed(QStringLiteral("没有听到说话声")));
    constexpr qreal scale = 2.0;
    for (const HUDModel *model : {&recording, &translating, &failed}) {
        const PanelContent content = panel::content(*model);
        RecordingPanelPainter painter;
        const PanelLayout layout = painter.layout(content);
        const QRect text = layout.text;
        // The badge's middle: its text on the gradient, without the rounded ends.
        const QRect badge = layout.badge.adjusted(layout.badge.height() / 2, 5, -layout.badge.height() / 2, -5);
        const QList<std::pair<const char *, QRect>> parts{{"title", text.adjusted(0, 0, 0, -text.height() / 2)},
            {"subtitle", text.adjusted(0, text.height() / 2, 0, 0)}, {"elapsed", layout.elapsed}, {"badge", badge}};
        for (const QColor &desktop : {QColor(Qt::white), QColor(Qt::black)}) {
            QImage image(QSize(panel::width, panel::height) * scale, QImage::Format_ARGB32_Premultiplied);
            image.setDevicePixelRatio(scale);
            image.fill(desktop);
            QPainter p(&image);
            painter.paint(p, content);
            p.end();
            for (const auto &[name, box] : parts) {
                const QRect pixels = QRect(box.topLeft() * scale, box.size() * scale) & image.rect();
                if (pixels.width() < 4 || pixels.height() < 4)
                    continue;
                const Measured m = measure(image, pixels);
                EXPECT_GE(m.ratio, 4.5) << content.title.toStdString() << " " << name << " over "
                                        << desktop.name().toStdString() << ": " << QColor(m.text).name().toStdString()
                                        << " on " << QColor(m.back).name().toStdString();
            }
        }
    }
}

} // namespace
} // namespace quillo
