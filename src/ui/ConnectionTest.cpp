#include "ui/ConnectionTest.h"

#include "refinement/Prompts.h"
#include "refinement/TextRules.h"

#include <QPointer>

namespace quillo {

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
        finish(QStringLiteral("失败：未知错误"));
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
            const QString reason = result.error().description();
            self->finish(QStringLiteral("失败：") + (reason.isEmpty() ? QStringLiteral("未知错误") : reason));
            return;
        }
        const QString reply = cleanModelOutput(result.value());
        if (const Reason rejected = checkPolish(testText(), reply)) {
            self->finish(QStringLiteral("失败：") + (rejected->isEmpty() ? QStringLiteral("未知错误") : *rejected));
            return;
        }
        self->finish(QStringLiteral("成功（") + QString::number(ms.count()) + QStringLiteral(" ms）：") + reply);
    });
}

void ConnectionTest::finish(const QString &result)
{
    running_ = false;
    emit finished(result);
    emit runningChanged(false);
}

} // namespace quillo
