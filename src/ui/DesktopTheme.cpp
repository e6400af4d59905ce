#include "ui/DesktopTheme.h"

#include <QApplication>
#include <QEvent>
#include <QStyleHints>
#include <QTimer>
#include <QToolTip>
#include <QWidget>

namespace quillo {

using theme::ColorScheme;

DesktopTheme::DesktopTheme(QObject *parent)
    : QObject(parent)
    , platform_(QApplication::palette())
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    connect(QGuiApplication::styleHints(), &QStyleHints::colorSchemeChanged, this, &DesktopTheme::reconsiderSoon);
#endif
    qApp->installEventFilter(this);
    apply(desktopScheme());
}

DesktopTheme::~DesktopTheme()
{
    qApp->removeEventFilter(this);
    // A palette without roles of its own: the platform theme's again.
    QApplication::setPalette(QPalette());
    tellWidgets();
}

void DesktopTheme::force(std::optional<ColorScheme> scheme)
{
    forced_ = scheme;
    reconsider();
}

void DesktopTheme::setPortalPreference(std::optional<ColorScheme> scheme)
{
    portal_ = scheme;
    reconsider();
}

ColorScheme DesktopTheme::desktopScheme() const
{
    if (forced_)
        return *forced_;
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    switch (QGuiApplication::styleHints()->colorScheme()) {
    case Qt::ColorScheme::Dark:
        return ColorScheme::dark;
    case Qt::ColorScheme::Light:
        return ColorScheme::light;
    default:
        break;
    }
#endif
    if (portal_)
        return *portal_;
    return theme::isDark(platform_) ? ColorScheme::dark : ColorScheme::light;
}

bool DesktopTheme::eventFilter(QObject *watched, QEvent *event)
{
    if (applying_)
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::ApplicationPaletteChange && watched == qApp && !ours(QApplication::palette())) {
        // A platform theme that sets the application palette itself (KDE's) has just
        // told us the desktop's new colours.
        platform_ = QApplication::palette();
        reconsiderSoon();
    } else if (event->type() == QEvent::ThemeChange) {
        rereadPlatform_ = true;
        reconsiderSoon();
    }
    return QObject::eventFilter(watched, event);
}

// Every window hears a theme change: one look after the burst.
void DesktopTheme::reconsiderSoon()
{
    if (queued_)
        return;
    queued_ = true;
    QTimer::singleShot(0, this, [this] {
        queued_ = false;
        reconsider();
    });
}

void DesktopTheme::reconsider()
{
    if (rereadPlatform_) {
        // The platform theme's palette hides under ours: a palette without roles of its
        // own brings it back for a moment.
        rereadPlatform_ = false;
        applying_ = true;
        QApplication::setPalette(QPalette());
        platform_ = QApplication::palette();
        applying_ = false;
    }
    apply(desktopScheme());
}

// WORKAROUND: Qt 6.4 tells only the application object of a new application palette;
// widgets that exist already keep the old one until they hear of it.
void DesktopTheme::tellWidgets()
{
    QEvent changed(QEvent::ApplicationPaletteChange);
    const QWidgetList widgets = QApplication::allWidgets();
    for (QWidget *widget : widgets)
        QCoreApplication::sendEvent(static_cast<QObject *>(widget), &changed);
}

// The roles we set stay as we set them; a new base palette only fills the others.
bool DesktopTheme::ours(const QPalette &palette) const
{
    for (const auto role : {QPalette::Window, QPalette::WindowText, QPalette::Base, QPalette::Text}) {
        if (palette.color(QPalette::Active, role) != applied_.color(QPalette::Active, role))
            return false;
    }
    return true;
}

void DesktopTheme::apply(ColorScheme scheme)
{
    if (ours(QApplication::palette()) && scheme == scheme_ && QApplication::testAttribute(Qt::AA_SetPalette))
        return;
    applying_ = true;
    QApplication::setPalette(theme::palette(scheme));
    QToolTip::setPalette(theme::palette(scheme)); // tooltips keep a palette of their own
    applied_ = QApplication::palette();
    tellWidgets();
    applying_ = false;
    const bool changed = scheme != scheme_;
    scheme_ = scheme;
    if (changed)
        emit schemeChanged(scheme);
}

} // namespace quillo
