#include "ui/HotkeyRecorderView.h"

#include "hotkeys/HotkeyRecorderModel.h"
#include "hotkeys/KeyNames.h"
#include "platform/KeyEventTranslator.h"
#include "ui/PanelIcons.h"
#include "ui/Theme.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillo {

namespace {

QIcon symbolIcon(void (*draw)(QPainter &, const QRectF &, const QColor &), const QColor &color, qreal ratio)
{
    return QIcon(icons::pixmap(14, ratio, [draw, color](QPainter &p, const QRectF &box) { draw(p, box, color); }));
}

} // namespace

HotkeyRecorderView::HotkeyRecorderView(
    const Hotkey &defaultValue, Write write, HotkeyManager *manager, KeyEventTranslator *translator, QWidget *parent)
    : QWidget(parent)
    , default_(defaultValue)
    , write_(std::move(write))
    , translator_(translator)
    , model_(new HotkeyRecorderModel(manager, this))
    , main_(new QPushButton(this))
    , restore_(new QPushButton(this))
    , clear_(new QPushButton(this))
    , hint_(new QLabel(this))
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    auto *row = new QHBoxLayout();
    row->setSpacing(4);
    row->addStretch(1);
    main_->setMinimumWidth(96);
    QFont rounded = theme::body();
    rounded.setWeight(QFont::Medium);
    main_->setFont(rounded);
    restore_->setToolTip(QCoreApplication::translate("Settings", "恢复默认（%1）").arg(keyNames::name(default_)));
    clear_->setToolTip(QCoreApplication::translate("Settings", "清除"));
    for (QPushButton *button : {main_, restore_, clear_}) {
        button->setCursor(Qt::PointingHandCursor);
        button->setFocusPolicy(Qt::NoFocus);
        row->addWidget(button);
    }
    column->addLayout(row);
    hint_->setFont(theme::caption());
    hint_->setWordWrap(true);
    hint_->setMaximumWidth(300);
    hint_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    column->addWidget(hint_, 0, Qt::AlignRight);

    connect(main_, &QPushButton::clicked, this, [this] {
        if (mainAction_) {
            mainAction_();
            return;
        }
        if (model_->isRecording()) {
            model_->stop();
            return;
        }
        model_->start([this](const Hotkey &hotkey) {
            if (write_)
                write_(hotkey);
        });
    });
    connect(restore_, &QPushButton::clicked, this, [this] {
        if (write_)
            write_(default_);
    });
    connect(clear_, &QPushButton::clicked, this, [this] {
        if (write_)
            write_(std::nullopt);
    });
    connect(model_, &HotkeyRecorderModel::isRecordingChanged, this, [this](bool recording) {
        setCapturing(recording);
        updateLabels();
    });
    connect(model_, &HotkeyRecorderModel::hintChanged, this, &HotkeyRecorderView::updateLabels);
    restyle();
    updateLabels();
}

HotkeyRecorderView::~HotkeyRecorderView()
{
    // The model stops capturing when it is destroyed after us; it must not call back
    // into a view that is already half gone.
    disconnect(model_, nullptr, this, nullptr);
    setCapturing(false);
}

void HotkeyRecorderView::setHotkey(const std::optional<Hotkey> &hotkey)
{
    hotkey_ = hotkey;
    updateLabels();
}

QString HotkeyRecorderView::hintText() const
{
    return hint_->isHidden() ? QString() : hint_->text();
}

bool HotkeyRecorderView::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::ShortcutOverride && model_->isRecording()) {
        // Keeps window shortcuts (Esc closing a dialog) from taking the key first.
        event->accept();
        return true;
    }
    if ((type != QEvent::KeyPress && type != QEvent::KeyRelease) || !translator_ || !model_->isRecording())
        return QWidget::eventFilter(watched, event);
    const auto translated = translator_->translate(*static_cast<QKeyEvent *>(event));
    if (translated && model_->handleKeyEvent(*translated))
        return true;
    return QWidget::eventFilter(watched, event);
}

void HotkeyRecorderView::hideEvent(QHideEvent *event)
{
    model_->stop();
    QWidget::hideEvent(event);
}

void HotkeyRecorderView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        theme::restyleOnce(*this, [this] { restyle(); });
    QWidget::changeEvent(event);
}

void HotkeyRecorderView::updateLabels()
{
    if (model_->isRecording())
        main_->setText(QCoreApplication::translate("Settings", "请按键…"));
    else
        main_->setText(hotkey_ ? keyNames::name(*hotkey_) : QCoreApplication::translate("Settings", "未设置"));
    const auto hint = model_->hint();
    hint_->setText(hint.value_or(QString()));
    hint_->setVisible(hint.has_value());
}

void HotkeyRecorderView::setCapturing(bool capturing)
{
    if (capturing == filtering_)
        return;
    filtering_ = capturing;
    if (capturing && translator_)
        translator_->reset();
    if (capturing)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

void HotkeyRecorderView::restyle()
{
    const QColor color = palette().color(QPalette::ButtonText);
    restore_->setIcon(symbolIcon(icons::counterclockwise, color, devicePixelRatioF()));
    clear_->setIcon(symbolIcon(icons::cross, color, devicePixelRatioF()));
    QPalette p = hint_->palette();
    p.setColor(QPalette::WindowText, theme::secondary(palette()));
    hint_->setPalette(p);
}

} // namespace quillo
