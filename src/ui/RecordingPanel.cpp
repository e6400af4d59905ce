#include "ui/RecordingPanel.h"

#include "dictation/HUDModel.h"
#include "platform/WindowHints.h"
#include "ui/PanelWindow.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace quillo {

namespace {

using namespace std::chrono_literals;

constexpr auto pulseHalfPeriod = 800ms;
constexpr auto spinnerPeriod = 1000ms;
constexpr auto levelAnimation = 80ms;
// 15 frames a second is smooth for a 0.8 s breath (the halo moves about a third of a
// pixel a frame) and still gives the 0.08 s easing of the bars an in-between frame; each
// frame costs the whole program more than the audio path does (measured: 2.2 % of a core
// while recording at 20 frames, 1.8 % at 15).
constexpr auto frameInterval = 66ms;

double seconds(Scheduler::Duration d)
{
    return std::chrono::duration<double>(d).count();
}

double easeInOut(double t)
{
    return 0.5 - 0.5 * std::cos(t * M_PI);
}

QList<ScreenArea> currentScreens(int &primaryIndex)
{
    QList<ScreenArea> areas;
    const QList<QScreen *> screens = QGuiApplication::screens();
    primaryIndex = 0;
    for (QScreen *screen : screens) {
        if (screen == QGuiApplication::primaryScreen())
            primaryIndex = static_cast<int>(areas.size());
        areas.append({screen->geometry(), screen->availableGeometry()});
    }
    return areas;
}

} // namespace

RecordingPanel::RecordingPanel(HUDModel &model, Scheduler &scheduler, WindowHints *hints, QObject *parent)
    : QObject(parent)
    , model_(&model)
    , scheduler_(scheduler)
    , hints_(hints)
    , window_(
          std::make_unique<PanelWindow>([this](QPainter &painter, const QRegion &exposed) { paint(painter, exposed); }))
    , origin_(scheduler.now())
    , pulseStart_(origin_)
    , levelsChangedAt_(origin_)
{
    if (hints && hints->bypassWindowManager())
        window_->setWindowFlag(Qt::X11BypassWindowManagerHint);
    levelsFrom_ = levelsTo_ = model.levels();
    content_ = panel::content(model);
    layout_ = painter_.layout(content_);
    connect(&model, &HUDModel::changed, this, &RecordingPanel::refresh);
    connect(&model, &HUDModel::levelsChanged, this, &RecordingPanel::updateLevels);
}

RecordingPanel::~RecordingPanel() = default;

void RecordingPanel::show()
{
    int primary = 0;
    const QList<ScreenArea> screens = currentScreens(primary);
    const auto origin = panel::placement(QCursor::pos(), screens, primary, window_->size());
    if (!origin)
        return;
    window_->move(*origin);
    window_->show();
    window_->raise();
    // Window managers drop a window's workspace state when it is hidden, so every show asks again.
    if (hints_)
        hints_->showOnAllWorkspaces(static_cast<quintptr>(window_->winId()));
    repaint(window_->rect());
    updateFrameTimer();
}

void RecordingPanel::hide()
{
    window_->hide();
    frames_.cancel();
}

PanelAnimation RecordingPanel::animation() const
{
    const auto now = scheduler_.now();
    PanelAnimation a;
    // The halo grows for one half period, shrinks for the next, and so on.
    const double halves = seconds(now - pulseStart_) / seconds(pulseHalfPeriod);
    const double phase = std::fmod(halves, 2.0);
    a.pulse = easeInOut(phase <= 1.0 ? phase : 2.0 - phase);
    a.spinnerTurn = std::fmod(seconds(now - origin_) / seconds(spinnerPeriod), 1.0);
    const double t = std::clamp(seconds(now - levelsChangedAt_) / seconds(levelAnimation), 0.0, 1.0);
    if (levelsFrom_.size() == levelsTo_.size()) {
        a.levels.reserve(levelsTo_.size());
        for (qsizetype i = 0; i < levelsTo_.size(); ++i)
            a.levels.append(static_cast<float>(levelsFrom_[i] + (levelsTo_[i] - levelsFrom_[i]) * t));
    } else {
        a.levels = levelsTo_;
    }
    return a;
}

void RecordingPanel::paint(QPainter &painter, const QRegion &exposed)
{
    painter_.paint(painter, content_, animation(), exposed);
}

void RecordingPanel::refresh()
{
    if (!model_)
        return;
    const PanelContent before = content_;
    const PanelLayout beforeLayout = layout_;
    content_ = panel::content(*model_);
    layout_ = painter_.layout(content_);
    const bool wasRecording = before.icon == PanelIcon::pulsingDot;
    // The breathing starts over whenever a recording begins.
    if (!wasRecording && content_.icon == PanelIcon::pulsingDot)
        pulseStart_ = scheduler_.now();
    // Bars that are no longer shown have nothing left to ease.
    levelsEasing_ = levelsEasing_ && content_.levels.has_value();
    updateFrameTimer();
    if (layout_ != beforeLayout) {
        repaint(window_->rect());
        return;
    }
    // Only what changed: most changes are the clock's tenths and new levels, which
    // change nothing here (the bars ease in through the frames).
    if (content_.icon != before.icon || content_.dotColor != before.dotColor)
        repaint(layout_.icon);
    if (content_.title != before.title || content_.subtitle != before.subtitle
        || content_.titleKeepsEnd != before.titleKeepsEnd)
        repaint(layout_.text);
    if (content_.badge != before.badge)
        repaint(layout_.badge);
    if (content_.elapsed != before.elapsed)
        repaint(layout_.elapsed);
}

void RecordingPanel::updateLevels()
{
    if (!model_)
        return;
    levelsFrom_ = animation().levels;
    levelsTo_ = model_->levels();
    levelsChangedAt_ = scheduler_.now();
    levelsEasing_ = content_.levels.has_value();
    updateFrameTimer();
}

void RecordingPanel::nextFrame()
{
    if (content_.icon == PanelIcon::pulsingDot || content_.icon == PanelIcon::spinner)
        repaint(layout_.icon);
    if (levelsEasing_) {
        repaint(layout_.waveform);
        // This frame is drawn at or after the easing's end: the bars are where they go.
        if (scheduler_.now() - levelsChangedAt_ >= levelAnimation)
            levelsEasing_ = false;
    }
    updateFrameTimer();
}

bool RecordingPanel::moving() const
{
    return content_.icon == PanelIcon::pulsingDot || content_.icon == PanelIcon::spinner || levelsEasing_;
}

void RecordingPanel::updateFrameTimer()
{
    if (!window_->isVisible() || !moving()) {
        frames_.cancel();
        return;
    }
    if (frames_.isSet())
        return;
    frames_ = scheduler_.every(frameInterval, [this] { nextFrame(); });
}

void RecordingPanel::repaint(const QRect &area)
{
    if (area.isEmpty())
        return;
    emit repaintRequested(area);
    window_->update(area);
}

} // namespace quillo
