#pragma once

#include "platform/Scheduler.h"
#include "refinement/ChatFunction.h"

#include <QObject>
#include <QString>

#include <functional>

namespace quillo {

// The settings window's "测试连接": polishes a fixed phrase through the chat
// service with the stored key and reports the outcome and the time it took.
class ConnectionTest : public QObject {
    Q_OBJECT

public:
    struct Setup {
        // Reads the stored key (empty when none) and hands it on.
        std::function<void(std::function<void(const QString &)>)> readKey;
        std::function<QString()> host;
        std::function<QString()> model;
        ChatFunction chat;
    };

    static QString testText();

    ConnectionTest(Setup setup, Scheduler &scheduler, QObject *parent = nullptr);

    bool isRunning() const { return running_; }
    // Ignored while a test runs.
    void start();

signals:
    void runningChanged(bool running);
    // "成功（N ms）：reply" or "失败：reason".
    void finished(const QString &result);

private:
    void send(const QString &key);
    void finish(const QString &result);

    Setup setup_;
    Scheduler &scheduler_;
    bool running_ = false;
    Scheduler::TimePoint started_;
};

} // namespace quillo
