#pragma once

#include "dictation/DictationPhase.h"

#include <QIcon>
#include <QObject>

#include <memory>

class QSystemTrayIcon;
class QWidget;

namespace quillo {

class MenuContent;

// The symbol the tray shows for a phase.
enum class TraySymbol { waveform, recording, busy };

// The icon in the system tray. Its symbol follows the dictation phase; a click
// shows the menu content as a popup next to it.
class TrayIcon : public QObject {
    Q_OBJECT

public:
    // content is moved into the popup, which owns it from then on.
    explicit TrayIcon(MenuContent *content, QObject *parent = nullptr);
    ~TrayIcon() override;

    static TraySymbol symbolFor(const DictationPhase &phase);
    static QIcon iconFor(TraySymbol symbol);

    void setPhase(const DictationPhase &phase);
    TraySymbol symbol() const { return symbol_; }
    // Shows the menu, or hides it when it is open.
    void showMenu();
    void hideMenu();
    QWidget *popup() const { return popup_.get(); }

private:
    std::unique_ptr<QWidget> popup_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    TraySymbol symbol_ = TraySymbol::waveform;
};

} // namespace quillo
