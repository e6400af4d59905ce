#pragma once

#include "app/SelfTestReport.h"
#include "common/AppStyle.h"
#include "common/Expected.h"
#include "platform/Scheduler.h"
#include "recognition/RecognitionSession.h"
#include "refinement/ChatFunction.h"
#include "settings/TargetLanguage.h"

#include <QByteArray>
#include <QList>

#include <functional>
#include <memory>
#include <optional>

namespace quillo {

class AppSettings;

// The built-in acceptance check: offline rules first, then the live services
// with the stored key. One check after another on the main thread, so every
// latency is measured alone.
class SelfTestRunner : public std::enable_shared_from_this<SelfTestRunner> {
public:
    struct Options {
        QString audioDir;
        std::optional<QString> polishModel; // else the setting
        std::optional<QString> translateModel; // else the setting
        bool onlyTranslate = false;
    };
    struct Services {
        AppSettings &settings;
        RecognitionSessionFactory sessions;
        ChatFunction chat;
        Scheduler &scheduler;
        SelfTestReport::Print print;
    };

    static std::shared_ptr<SelfTestRunner> create(Options options, Services services);

    // Completes with the number of failed checks.
    void run(std::function<void(int failed)> done);

    using Next = std::function<void()>;
    using Step = std::function<void(Next)>;

private:
    SelfTestRunner(Options options, Services services);

    struct Recognition {
        Expected<QString, ASRError> result = QString();
        qint64 latencyMs = 0;
    };
    using RecognitionDone = std::function<void(Recognition)>;

    void runWithKey(const QString &apiKey, std::function<void(int failed)> done);
    void runSteps(std::shared_ptr<QList<Step>> steps, Next done);
    Step guarded(std::function<void(SelfTestRunner &, Next)> fn);
    qint64 elapsedMs(Scheduler::TimePoint since) const;

    void recognize(const QByteArray &pcm, double speed, const QString &key, double timeout, RecognitionDone done);
    void polishText(const QString &text, AppStyle style, const QString &key,
        std::function<void(QString text, qint64 ms, bool fellBack)> done);
    void translateText(const QString &text, AppStyle style, TargetLanguage target, const QString &key,
        std::function<void(QString text, qint64 ms, bool fellBack)> done);

    QList<Step> recognitionSection();
    QList<Step> polishSection();
    QList<Step> translationSection();
    QList<Step> endToEndSection();
    Step medianCheck(const QString &label, std::shared_ptr<QList<qint64>> latencies);

    Options options_;
    Services services_;
    SelfTestReport report_;
    QString apiKey_;
    QString polishModel_;
    QString translateModel_;
};

} // namespace quillo
