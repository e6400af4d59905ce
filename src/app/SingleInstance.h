#pragma once

#include "common/Expected.h"
#include "platform/Scheduler.h"

#include <QByteArrayView>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class QLocalServer;
class QLocalSocket;

namespace quillo {

// One Quillo per user session. The first instance listens on a local socket; a later
// launch, or a command such as `quillo --stop` run by a desktop key binding, connects,
// sends one request line and reads one answer line, then the connection ends:
//   request: open-settings | toggle | start | stop | cancel | translate | retry | status
//   answer:  ok (done) | ignored (nothing to do in the current state) | error: TEXT
// A status request is answered with one JSON object on the line instead (quillo --doctor).
// The socket lives in a folder only this user can enter: whoever could create the name
// first would receive our commands. A folder that is not private is refused, and neither
// side uses the socket then.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    enum class Request { openSettings, toggle, start, stop, cancel, translate, retry, status };

    // What the instance made of a request: done, nothing to do now, or refused with a reason.
    struct Answer {
        Answer(bool acted) // NOLINT(google-explicit-constructor): a plain yes or no is the usual answer
            : acted(acted)
        {
        }
        static Answer refused(QString why)
        {
            Answer a(false);
            a.refusal = std::move(why);
            return a;
        }
        bool acted = false;
        QString refusal;
    };

    struct Reply {
        enum class Kind { noInstance, noAnswer, badAnswer, taken, ignored, refused, notPrivate, status };
        Kind kind = Kind::noInstance;
        // refused: the instance's error text, printable and bounded; notPrivate: what is wrong
        // with the socket's folder; status: the JSON object as the instance sent it (unchecked).
        QString detail;
    };

    static constexpr std::chrono::milliseconds defaultTimeout{2000};
    // A connection that has not sent a whole request by then is dropped.
    static constexpr std::chrono::milliseconds idleTimeout{5000};
    // Longer requests (and answers) are refused unread.
    static constexpr qsizetype maxLineBytes = 256;
    // A status answer names every shortcut's trigger: it may be longer.
    static constexpr qsizetype maxStatusBytes = 4096;
    // An instance's error text is shown cut to this many characters.
    static constexpr qsizetype maxDetailChars = 120;

    // name: the socket's path; its folder must be private to this user (created when missing).
    explicit SingleInstance(QString name, QObject *parent = nullptr);
    ~SingleInstance() override;

    // Client side: blocks for at most timeout in all.
    Reply send(Request request, std::chrono::milliseconds timeout = defaultTimeout) const;
    // A plain second launch: true when another instance is there (asked to open its settings).
    bool notifyRunningInstance();
    // Starts listening; onRequest runs on this thread for every request and answers
    // whether it did anything. The error says why nothing listens.
    Expected<Done, QString> listen(Scheduler &scheduler, std::function<Answer(Request)> onRequest);
    // What a status request is answered with: one line of JSON, no line break.
    void setStatusReport(std::function<QByteArray()> report) { statusReport_ = std::move(report); }

    static std::optional<Request> requestFromLine(QByteArrayView line);
    static QByteArray lineOf(Request request);

    static QString defaultName();
    // tempDir holds a folder of the user's own when there is no usable runtime folder.
    static QString nameFor(const QString &runtimeDir, const QString &waylandDisplay, const QString &display, uint uid,
        const QString &tempDir);

private:
    void accept(QLocalSocket *socket);
    void readRequest(QLocalSocket *socket);
    void answer(QLocalSocket *socket, const QByteArray &line);

    QString name_;
    Scheduler *scheduler_ = nullptr;
    std::function<Answer(Request)> onRequest_;
    std::function<QByteArray()> statusReport_;
    // Declared before the server: the server's sockets report their end into it.
    std::map<QLocalSocket *, ScheduledWork> idle_;
    std::unique_ptr<QLocalServer> server_;
};

} // namespace quillo
