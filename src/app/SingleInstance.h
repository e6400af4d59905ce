#pragma once

#include <QObject>

#include <functional>
#include <memory>

class QLocalServer;

namespace quillo {

// One Quillo per user session: the first instance listens on a local socket;
// a later launch asks it to open its settings window and then exits.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    explicit SingleInstance(QString name, QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when another instance answered and took the request.
    bool notifyRunningInstance();
    // Starts listening; onRequest runs for each later launch.
    bool listen(std::function<void()> onRequest);

    static QString defaultName();

private:
    QString name_;
    std::unique_ptr<QLocalServer> server_;
};

} // namespace quillo
