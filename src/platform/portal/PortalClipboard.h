#pragma once

#include "platform/Pasteboard.h"

#include <QDBusConnection>
#include <QObject>
#include <QStringList>

#include <chrono>
#include <cstdint>

class QDBusMessage;

namespace quillo {

class PortalRemoteDesktop;

// The clipboard through the Clipboard interface of a RemoteDesktop portal
// session, for desktops without the data-control protocol (GNOME). Linux
// clipboards hold one item: only the first item written is offered. Reads
// and the answers to paste requests go through pipes the portal hands over;
// each transfer is bounded in time so a stalled peer cannot hang the program.
// Works only while the session runs with the clipboard granted; otherwise the
// clipboard reads as empty and writes are refused. Main thread only.
class PortalClipboard final : public QObject, public Pasteboard {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds transferLimit{1000};

    PortalClipboard(QDBusConnection bus, const PortalRemoteDesktop &session, QObject *parent = nullptr);

    PasteboardItems items() const override;
    void clear() override;
    bool write(const PasteboardItems &items) override;
    std::uint64_t changeCount() const override { return changeCount_; }

private slots:
    void onOwnerChanged(const QDBusMessage &message);
    void onTransfer(const QDBusMessage &message);

private:
    bool ours(const QDBusMessage &message) const;
    bool setSelection(const QStringList &types);
    QByteArray read(const QString &type) const;
    bool answerTransfer(const QString &type, std::uint32_t serial);

    QDBusConnection bus_;
    const PortalRemoteDesktop &session_;
    PasteboardItem offered_; // what this program holds on the clipboard
    QStringList available_; // types the current owner offers
    bool owner_ = false;
    std::uint64_t changeCount_ = 0;
};

} // namespace quillo
