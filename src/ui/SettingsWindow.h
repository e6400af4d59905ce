#pragma once

#include "ui/SettingsView.h"

#include <QWidget>

namespace quillo {

// The "Quillo 设置" window: the settings form in a scrolling area, 560 x 640.
// Closing it only hides it; the form and its state live as long as the window.
class SettingsWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int windowHeight = 640;

    explicit SettingsWindow(SettingsDeps deps, QWidget *parent = nullptr);

    SettingsView &view() { return *view_; }
    // Shows the window, raised and active.
    void bringToFront();

private:
    SettingsView *view_;
    bool placed_ = false;
};

// Creates the settings window on first use and keeps it.
class SettingsWindowController {
public:
    explicit SettingsWindowController(SettingsDeps deps)
        : deps_(std::move(deps))
    {
    }

    void show();
    // Null until the first show.
    SettingsWindow *window() const { return window_.get(); }

private:
    SettingsDeps deps_;
    std::unique_ptr<SettingsWindow> window_;
};

} // namespace quillo
