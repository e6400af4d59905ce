#include "ui/ConnectionTest.h"

#include "dictation/ShownMessage.h"
#include "refinement/Prompts.h"
#include "refinement/TextRules.h"

#include <QCoreApplication>
#include <QPointer>

namespace quillo {

namespace {

// The reason reads in the interface language; the reply above is the model's own text.
QString failure(const QString &reason)
{
    const QString shown = reason.isEmpty() ? QCoreApplication::translate("Settings", "未知错误") : shownMessage(reason);
    return QCoreApplication::translate("Settings", "失败：%1").arg(shown);
}

} // namespace

// Sent to the model: it stays in the source language whatever the interface shows.
QString ConnectionTest::testText()
{
    return QStringLiteral("嗯那个测试一下连接").trimmed();
}

ConnectionTest::ConnectionTest(Setup setup, Scheduler &scheduler, QObject *parent)
    : QObject(parent)
    , setup_(std::move(setup))
    , scheduler_(scheduler)
{
}

void ConnectionTest::start()
{
    if (running_)
        return;
    running_ = true;
    started_ = scheduler_.now();
    emit runningChanged(true);
    QPointer<ConnectionTest> self(this);
    if (!setup_.readKey) {
        send(QString());
        return;
    }
    setup_.readKey([self](const QString &key) {
        if (self)
            self->send(key);
    });
}

void ConnectionTest::send(const QString &key)
{
    if (!setup_.chat) {
        finish(failure(QString()));
        return;
    }
    ChatRequest request;
    request.messages = polishMessages(testText(), AppStyle::general, {});
    request.apiKey = key;
    request.host = setup_.host ? setup_.host() : QString();
    request.model = setup_.model ? setup_.model() : QString();
    request.temperature = 0.1;
    QPointer<ConnectionTest> self(this);
    setup_.chat(request, [self](ChatResult result) {
        if (!self)
            return;
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(self->scheduler_.now() - self->started_);
        if (!result) {
            self->finish(failure(result.error().description()));
            return;
        }
        const QString reply = cleanModelOutput(result.value());
        if (const Reason rejected = checkPolish(testText(), reply)) {
            self->finish(failure(*rejected));
            return;
        }
        self->finish(
            QCoreApplication::translate("Settings", "成功（%1 ms）：%2").arg(QString::number(ms.count()), reply));
    });
}

void ConnectionTest::finish(const QString &result)
{
    running_ = false;
    emit finished(result);
    emit runningChanged(false);
}

} // namespace quillo
