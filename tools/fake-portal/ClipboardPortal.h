#pragma once

#include <QByteArray>
#include <QDBusMessage>
#include <QMap>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace quillo::fakeportal {

class PortalCore;
struct Session;

// org.freedesktop.portal.Clipboard over RemoteDesktop sessions, and the rest
// of the desktop copying and pasting. Every session with the clipboard hears
// each new owner, its own writes included. GNOME 48 sends the mime types as
// "(as)" and swallows mutter's rejection of an empty list.
class ClipboardPortal {
public:
    explicit ClipboardPortal(PortalCore &core);

    void handle(const QDBusMessage &message);
    // Another application copies; another pastes (answered once the session wrote).
    void copy(const QString &type, const QByteArray &data);
    void paste(const QDBusMessage &control, const QString &type);
    void sessionGone(const QString &path);

private:
    // A paste answered through SelectionWrite: the pipe end we read from.
    struct Transfer {
        QString type;
        int readEnd = -1;
    };

    void requestClipboard(const QDBusMessage &message, Session &session);
    void setSelection(const QDBusMessage &message);
    void selectionWrite(const QDBusMessage &message);
    void selectionWriteDone(const QDBusMessage &message);
    void selectionRead(const QDBusMessage &message);
    void announceOwner(const QStringList &types, const QString &ownerSession);
    void announceNoOwner();

    PortalCore &core_;
    QString owner_; // a session path, or empty for another application
    QStringList types_;
    QMap<QString, QByteArray> data_; // what another application copied
    QMap<std::uint32_t, Transfer> transfers_;
};

} // namespace quillo::fakeportal
