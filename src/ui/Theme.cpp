#include "ui/Theme.h"

namespace quillo::theme {

namespace {

QFont sized(int pixels, QFont::Weight weight = QFont::Normal)
{
    QFont f;
    f.setPixelSize(pixels);
    f.setWeight(weight);
    return f;
}

QPalette make(const QColor &window, const QColor &base, const QColor &text, const QColor &button)
{
    QPalette p;
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::Window, window);
        p.setColor(group, QPalette::Base, base);
        p.setColor(group, QPalette::AlternateBase, window);
        p.setColor(group, QPalette::WindowText, text);
        p.setColor(group, QPalette::Text, text);
        p.setColor(group, QPalette::ButtonText, text);
        p.setColor(group, QPalette::Button, button);
        p.setColor(group, QPalette::Highlight, accentFill());
        p.setColor(group, QPalette::HighlightedText, Qt::white);
        p.setColor(group, QPalette::PlaceholderText, tertiary(p));
        p.setColor(group, QPalette::ToolTipBase, base);
        p.setColor(group, QPalette::ToolTipText, text);
        p.setColor(group, QPalette::Light, button.lighter(120));
        p.setColor(group, QPalette::Midlight, button.lighter(110));
        p.setColor(group, QPalette::Mid, faint(p, 0.25));
        p.setColor(group, QPalette::Dark, faint(p, 0.4));
        p.setColor(group, QPalette::Shadow, QColor(0, 0, 0, 90));
    }
    QColor disabled = text;
    disabled.setAlphaF(0.3);
    p.setColor(QPalette::Disabled, QPalette::WindowText, disabled);
    p.setColor(QPalette::Disabled, QPalette::Text, disabled);
    p.setColor(QPalette::Disabled, QPalette::ButtonText, disabled);
    p.setColor(QPalette::Disabled, QPalette::Window, window);
    p.setColor(QPalette::Disabled, QPalette::Base, base);
    p.setColor(QPalette::Disabled, QPalette::Button, button);
    return p;
}

} // namespace

QPalette light()
{
    return make(QColor(242, 242, 246), Qt::white, QColor(29, 29, 31), QColor(255, 255, 255));
}

QPalette dark()
{
    return make(QColor(40, 40, 43), QColor(30, 30, 32), QColor(240, 240, 245), QColor(70, 70, 74));
}

QPalette palette(ColorScheme scheme)
{
    return scheme == ColorScheme::dark ? dark() : light();
}

bool isDark(const QPalette &palette)
{
    // The text colour, not the background: style sheets repaint backgrounds translucent.
    return palette.color(QPalette::Active, QPalette::WindowText).lightness() > 128;
}

QColor accent()
{
    return QColor(10, 132, 255);
}

QColor accentFill()
{
    return QColor(0, 100, 220);
}

QColor recordingFill()
{
    return QColor(200, 35, 30);
}

QColor warning(const QPalette &palette)
{
    return isDark(palette) ? QColor(255, 159, 10) : QColor(170, 75, 0);
}

QColor green()
{
    return QColor(52, 199, 89);
}

QColor faint(const QPalette &palette, qreal opacity)
{
    QColor c = palette.color(QPalette::Active, QPalette::WindowText);
    c.setAlphaF(opacity);
    return c;
}

QColor solid(const QPalette &palette, qreal opacity)
{
    const QColor back = isDark(palette) ? dark().color(QPalette::Window) : light().color(QPalette::Window);
    const QColor text = palette.color(QPalette::Active, QPalette::WindowText);
    return QColor::fromRgbF(back.redF() + (text.redF() - back.redF()) * opacity,
        back.greenF() + (text.greenF() - back.greenF()) * opacity,
        back.blueF() + (text.blueF() - back.blueF()) * opacity);
}

// The least opacities at which text keeps 4.5:1 on every background of both themes.
QColor secondary(const QPalette &palette)
{
    return faint(palette, 0.72);
}

QColor tertiary(const QPalette &palette)
{
    return faint(palette, 0.64);
}

QFont headline()
{
    return sized(14, QFont::DemiBold);
}

QFont body()
{
    return sized(13);
}

QFont callout()
{
    return sized(13);
}

QFont caption()
{
    return sized(11);
}

} // namespace quillo::theme

#include <QTimer>
#include <QWidget>

namespace quillo::theme {

void restyleOnce(QWidget &widget, const std::function<void()> &restyle)
{
    static constexpr char busy[] = "quilloRestyling";
    static constexpr char queued[] = "quilloRestyleQueued";
    if (widget.property(busy).toBool() || widget.property(queued).toBool())
        return;
    // Once every widget has taken the new palette: a style sheet repolishing children
    // meanwhile would put back the colours they had before.
    widget.setProperty(queued, true);
    QTimer::singleShot(0, &widget, [&widget, restyle] {
        widget.setProperty(queued, false);
        widget.setProperty(busy, true);
        restyle();
        widget.setProperty(busy, false);
    });
}

} // namespace quillo::theme
