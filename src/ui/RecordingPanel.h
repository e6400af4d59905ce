#pragma once

#include "dictation/DictationPorts.h"
#include "platform/Scheduler.h"
#include "ui/PanelContent.h"
#include "ui/PanelPlacement.h"
#include "ui/RecordingPanelPainter.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QRegion>

class QPainter;

#include <memory>

namespace quillo {

class HUDModel;
class PanelWindow;
class WindowHints;

// The floating panel that shows the HUD model during and just after a dictation.
// It never takes focus and lets clicks through, so the application being dictated
// into stays active. Hidden between dictations, never destroyed.
class RecordingPanel : public QObject, public DictationPanel {
    Q_OBJECT

public:
    RecordingPanel(HUDModel &model, Scheduler &scheduler, WindowHints *hints = nullptr, QObject *parent = nullptr);
    ~RecordingPanel() override;

    // Places the panel on the screen under the pointer and shows it without
    // activating anything.
    void show() override;
    void hide() override;

    PanelWindow &window() { return *window_; }

    const PanelContent &content() const { return content_; }
    const PanelLayout &layout() const { return layout_; }
    // The animation state as of the scheduler's clock.
    PanelAnimation animation() const;
    // Draws the parts of the panel that meet `exposed` over a transparent area.
    void paint(QPainter &painter, const QRegion &exposed);

signals:
    // The part of the window about to be drawn again.
    void repaintRequested(const QRect &area);

private:
    void refresh();
    void updateLevels();
    void nextFrame();
    bool moving() const;
    void updateFrameTimer();
    void repaint(const QRect &area);

    QPointer<HUDModel> model_;
    Scheduler &scheduler_;
    WindowHints *hints_;
    std::unique_ptr<PanelWindow> window_;
    RecordingPanelPainter painter_;
    PanelContent content_;
    PanelLayout layout_;
    Scheduler::TimePoint origin_;
    Scheduler::TimePoint pulseStart_;
    Scheduler::TimePoint levelsChangedAt_;
    QList<float> levelsFrom_;
    QList<float> levelsTo_;
    bool levelsEasing_ = false;
    ScheduledWork frames_;
};

} // namespace quillo
