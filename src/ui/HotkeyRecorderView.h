#pragma once

#include "hotkeys/Hotkey.h"

#include <QWidget>

#include <functional>
#include <optional>
#include <utility>

class QLabel;
class QPushButton;

namespace quillo {

class HotkeyManager;
class HotkeyRecorderModel;
class KeyEventTranslator;

// Shows a hotkey setting and changes it: the main button records a new hotkey,
// the others restore the default or clear it. While recording, the program's own
// key events go to the recorder model and nowhere else.
class HotkeyRecorderView : public QWidget {
    Q_OBJECT

public:
    using Write = std::function<void(const std::optional<Hotkey> &)>;

    // translator and manager may be null (no key capture, nothing to suspend).
    HotkeyRecorderView(const Hotkey &defaultValue, Write write, HotkeyManager *manager, KeyEventTranslator *translator,
        QWidget *parent = nullptr);
    ~HotkeyRecorderView() override;

    // Shows the bound value (after the setting changed).
    void setHotkey(const std::optional<Hotkey> &hotkey);
    // Where the desktop binds the keys itself, the main button runs this (its
    // own dialog) instead of recording; an empty action records again.
    void setMainAction(std::function<void()> action) { mainAction_ = std::move(action); }

    HotkeyRecorderModel &model() { return *model_; }
    QPushButton *mainButton() const { return main_; }
    QPushButton *restoreButton() const { return restore_; }
    QPushButton *clearButton() const { return clear_; }
    QString hintText() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void updateLabels();
    void setCapturing(bool capturing);
    void restyle();

    Hotkey default_;
    Write write_;
    std::function<void()> mainAction_;
    KeyEventTranslator *translator_;
    HotkeyRecorderModel *model_;
    std::optional<Hotkey> hotkey_;
    bool filtering_ = false;
    QPushButton *main_;
    QPushButton *restore_;
    QPushButton *clear_;
    QLabel *hint_;
};

} // namespace quillo
