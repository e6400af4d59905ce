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
constexpr auto frameInterval = 16ms;

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
    , window_(std::make_unique<PanelWindow>([this](QPainter &painter) { paint(painter); }))
    , origin_(scheduler.now())
    , pulseStart_(origin_)
    , levelsChangedAt_(origin_)
{
    if (hints && hints->bypassWindowManager())
        window_->setWindowFlag(Qt::X11BypassWindowManagerHint);
    levelsFrom_ = levelsTo_ = model.levels();
    content_ = panel::content(model);
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

void RecordingPanel::paint(QPainter &painter)
{
    painter_.paint(painter, content_, animation());
}

void RecordingPanel::refresh()
{
    if (!model_)
        return;
    const bool wasRecording = content_.icon == PanelIcon::pulsingDot;
    content_ = panel::content(*model_);
    // The breathing starts over whenever a recording begins.
    if (!wasRecording && content_.icon == PanelIcon::pulsingDot)
        pulseStart_ = scheduler_.now();
    updateFrameTimer();
    window_->update();
}

void RecordingPanel::updateLevels()
{
    if (!model_)
        return;
    levelsFrom_ = animation().levels;
    levelsTo_ = model_->levels();
    levelsChangedAt_ = scheduler_.now();
}

void RecordingPanel::updateFrameTimer()
{
    const bool moving = content_.icon == PanelIcon::pulsingDot || content_.icon == PanelIcon::spinner;
    if (!window_->isVisible() || !moving) {
        frames_.cancel();
        return;
    }
    if (frames_.isSet())
        return;
    frames_ = scheduler_.every(frameInterval, [this] { window_->update(); });
}

} // namespace quillo
