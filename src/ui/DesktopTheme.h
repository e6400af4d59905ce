#pragma once

#include "ui/Theme.h"

#include <QObject>
#include <QPalette>

#include <optional>

namespace quillo {

// Dresses the whole application in the light or the dark theme, as the desktop asks, and
// follows the desktop when the user switches. Set on the application rather than on each
// window, so popups, style-sheeted widgets and windows opened later take it too.
//
// The desktop's choice, first that answers: a scheme forced by the program (screenshots,
// tests); Qt's colour scheme (Qt 6.5 and later); the settings portal's color-scheme (GNOME,
// KDE: set with setPortalPreference); the lightness of the palette the platform theme gives.
class DesktopTheme : public QObject {
    Q_OBJECT

public:
    explicit DesktopTheme(QObject *parent = nullptr);
    ~DesktopTheme() override;

    theme::ColorScheme scheme() const { return scheme_; }
    // A fixed scheme: the desktop is no longer followed. None follows it again.
    void force(std::optional<theme::ColorScheme> scheme);
    // What the settings portal's org.freedesktop.appearance color-scheme says; none when it
    // has no preference or no portal answers.
    void setPortalPreference(std::optional<theme::ColorScheme> scheme);

signals:
    void schemeChanged(theme::ColorScheme scheme);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    theme::ColorScheme desktopScheme() const;
    void reconsider();
    void reconsiderSoon();
    void apply(theme::ColorScheme scheme);
    bool ours(const QPalette &palette) const;
    static void tellWidgets();

    theme::ColorScheme scheme_ = theme::ColorScheme::light;
    std::optional<theme::ColorScheme> forced_;
    std::optional<theme::ColorScheme> portal_;
    QPalette platform_; // the platform theme's palette, read before ours replaced it
    QPalette applied_;
    bool applying_ = false;
    bool queued_ = false;
    bool rereadPlatform_ = false;
};

} // namespace quillo
