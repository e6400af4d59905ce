#include "ui/RecordingPanelPainter.h"

#include "dictation/HUDModel.h"
#include "ui/PanelIcons.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace quillo {

namespace {

constexpr qreal cardWidth = 460;
constexpr qreal cardRadius = 18;
constexpr qreal padX = 16;
constexpr qreal padY = 12;
constexpr qreal spacing = 12;
constexpr qreal iconSide = 22;
constexpr qreal waveWidth = 80;
constexpr qreal waveHeight = 26;
constexpr qreal barWidth = 2;
constexpr qreal barSpacing = 2;
constexpr int shadowBlur = 10;
constexpr int smallestTitlePixels = 11;
constexpr int smallestSubtitlePixels = 9;
constexpr qreal shadowOffset = 4;

QFont font(qreal pixels, QFont::Weight weight)
{
    QFont f;
    f.setPixelSize(static_cast<int>(pixels));
    f.setWeight(weight);
    return f;
}

QFont titleFont()
{
    return font(13, QFont::DemiBold);
}
QFont subtitleFont()
{
    return font(11, QFont::Normal);
}
QFont elapsedFont()
{
    return font(11, QFont::Medium);
}
QFont badgeFont()
{
    return font(11, QFont::DemiBold);
}

QColor white(qreal alpha)
{
    QColor c(Qt::white);
    c.setAlphaF(alpha);
    return c;
}

qreal textColumnHeight()
{
    return QFontMetricsF(titleFont()).height() + 3 + QFontMetricsF(subtitleFont()).height();
}

// One line of text: line breaks shown as spaces, cut to width at the given end.
QString oneLine(const QString &text, const QFont &f, qreal width, Qt::TextElideMode mode)
{
    QString line = text;
    line.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    return QFontMetricsF(f).elidedText(line, mode, std::max<qreal>(width, 0));
}

// A line that is too long for its font is first set smaller, down to a floor, before it is
// cut: a translated message is often longer than the original it replaces.
QFont fitted(QFont f, const QString &text, qreal width, int smallestPixels)
{
    while (f.pixelSize() > smallestPixels && QFontMetricsF(f).horizontalAdvance(text) > width)
        f.setPixelSize(f.pixelSize() - 1);
    return f;
}

// Every digit measured as the widest one, so the clock does not jitter as it counts.
qreal elapsedWidth(const QString &text)
{
    QString sample = text;
    for (QChar &c : sample) {
        if (c.isDigit())
            c = QLatin1Char('0');
    }
    return std::ceil(QFontMetricsF(elapsedFont()).horizontalAdvance(sample));
}

QSizeF badgeSize(const QString &name)
{
    const QFontMetricsF fm(badgeFont());
    return QSizeF(8 + 9 + 3 + fm.horizontalAdvance(name) + 8, fm.height() + 8);
}

void paintBadge(QPainter &painter, const QRectF &rect, const QString &name)
{
    // Deep enough for the white name on it to keep 4.5:1 at both ends.
    QLinearGradient gradient(rect.topLeft(), rect.topRight());
    gradient.setColorAt(0, QColor(64, 92, 235));
    gradient.setColorAt(1, QColor(122, 78, 225));
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawRoundedRect(rect, rect.height() / 2, rect.height() / 2);
    const QRectF arrow(rect.left() + 8, rect.center().y() - 4.5, 9, 9);
    icons::arrowRight(painter, arrow, Qt::white, 1.7);
    painter.setFont(badgeFont());
    painter.setPen(Qt::white);
    painter.drawText(QRectF(arrow.right() + 3, rect.top(), rect.right() - arrow.right() - 3, rect.height()),
        Qt::AlignLeft | Qt::AlignVCenter, name);
}

void paintWaveform(QPainter &painter, const QRectF &frame, const QList<float> &levels)
{
    if (levels.isEmpty())
        return;
    // The bars keep their own size and spacing and stay centred on the frame even
    // when they are wider than it.
    const qreal total = levels.size() * barWidth + (levels.size() - 1) * barSpacing;
    qreal x = frame.center().x() - total / 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(white(0.85));
    for (const float level : levels) {
        const qreal h = std::max<qreal>(3, static_cast<qreal>(level) * waveHeight);
        painter.drawRoundedRect(QRectF(x, frame.center().y() - h / 2, barWidth, h), barWidth / 2, barWidth / 2);
        x += barWidth + barSpacing;
    }
}

void paintIcon(QPainter &painter, const QRectF &box, const PanelContent &content, const PanelAnimation &animation)
{
    const QColor card(28, 28, 30);
    switch (content.icon) {
    case PanelIcon::microphone:
        icons::microphone(painter, box, Qt::white);
        break;
    case PanelIcon::pulsingDot:
        icons::pulsingDot(painter, box, content.dotColor, animation.pulse);
        break;
    case PanelIcon::spinner:
        icons::spinner(painter, box, Qt::white, animation.spinnerTurn);
        break;
    case PanelIcon::checkmark:
        icons::checkmarkCircle(
            painter, QRectF(box.center() - QPointF(9, 9), QSizeF(18, 18)), QColor(52, 199, 89), card);
        break;
    case PanelIcon::warning:
        icons::warningTriangle(
            painter, QRectF(box.center() - QPointF(8.5, 8.5), QSizeF(17, 17)), QColor(255, 204, 0), card);
        break;
    }
}

// Three box blurs in a row come close to a Gaussian; only alpha carries the shadow.
void blurAlpha(QImage &image, int radius)
{
    const int w = image.width();
    const int h = image.height();
    std::vector<int> line;
    auto pass = [&](bool horizontal) {
        const int length = horizontal ? w : h;
        const int lines = horizontal ? h : w;
        line.assign(static_cast<size_t>(length), 0);
        for (int l = 0; l < lines; ++l) {
            auto alpha = [&](int i) -> uchar & {
                const int x = horizontal ? i : l;
                const int y = horizontal ? l : i;
                return image.scanLine(y)[x * 4 + 3];
            };
            for (int i = 0; i < length; ++i)
                line[static_cast<size_t>(i)] = alpha(i);
            int sum = 0;
            for (int i = -radius; i <= radius; ++i)
                sum += (i >= 0 && i < length) ? line[static_cast<size_t>(i)] : 0;
            for (int i = 0; i < length; ++i) {
                alpha(i) = static_cast<uchar>(sum / (2 * radius + 1));
                const int out = i - radius;
                const int in = i + radius + 1;
                sum -= (out >= 0) ? line[static_cast<size_t>(out)] : 0;
                sum += (in < length) ? line[static_cast<size_t>(in)] : 0;
            }
        }
    };
    for (int i = 0; i < 3; ++i) {
        pass(true);
        pass(false);
    }
}

} // namespace

QRectF RecordingPanelPainter::cardRect()
{
    const qreal height = std::max({iconSide, textColumnHeight(), waveHeight}) + 2 * padY;
    return QRectF(
        (panel::width - cardWidth) / 2, std::round((panel::height - height) / 2 - shadowOffset / 2), cardWidth, height);
}

namespace {

// Laid out from the right edge: elapsed time, waveform, badge; the text takes the rest.
PanelBoxes measure(const PanelContent &content)
{
    const QRectF inner = RecordingPanelPainter::cardRect().adjusted(padX, padY, -padX, -padY);
    const qreal midY = inner.center().y();
    PanelBoxes b;
    b.icon = QRectF(inner.left(), midY - iconSide / 2, iconSide, iconSide);
    qreal right = inner.right();
    if (content.elapsed) {
        const qreal w = elapsedWidth(*content.elapsed);
        b.elapsed = QRectF(right - w, inner.top(), w, inner.height());
        right -= w + spacing;
    }
    if (content.levels) {
        b.waveform = QRectF(right - waveWidth, midY - waveHeight / 2, waveWidth, waveHeight);
        right -= waveWidth + spacing;
    }
    if (content.badge) {
        const QSizeF size = badgeSize(*content.badge);
        b.badge = QRectF(QPointF(right - size.width(), midY - size.height() / 2), size);
        right -= size.width() + spacing;
    }
    const qreal left = inner.left() + iconSide + spacing;
    b.titleHeight = QFontMetricsF(titleFont()).height();
    b.text = QRectF(left, midY - textColumnHeight() / 2, right - left, textColumnHeight());
    return b;
}

void paintText(QPainter &painter, const PanelBoxes &b, const PanelContent &content)
{
    const qreal textWidth = b.text.width();
    // A live transcript keeps its size: it grows word by word and would shrink as it goes.
    const QFont title
        = content.titleKeepsEnd ? titleFont() : fitted(titleFont(), content.title, textWidth, smallestTitlePixels);
    painter.setFont(title);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(b.text.left(), b.text.top(), textWidth, b.titleHeight), Qt::AlignLeft | Qt::AlignVCenter,
        oneLine(content.title, title, textWidth, content.titleKeepsEnd ? Qt::ElideLeft : Qt::ElideRight));
    const QFont subtitle = fitted(subtitleFont(), content.subtitle, textWidth, smallestSubtitlePixels);
    painter.setFont(subtitle);
    painter.setPen(white(0.65));
    painter.drawText(
        QRectF(b.text.left(), b.text.top() + b.titleHeight + 3, textWidth, QFontMetricsF(subtitleFont()).height()),
        Qt::AlignLeft | Qt::AlignVCenter, oneLine(content.subtitle, subtitle, textWidth, Qt::ElideRight));
}

void paintCardShape(QPainter &painter, const QRectF &card)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 209));
    painter.drawRoundedRect(card, cardRadius, cardRadius);
    painter.setPen(QPen(white(0.12), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(card.adjusted(0.5, 0.5, -0.5, -0.5), cardRadius - 0.5, cardRadius - 0.5);
}

QImage shadowImage(const QRectF &card, qreal ratio)
{
    const QSize pixels(
        static_cast<int>(std::ceil(panel::width * ratio)), static_cast<int>(std::ceil(panel::height * ratio)));
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(ratio, ratio);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 77));
        p.drawRoundedRect(card.translated(0, shadowOffset), cardRadius, cardRadius);
    }
    blurAlpha(image, std::max(1, static_cast<int>(std::lround(shadowBlur * ratio / 2))));
    image.setDevicePixelRatio(ratio);
    return image;
}

// Each box with a little room for antialiased edges and glyph overhang.
PanelLayout repaintRects(const PanelBoxes &b)
{
    const auto around
        = [](const QRectF &r) { return r.isEmpty() ? QRect() : r.toAlignedRect().adjusted(-2, -2, 2, 2); };
    PanelLayout l;
    l.icon = around(b.icon);
    l.text = around(b.text);
    l.badge = around(b.badge);
    l.elapsed = around(b.elapsed);
    if (!b.waveform.isEmpty()) {
        // The bars are centred on the frame and may be wider than it; levels above 1 make
        // them taller than it, so the whole height of the panel is theirs.
        const qreal bars = HUDModel::levelCount * barWidth + (HUDModel::levelCount - 1) * barSpacing;
        const qreal w = std::max(waveWidth, bars);
        l.waveform = around(QRectF(b.waveform.center().x() - w / 2, 0, w, panel::height))
            & QRect(0, 0, panel::width, panel::height);
    }
    return l;
}

constexpr auto hints = QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform;

// Every part, in the order they overlap, each only when `wanted` says so.
template <typename Wanted>
void paintParts(
    QPainter &painter, const PanelBoxes &b, const PanelContent &content, const PanelAnimation &animation, Wanted wanted)
{
    const PanelLayout l = repaintRects(b);
    if (wanted(l.icon))
        paintIcon(painter, b.icon, content, animation);
    if (content.elapsed && wanted(l.elapsed)) {
        painter.setFont(elapsedFont());
        painter.setPen(white(0.7));
        painter.drawText(b.elapsed, Qt::AlignRight | Qt::AlignVCenter, *content.elapsed);
    }
    if (content.levels && wanted(l.waveform))
        paintWaveform(painter, b.waveform, animation.levels.isEmpty() ? *content.levels : animation.levels);
    if (content.badge && wanted(l.badge))
        paintBadge(painter, b.badge, *content.badge);
    if (wanted(l.text))
        paintText(painter, b, content);
}

} // namespace

PanelLayout RecordingPanelPainter::layout(const PanelContent &content)
{
    return repaintRects(boxes(content));
}

const PanelBoxes &RecordingPanelPainter::boxes(const PanelContent &content)
{
    const BoxesKey key{content.elapsed ? content.elapsed->size() : -1, content.levels.has_value(), content.badge};
    if (boxesKey_ != key) {
        boxes_ = measure(content);
        boxesKey_ = key;
    }
    return boxes_;
}

const QImage &RecordingPanelPainter::card(qreal ratio)
{
    if (card_.isNull() || cardRatio_ != ratio) {
        const QRectF shape = cardRect();
        QImage image = shadowImage(shape, ratio);
        {
            QPainter p(&image);
            p.setRenderHints(hints);
            paintCardShape(p, shape);
        }
        card_ = image;
        cardRatio_ = ratio;
    }
    return card_;
}

void RecordingPanelPainter::paint(QPainter &painter, const PanelContent &content, const PanelAnimation &animation)
{
    painter.save();
    painter.setRenderHints(hints);
    const QRectF shape = cardRect();
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    painter.drawImage(QPointF(0, 0), shadowImage(shape, ratio));
    paintCardShape(painter, shape);
    paintParts(painter, boxes(content), content, animation, [](const QRect &) { return true; });
    painter.restore();
}

void RecordingPanelPainter::paint(
    QPainter &painter, const PanelContent &content, const PanelAnimation &animation, const QRegion &exposed)
{
    painter.save();
    painter.setRenderHints(hints);
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    // Nothing may be drawn outside `exposed`: what is there was not cleared, and
    // antialiased edges drawn twice would darken.
    painter.setClipRegion(exposed, painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    // Placed whole rather than cut per rectangle: at a fractional pixel ratio the cut
    // edges would land between pixels and be smoothed.
    painter.drawImage(QPointF(0, 0), card(ratio));
    paintParts(
        painter, boxes(content), content, animation, [&](const QRect &part) { return exposed.intersects(part); });
    painter.restore();
}

} // namespace quillo
