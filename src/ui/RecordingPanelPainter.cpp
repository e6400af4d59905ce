#include "ui/RecordingPanelPainter.h"

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
    QLinearGradient gradient(rect.topLeft(), rect.topRight());
    gradient.setColorAt(0, QColor::fromRgbF(0.31f, 0.42f, 1.0f));
    gradient.setColorAt(1, QColor::fromRgbF(0.55f, 0.36f, 0.96f));
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

void RecordingPanelPainter::paintShadow(QPainter &painter, const QRectF &card)
{
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    if (shadow_.isNull() || shadowRatio_ != ratio) {
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
        shadow_ = image;
        shadowRatio_ = ratio;
    }
    painter.drawImage(QPointF(0, 0), shadow_);
}

void RecordingPanelPainter::paint(QPainter &painter, const PanelContent &content, const PanelAnimation &animation)
{
    painter.save();
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    const QRectF card = cardRect();
    paintShadow(painter, card);

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 209));
    painter.drawRoundedRect(card, cardRadius, cardRadius);
    painter.setPen(QPen(white(0.12), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(card.adjusted(0.5, 0.5, -0.5, -0.5), cardRadius - 0.5, cardRadius - 0.5);

    const QRectF inner = card.adjusted(padX, padY, -padX, -padY);
    const qreal midY = inner.center().y();
    paintIcon(painter, QRectF(inner.left(), midY - iconSide / 2, iconSide, iconSide), content, animation);

    // Laid out from the right edge: elapsed time, waveform, badge; the text takes the rest.
    qreal right = inner.right();
    if (content.elapsed) {
        const qreal w = elapsedWidth(*content.elapsed);
        painter.setFont(elapsedFont());
        painter.setPen(white(0.7));
        painter.drawText(
            QRectF(right - w, inner.top(), w, inner.height()), Qt::AlignRight | Qt::AlignVCenter, *content.elapsed);
        right -= w + spacing;
    }
    if (content.levels) {
        const QRectF frame(right - waveWidth, midY - waveHeight / 2, waveWidth, waveHeight);
        paintWaveform(painter, frame, animation.levels.isEmpty() ? *content.levels : animation.levels);
        right -= waveWidth + spacing;
    }
    if (content.badge) {
        const QSizeF size = badgeSize(*content.badge);
        paintBadge(painter, QRectF(QPointF(right - size.width(), midY - size.height() / 2), size), *content.badge);
        right -= size.width() + spacing;
    }

    const qreal left = inner.left() + iconSide + spacing;
    const qreal textWidth = right - left;
    const QFontMetricsF titleMetrics(titleFont());
    const QFontMetricsF subtitleMetrics(subtitleFont());
    const qreal top = midY - textColumnHeight() / 2;
    painter.setFont(titleFont());
    painter.setPen(Qt::white);
    painter.drawText(QRectF(left, top, textWidth, titleMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
        oneLine(content.title, titleFont(), textWidth, content.titleKeepsEnd ? Qt::ElideLeft : Qt::ElideRight));
    painter.setFont(subtitleFont());
    painter.setPen(white(0.65));
    painter.drawText(QRectF(left, top + titleMetrics.height() + 3, textWidth, subtitleMetrics.height()),
        Qt::AlignLeft | Qt::AlignVCenter, oneLine(content.subtitle, subtitleFont(), textWidth, Qt::ElideRight));
    painter.restore();
}

} // namespace quillo
