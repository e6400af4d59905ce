#include "platform/qt/QtPasteboard.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMimeData>

namespace quillo {
namespace {

// Types a clipboard lists that are not content: Qt's own conversions (an image
// offered as image/png also shows as application/x-qt-image, which cannot be
// written back as bytes) and the X selection protocol's meta targets.
bool isContentType(const QString &type)
{
    static const QStringList meta{QStringLiteral("TARGETS"), QStringLiteral("MULTIPLE"), QStringLiteral("TIMESTAMP"),
        QStringLiteral("SAVE_TARGETS"), QStringLiteral("DELETE"), QStringLiteral("INSERT_SELECTION"),
        QStringLiteral("INSERT_PROPERTY")};
    return !type.startsWith(QLatin1String("application/x-qt-")) && !meta.contains(type);
}

} // namespace

QtPasteboard::QtPasteboard(QClipboard::Mode mode)
    : mode_(mode)
    , context_(std::make_unique<QObject>())
{
    if (QClipboard *cb = clipboard()) {
        QObject::connect(cb, &QClipboard::changed, context_.get(), [this](QClipboard::Mode changed) {
            if (changed == mode_)
                ++changes_;
        });
    }
}

QtPasteboard::~QtPasteboard() = default;

QClipboard *QtPasteboard::clipboard() const
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr;
}

bool QtPasteboard::isAvailable() const
{
    const QClipboard *cb = clipboard();
    if (!cb)
        return false;
    return mode_ != QClipboard::Selection || cb->supportsSelection();
}

PasteboardItems QtPasteboard::items() const
{
    if (!isAvailable())
        return {};
    const QMimeData *mime = clipboard()->mimeData(mode_);
    if (!mime)
        return {};
    QElapsedTimer spent;
    spent.start();
    PasteboardItem item;
    bool anyData = false;
    for (const QString &type : mime->formats()) {
        if (!isContentType(type))
            continue;
        if (spent.hasExpired(readBudget.count()))
            break;
        QByteArray data = mime->data(type);
        anyData = anyData || !data.isEmpty();
        item.push_back({type, std::move(data)});
    }
    // An owner that answered nothing (it quit meanwhile) leaves nothing to keep.
    if (!anyData)
        return {};
    return {std::move(item)};
}

void QtPasteboard::clear()
{
    if (isAvailable())
        clipboard()->clear(mode_);
}

bool QtPasteboard::write(const PasteboardItems &items)
{
    if (!isAvailable())
        return false;
    // One X selection owner offers one set of formats: items are merged, and the
    // first item that offers a type keeps it.
    auto mime = std::make_unique<QMimeData>();
    for (const PasteboardItem &item : items) {
        for (const PasteboardEntry &entry : item) {
            if (!mime->hasFormat(entry.type))
                mime->setData(entry.type, entry.data);
        }
    }
    const QMimeData *ours = mime.get();
    clipboard()->setMimeData(mime.release(), mode_); // the clipboard owns it
    // The platform keeps our object only when it took the content.
    return clipboard()->mimeData(mode_) == ours;
}

} // namespace quillo
