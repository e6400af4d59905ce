#include "app/SelfTestRunner.h"

#include "app/SelfTestOffline.h"
#include "common/UnicodeText.h"
#include "dictation/RefinementFlow.h"
#include "settings/AppSettings.h"

#include <algorithm>

namespace quillo {

namespace {

using namespace std::chrono_literals;

constexpr qsizetype chunkBytes = 3200; // 0.1 s of 16 kHz 16-bit mono

qint64 median(QList<qint64> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

QString ms(qint64 value)
{
    return QStringLiteral("%1 ms").arg(value);
}

} // namespace

std::shared_ptr<SelfTestRunner> SelfTestRunner::create(Options options, Services services)
{
    return std::shared_ptr<SelfTestRunner>(new SelfTestRunner(std::move(options), std::move(services)));
}

SelfTestRunner::SelfTestRunner(Options options, Services services)
    : options_(std::move(options))
    , services_(std::move(services))
    , report_(services_.print)
    , polishModel_(options_.polishModel.value_or(services_.settings.polishModel()))
    , translateModel_(options_.translateModel.value_or(services_.settings.translateModel()))
{
}

qint64 SelfTestRunner::elapsedMs(Scheduler::TimePoint since) const
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(services_.scheduler.now() - since).count();
}

SelfTestRunner::Step SelfTestRunner::guarded(std::function<void(SelfTestRunner &, Next)> fn)
{
    return [weak = weak_from_this(), fn = std::move(fn)](Next next) {
        if (auto self = weak.lock())
            fn(*self, std::move(next));
    };
}

void SelfTestRunner::runSteps(std::shared_ptr<QList<Step>> steps, Next done)
{
    if (steps->isEmpty()) {
        done();
        return;
    }
    Step step = steps->takeFirst();
    step([weak = weak_from_this(), steps, done = std::move(done)]() mutable {
        if (auto self = weak.lock())
            self->runSteps(std::move(steps), std::move(done));
    });
}

void SelfTestRunner::run(std::function<void(int)> done)
{
    auto &settings = services_.settings;
    report_.line(QStringLiteral("== Quillo 自测 =="));
    report_.line(QStringLiteral("域名 ") + settings.normalizedHost() + QStringLiteral(" · 识别 ") + settings.asrModel()
        + QStringLiteral(" · 润色 ") + polishModel_);
    selfTestOffline::runUnitChecks(report_);

    settings.readAPIKey([weak = weak_from_this(), done = std::move(done)](const APIKeyRead &read) mutable {
        if (auto self = weak.lock())
            self->runWithKey(read.key, std::move(done));
    });
}

void SelfTestRunner::runWithKey(const QString &apiKey, std::function<void(int)> done)
{
    apiKey_ = apiKey;
    if (apiKey_.isEmpty()) {
        report_.check(QStringLiteral("API Key 已配置"), false);
        done(report_.summary());
        return;
    }
    auto steps = std::make_shared<QList<Step>>();
    if (!options_.onlyTranslate) {
        *steps += recognitionSection();
        *steps += polishSection();
    }
    *steps += translationSection();
    if (!options_.onlyTranslate)
        *steps += endToEndSection();
    runSteps(steps, [weak = weak_from_this(), done = std::move(done)] {
        if (auto self = weak.lock())
            done(self->report_.summary());
    });
}

void SelfTestRunner::recognize(
    const QByteArray &pcm, double speed, const QString &key, double timeout, RecognitionDone done)
{
    auto &settings = services_.settings;
    const RecognitionSession::Config config{key, settings.normalizedHost(), settings.asrModel(), settings.language()};
    std::shared_ptr<RecognitionSession> session = services_.sessions(config);
    session->connect();

    struct Stream {
        QByteArray pcm;
        qsizetype offset = 0;
        ScheduledWork pause;
    };
    auto stream = std::make_shared<Stream>(Stream{pcm, 0, {}});
    const auto pause = std::chrono::duration_cast<Scheduler::Duration>(100ms / speed);
    auto sendNext = std::make_shared<std::function<void()>>();
    *sendNext = [this, weak = weak_from_this(), session, stream, pause, timeout, sendNext, done]() {
        if (!weak.lock())
            return;
        if (stream->offset >= stream->pcm.size()) {
            const auto released = services_.scheduler.now();
            session->finish(timeout, [this, weak, session, released, done](RecognitionSession::FinishResult r) {
                if (weak.lock())
                    done(Recognition{std::move(r), elapsedMs(released)});
            });
            // Last: breaking the self-reference destroys this closure and everything it captured.
            *sendNext = nullptr;
            return;
        }
        session->sendAudio(stream->pcm.mid(stream->offset, chunkBytes));
        stream->offset += chunkBytes;
        stream->pause = services_.scheduler.after(pause, [sendNext] {
            if (*sendNext)
                (*sendNext)();
        });
    };
    (*sendNext)();
}

void SelfTestRunner::polishText(
    const QString &text, AppStyle style, const QString &key, std::function<void(QString, qint64, bool)> done)
{
    auto &settings = services_.settings;
    const QString transcript = unicode::trim(text);
    const RefinementRequest request{
        transcript, style, settings.vocabularyTerms(), key, settings.normalizedHost(), polishModel_};
    const auto started = services_.scheduler.now();
    refinementFlow::polish(
        services_.chat, request, [weak = weak_from_this(), started, done = std::move(done)](RefinementOutcome outcome) {
            if (auto self = weak.lock())
                done(outcome.text, self->elapsedMs(started), outcome.note.has_value());
        });
}

void SelfTestRunner::translateText(const QString &text, AppStyle style, TargetLanguage target, const QString &key,
    std::function<void(QString, qint64, bool)> done)
{
    auto &settings = services_.settings;
    const QString transcript = unicode::trim(text);
    const RefinementRequest request{
        transcript, style, settings.vocabularyTerms(), key, settings.normalizedHost(), translateModel_};
    const auto started = services_.scheduler.now();
    refinementFlow::translate(services_.chat, request, target, {},
        [weak = weak_from_this(), transcript, started, done = std::move(done)](RefinementOutcome outcome) {
            if (auto self = weak.lock())
                done(outcome.text, self->elapsedMs(started), outcome.text == transcript);
        });
}

SelfTestRunner::Step SelfTestRunner::medianCheck(const QString &label, std::shared_ptr<QList<qint64>> latencies)
{
    return guarded([label, latencies](SelfTestRunner &self, Next next) {
        const qint64 value = median(*latencies);
        self.report_.check(label, !latencies->isEmpty() && value < 1500, ms(value));
        next();
    });
}

} // namespace quillo
