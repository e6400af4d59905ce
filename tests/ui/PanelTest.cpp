#include "dictation/HUDModel.h"
#include "platform/fake/ManualScheduler.h"
#include "ui/PanelContent.h"
#include "ui/PanelPlacement.h"
#include "ui/PanelWindow.h"
#include "ui/RecordingPanel.h"
#include "ui/RecordingPanelPainter.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace quillo {
namespace {

using Kind = DictationPhase::Kind;

struct TextCase {
    const char *name;
    DictationPhase phase;
    RecordingMode mode;
    std::optional<TargetLanguage> translation;
    QString partial;
    QString title;
    QString subtitle;
    bool badge;
};

class PanelTextTest : public ::testing::TestWithParam<TextCase> { };

TEST_P(PanelTextTest, TitleSubtitleAndBadge)
{
    const TextCase &c = GetParam();
    HUDModel model;
    model.setPhase(c.phase);
    model.setMode(c.mode);
    model.setTranslation(c.translation);
    model.setPartial(c.partial);
    const PanelContent content = panel::content(model);
    EXPECT_EQ(content.title, c.title);
    EXPECT_EQ(content.subtitle, c.subtitle);
    EXPECT_EQ(content.badge.has_value(), c.badge);
    const bool recording = c.phase.kind() == Kind::recording;
    EXPECT_EQ(content.elapsed.has_value(), recording);
    EXPECT_EQ(content.levels.has_value(), recording);
    EXPECT_EQ(content.titleKeepsEnd, recording);
}

const auto en = std::optional<TargetLanguage>(TargetLanguage::english);
const auto none = std::optional<TargetLanguage>();

INSTANTIATE_TEST_SUITE_P(Phases, PanelTextTest,
    ::testing::Values(TextCase{"idle", DictationPhase::idle(), RecordingMode::hold, en, {}, "Quillo", "", false},
        TextCase{"holdListening", DictationPhase::recording(), RecordingMode::hold, none, {}, "正在聆听…",
            "松开 右 Alt 结束 · Shift 翻译 · Esc 取消", false},
        TextCase{"handsFreeTranslating", DictationPhase::recording(), RecordingMode::handsFree, en, {}, "免提录音中…",
            "Alt+Space 结束 · Shift 换语言 · Esc 取消", true},
        TextCase{"partialWins", DictationPhase::recording(), RecordingMode::handsFree, none, "你好", "你好",
            "Alt+Space 结束 · Shift 翻译 · Esc 取消", false},
        TextCase{"transcribing", DictationPhase::transcribing(), RecordingMode::hold, en, {}, "识别中…",
            "正在把语音转换成文字", true},
        TextCase{"polishing", DictationPhase::polishing(), RecordingMode::hold, none, {}, "AI 润色中…",
            "去除口头禅、修正标点和改口", false},
        TextCase{"translating", DictationPhase::polishing(), RecordingMode::hold,
            std::optional<TargetLanguage>(TargetLanguage::vietnamese), {}, "翻译成越南语中…", "整理口述内容并翻译",
            true},
        TextCase{
            "done", DictationPhase::done("好的。"), RecordingMode::hold, en, {}, "好的。", "已输入到光标处", false},
        TextCase{"failed", DictationPhase::failed("网络错误"), RecordingMode::hold, en, {}, "网络错误", "按 Esc 关闭",
            false},
        // However long the failure, the way to the kept recording is never cut off.
        TextCase{"failedAndKept", DictationPhase::failed("识别超时，请检查网络（录音已保存，可在菜单中重试）"),
            RecordingMode::hold, none, {}, "识别超时，请检查网络", "录音已保存，可在菜单中重试", false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(PanelContent, ElapsedIsWholeMinutesAndSeconds)
{
    const std::vector<std::pair<double, QString>> cases
        = {{75.9, "1:15"}, {5, "0:05"}, {600, "10:00"}, {0, "0:00"}, {59.99, "0:59"}, {-3, "0:00"}};
    for (const auto &[seconds, text] : cases)
        EXPECT_EQ(panel::formatElapsed(seconds), text) << seconds;
}

TEST(PanelContent, IconAndDotColourFollowPhaseAndMode)
{
    HUDModel model;
    EXPECT_EQ(panel::content(model).icon, PanelIcon::microphone);
    model.setPhase(DictationPhase::recording());
    EXPECT_EQ(panel::content(model).dotColor, panel::holdColor());
    model.setMode(RecordingMode::handsFree);
    EXPECT_EQ(panel::content(model).dotColor, panel::handsFreeColor());
    model.setPhase(DictationPhase::polishing());
    EXPECT_EQ(panel::content(model).icon, PanelIcon::spinner);
    model.setPhase(DictationPhase::done("x"));
    EXPECT_EQ(panel::content(model).icon, PanelIcon::checkmark);
    model.setPhase(DictationPhase::failed("x"));
    EXPECT_EQ(panel::content(model).icon, PanelIcon::warning);
}

// Counts columns that hold bright (waveform) pixels inside the waveform's area.
int waveformColumnHeight(const QImage &image, int column)
{
    const QRectF card = RecordingPanelPainter::cardRect();
    int height = 0;
    for (int y = static_cast<int>(card.top()); y < static_cast<int>(card.bottom()); ++y) {
        if (qGray(image.pixel(column, y)) > 150)
            ++height;
    }
    return height;
}

QImage render(const PanelContent &content, const PanelAnimation &animation = {})
{
    QImage image(panel::width, panel::height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    QPainter painter(&image);
    RecordingPanelPainter().paint(painter, content, animation);
    return image;
}

TEST(RecordingPanelPainter, BarHeightsFollowTheLevels)
{
    HUDModel model;
    model.setPhase(DictationPhase::recording());
    for (int i = 0; i < HUDModel::levelCount; ++i)
        model.pushLevel(i == HUDModel::levelCount - 1 ? 1.0f : 0.0f);
    const QImage image = render(panel::content(model));
    // Newest level at the right: the last bar is 26 high, the others the 3-pixel minimum.
    std::vector<int> heights;
    for (int x = 300; x < panel::width; ++x) {
        const int h = waveformColumnHeight(image, x);
        if (h > 0 && h <= 30)
            heights.push_back(h);
    }
    ASSERT_FALSE(heights.empty());
    EXPECT_GE(*std::max_element(heights.begin(), heights.end()), 24);
    EXPECT_LE(*std::min_element(heights.begin(), heights.end()), 4);
}

TEST(RecordingPanelPainter, LongPartialKeepsItsEnd)
{
    HUDModel model;
    model.setPhase(DictationPhase::recording());
    model.setPartial(QString(60, QChar(u'前')) + QStringLiteral("最后几个字"));
    const PanelContent content = panel::content(model);
    ASSERT_TRUE(content.titleKeepsEnd);
    // The painter cuts the head; compare with a tail-cut title: the pixels differ.
    PanelContent tailCut = content;
    tailCut.titleKeepsEnd = false;
    EXPECT_NE(render(content), render(tailCut));
}

struct PlacementCase {
    const char *name;
    QPoint pointer;
    QPoint expected;
};

class PanelPlacementTest : public ::testing::TestWithParam<PlacementCase> { };

TEST_P(PanelPlacementTest, CentredAboveTheBottomOfTheScreenUnderThePointer)
{
    // Primary 1920x1080 with a 40-pixel panel at the bottom; a second 1280x1024 screen to its right.
    const QList<ScreenArea> screens = {
        {QRect(0, 0, 1920, 1080), QRect(0, 0, 1920, 1040)}, {QRect(1920, 0, 1280, 1024), QRect(1920, 30, 1280, 994)}};
    const auto origin = panel::placement(GetParam().pointer, screens, 0, QSize(480, 96));
    ASSERT_TRUE(origin);
    EXPECT_EQ(*origin, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(TwoScreens, PanelPlacementTest,
    ::testing::Values(PlacementCase{"primary", QPoint(100, 100), QPoint(720, 1040 - 72 - 96)},
        PlacementCase{"second", QPoint(2000, 500), QPoint(1920 + 400, 30 + 994 - 72 - 96)},
        PlacementCase{"offScreenFallsBackToPrimary", QPoint(5000, 5000), QPoint(720, 1040 - 72 - 96)}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(PanelPlacement, PrimaryIndexChoosesFallbackAndNoScreenGivesNothing)
{
    const QList<ScreenArea> screens
        = {{QRect(0, 0, 1000, 800), QRect(0, 0, 1000, 800)}, {QRect(-1000, 0, 1000, 800), QRect(-1000, 0, 1000, 800)}};
    EXPECT_EQ(panel::placement(QPoint(9999, 0), screens, 1, QSize(480, 96)), QPoint(-740, 632));
    EXPECT_FALSE(panel::placement(QPoint(0, 0), {}, 0, QSize(480, 96)));
}

TEST(RecordingPanel, NeverTakesFocusNorClicks)
{
    HUDModel model;
    ManualScheduler scheduler;
    RecordingPanel panel(model, scheduler);
    const PanelWindow &window = panel.window();
    const Qt::WindowFlags flags = window.windowFlags();
    for (const Qt::WindowType flag : {Qt::FramelessWindowHint, Qt::WindowStaysOnTopHint, Qt::WindowDoesNotAcceptFocus,
             Qt::WindowTransparentForInput})
        EXPECT_TRUE(flags.testFlag(flag)) << flag;
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(window.testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_TRUE(window.testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_EQ(window.size(), QSize(480, 96));
    EXPECT_EQ(window.focusPolicy(), Qt::NoFocus);
}

TEST(RecordingPanel, FollowsTheModelAndAnimatesWhileVisible)
{
    using namespace std::chrono_literals;
    HUDModel model;
    ManualScheduler scheduler;
    RecordingPanel panel(model, scheduler);
    model.setPhase(DictationPhase::recording());
    EXPECT_EQ(panel.content().title, QStringLiteral("正在聆听…"));
    panel.show();
    EXPECT_TRUE(panel.window().isVisible());
    EXPECT_GT(scheduler.pendingCount(), 0u);

    // The halo starts small, is full after 0.8 s, small again after 1.6 s.
    EXPECT_NEAR(panel.animation().pulse, 0.0, 1e-6);
    scheduler.advance(800ms);
    EXPECT_NEAR(panel.animation().pulse, 1.0, 1e-6);
    scheduler.advance(800ms);
    EXPECT_NEAR(panel.animation().pulse, 0.0, 1e-6);

    // A level change is reached linearly within 0.08 s.
    model.pushLevel(1.0f);
    scheduler.advance(40ms);
    EXPECT_NEAR(panel.animation().levels.last(), 0.5, 0.01);
    scheduler.advance(40ms);
    EXPECT_NEAR(panel.animation().levels.last(), 1.0, 1e-6);

    panel.hide();
    EXPECT_FALSE(panel.window().isVisible());
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}

} // namespace
} // namespace quillo

namespace quillo {
namespace {

TEST(RecordingPanel, BreathingRestartsWithEachRecordingAndStopsWhenStill)
{
    using namespace std::chrono_literals;
    HUDModel model;
    ManualScheduler scheduler;
    RecordingPanel panel(model, scheduler);
    model.setPhase(DictationPhase::recording());
    panel.show();
    scheduler.advance(500ms);
    model.setPhase(DictationPhase::done(QStringLiteral("好")));
    EXPECT_EQ(scheduler.pendingCount(), 0u) << "a finished panel does not animate";
    model.setPhase(DictationPhase::recording());
    EXPECT_NEAR(panel.animation().pulse, 0.0, 1e-6) << "the halo starts small again";
    EXPECT_GT(scheduler.pendingCount(), 0u);
    model.setPhase(DictationPhase::polishing());
    EXPECT_GT(scheduler.pendingCount(), 0u) << "the spinner turns";
}

} // namespace
} // namespace quillo

namespace quillo {
namespace {

using namespace std::chrono_literals;

QImage paintedByPanel(RecordingPanel &panel, const QRegion &area, QImage image)
{
    QPainter painter(&image);
    painter.setClipRegion(area);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(image.rect(), Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    panel.paint(painter, area);
    return image;
}

QImage fullFrame(RecordingPanel &panel)
{
    QImage image(panel::width, panel::height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return paintedByPanel(panel, QRegion(0, 0, panel::width, panel::height), image);
}

// Moves the clock by at least `wait`, then on to the next frame the panel draws (when it
// animates), so what it shows can be compared with a full repaint at that instant.
void advanceToFrame(RecordingPanel &panel, ManualScheduler &scheduler, Scheduler::Duration wait)
{
    scheduler.advance(wait);
    bool drawn = false;
    const auto connection
        = QObject::connect(&panel, &RecordingPanel::repaintRequested, [&drawn](const QRect &) { drawn = true; });
    for (int ms = 0; ms < 1000 && scheduler.pendingCount() > 0 && !drawn; ++ms)
        scheduler.advance(1ms);
    QObject::disconnect(connection);
}

struct RepaintCase {
    const char *name;
    std::function<void(HUDModel &)> change;
    Scheduler::Duration wait;
    bool wholePanel; // the layout moves, so everything is drawn again
};

class PanelRepaintTest : public ::testing::TestWithParam<RepaintCase> { };

// What the window shows after repainting only the areas the panel asked for is what a
// repaint of everything shows.
TEST_P(PanelRepaintTest, PartialRepaintShowsWhatAFullOneShows)
{
    const RepaintCase &c = GetParam();
    HUDModel model;
    ManualScheduler scheduler;
    RecordingPanel panel(model, scheduler);
    model.setPhase(DictationPhase::recording());
    model.setElapsed(0.95);
    panel.show();
    for (float level : {0.2f, 0.9f, 0.4f})
        model.pushLevel(level);
    advanceToFrame(panel, scheduler, 300ms);
    const QImage before = fullFrame(panel);

    QRegion asked;
    QObject::connect(&panel, &RecordingPanel::repaintRequested, [&](const QRect &r) { asked += r; });
    c.change(model);
    advanceToFrame(panel, scheduler, c.wait);
    EXPECT_EQ(paintedByPanel(panel, asked, before), fullFrame(panel));
    const bool everything = (QRegion(0, 0, panel::width, panel::height) - asked).isEmpty();
    EXPECT_EQ(everything, c.wholePanel) << "asked for " << asked.boundingRect().width() << "x"
                                        << asked.boundingRect().height();
}

INSTANTIATE_TEST_SUITE_P(Changes, PanelRepaintTest,
    ::testing::Values(RepaintCase{"dotBreathes", [](HUDModel &) {}, 250ms, false},
        RepaintCase{"partialText", [](HUDModel &m) { m.setPartial(QStringLiteral("我们明天")); }, 0ms, false},
        RepaintCase{"levelArrives", [](HUDModel &m) { m.pushLevel(1.0f); }, 1ms, false},
        RepaintCase{"levelEasedIn", [](HUDModel &m) { m.pushLevel(1.0f); }, 200ms, false},
        RepaintCase{"clockTicksATenth", [](HUDModel &m) { m.setElapsed(0.99); }, 0ms, false},
        RepaintCase{"clockPassesASecond", [](HUDModel &m) { m.setElapsed(1.0); }, 0ms, false},
        RepaintCase{"handsFree", [](HUDModel &m) { m.setMode(RecordingMode::handsFree); }, 0ms, false},
        RepaintCase{"badgeAppears",
            [](HUDModel &m) { m.setTranslation(std::optional<TargetLanguage>(TargetLanguage::japanese)); }, 0ms, true},
        RepaintCase{"clockReachesTenMinutes", [](HUDModel &m) { m.setElapsed(600); }, 0ms, true},
        RepaintCase{"recordingEnds", [](HUDModel &m) { m.setPhase(DictationPhase::transcribing()); }, 100ms, true}),
    [](const auto &info) { return std::string(info.param.name); });

// Counts the frames that asked for each area over `span`.
struct FrameCount {
    int icon = 0;
    int waveform = 0;
    int other = 0;
};

FrameCount framesOver(RecordingPanel &panel, ManualScheduler &scheduler, Scheduler::Duration span)
{
    FrameCount count;
    const auto connection = QObject::connect(&panel, &RecordingPanel::repaintRequested, [&](const QRect &r) {
        if (r == panel.layout().icon)
            ++count.icon;
        else if (r == panel.layout().waveform)
            ++count.waveform;
        else
            ++count.other;
    });
    scheduler.advance(span);
    QObject::disconnect(connection);
    return count;
}

TEST(RecordingPanel, DrawsFramesOnlyWhileSomethingMoves)
{
    HUDModel model;
    ManualScheduler scheduler;
    RecordingPanel panel(model, scheduler);
    model.setPhase(DictationPhase::recording());
    panel.show();

    // Recording: the dot breathes at a smooth rate, the still bars are not drawn again.
    FrameCount frames = framesOver(panel, scheduler, 1s);
    EXPECT_GE(frames.icon, 15);
    EXPECT_LE(frames.icon, 30) << "a 0.8 s breath needs no more than 30 frames a second";
    EXPECT_EQ(frames.waveform, 0);
    EXPECT_EQ(frames.other, 0);

    // A new level: the bars move for the length of the easing, then rest.
    model.pushLevel(1.0f);
    frames = framesOver(panel, scheduler, 200ms);
    EXPECT_GE(frames.waveform, 2);
    EXPECT_LE(frames.waveform, 5);
    EXPECT_EQ(framesOver(panel, scheduler, 500ms).waveform, 0);

    // Bars easing when the recording ends stop with it.
    model.pushLevel(0.3f);
    model.setPhase(DictationPhase::done(QStringLiteral("好")));
    EXPECT_EQ(scheduler.pendingCount(), 0u);

    // Spinner phases move; a finished or failed panel is still: no timer at all.
    model.setPhase(DictationPhase::polishing());
    EXPECT_GT(framesOver(panel, scheduler, 500ms).icon, 0);
    for (const DictationPhase &still : {DictationPhase::done(QStringLiteral("好")),
             DictationPhase::failed(QStringLiteral("网络错误")), DictationPhase::idle()}) {
        model.setPhase(still);
        EXPECT_EQ(scheduler.pendingCount(), 0u) << still.payload().toStdString();
        model.pushLevel(0.5f); // levels are not shown outside a recording
        EXPECT_EQ(scheduler.pendingCount(), 0u);
        const FrameCount none = framesOver(panel, scheduler, 1s);
        EXPECT_EQ(none.icon + none.waveform + none.other, 0);
    }
}

} // namespace
} // namespace quillo
