#include "ui/DesktopTheme.h"

#include <QApplication>
#include <QLabel>

#include <gtest/gtest.h>

namespace quillo {
namespace {

using theme::ColorScheme;

QColor shownWindow()
{
    return QApplication::palette().color(QPalette::Window);
}

// The desktop's choice reaches the application, and widgets that already exist, as it changes.
TEST(DesktopTheme, FollowsTheDesktopLive)
{
    const QColor platform = shownWindow();
    QLabel existing;
    {
        DesktopTheme desktop;
        EXPECT_EQ(desktop.scheme(), ColorScheme::light) << "the off-screen platform's palette is light";
        EXPECT_EQ(shownWindow(), theme::light().color(QPalette::Window));

        desktop.setPortalPreference(ColorScheme::dark);
        EXPECT_EQ(desktop.scheme(), ColorScheme::dark);
        EXPECT_EQ(existing.palette().color(QPalette::Window), theme::dark().color(QPalette::Window));
        desktop.setPortalPreference(std::nullopt);
        EXPECT_EQ(desktop.scheme(), ColorScheme::light);

        // A platform theme that sets the application palette itself, as KDE's does.
        QPalette kde = QApplication::palette();
        kde.setColor(QPalette::Window, QColor(32, 35, 38));
        kde.setColor(QPalette::WindowText, QColor(252, 252, 252));
        QApplication::setPalette(kde);
        QCoreApplication::processEvents();
        EXPECT_EQ(desktop.scheme(), ColorScheme::dark);
        EXPECT_EQ(shownWindow(), theme::dark().color(QPalette::Window));

        desktop.force(ColorScheme::light);
        EXPECT_EQ(shownWindow(), theme::light().color(QPalette::Window));
    }
    EXPECT_EQ(shownWindow(), platform) << "the platform's palette again once it ends";
    EXPECT_EQ(existing.palette().color(QPalette::Window), platform);
}

} // namespace
} // namespace quillo
