#pragma once

#include "FakeScenario.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QWebSocket>

#include <functional>

namespace quillo::fake {

// One realtime connection of the fake service: answers like the real service and
// records what the client sent.
class FakeAsrSession : public QObject {
    Q_OBJECT
public:
    // `record` is this session's entry in the service's log, updated in place.
    FakeAsrSession(QWebSocket *socket, AsrScript script, QString sessionId, std::function<void(QJsonObject)> record,
        QObject *parent);

private:
    void handleText(const QString &text);
    void handleAppend(const QJsonObject &message, QJsonObject &entry);
    void handleFinish();
    void speech(qint64 bytes);
    void startItem();
    void sendPartial();
    void endItem();
    void sendEvent(QJsonObject event);
    void sendGarbage();
    void save();
    QString itemId() const { return QStringLiteral("item_%1_%2").arg(sessionId_).arg(item_); }

    QPointer<QWebSocket> socket_;
    AsrScript script_;
    QString sessionId_;
    std::function<void(QJsonObject)> record_;
    QJsonObject log_;
    QJsonArray messages_;
    qint64 audioBytes_ = 0;
    // Of every byte of audio, in order; written down once the client finishes.
    QCryptographicHash audioHash_{QCryptographicHash::Sha256};
    qint64 speechBytes_ = 0;
    std::size_t item_ = 0;
    qint64 itemBytes_ = 0;
    qint64 sinceLastPartial_ = 0;
    bool itemOpen_ = false;
    bool errorSent_ = false;
    bool finishing_ = false;
    int eventCounter_ = 0;
    int garbageCounter_ = 0;
};

} // namespace quillo::fake
