// Many dictations back to back through the real controller, recognition and chat
// clients over TLS to the local fake cloud service, with faults mixed in at random.
// Catches what one dictation cannot show: a phase that stays busy, a result delivered
// into the next dictation, history losing texts, descriptors or memory leaking per
// dictation. QUILLO_SOAK_DICTATIONS sets the count (50 by default), QUILLO_SOAK_SEED
// the seed; a failure names the dictation and its plan so the seed reproduces it.

#include "CloudPipelineFixture.h"

#include "platform/qt/QtHttpClient.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>

#include <cmath>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <random>
#include <sstream>

#if defined(__SANITIZE_ADDRESS__)
#define QUILLO_SOAK_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUILLO_SOAK_SANITIZED 1
#endif
#endif

namespace quillo::test {
namespace {

enum class Fault {
    clean,
    asrError,
    droppedConnection,
    droppedAtFinish,
    garbageFrames,
    chat500,
    chatTimeout,
    chatGarbage,
    slowHandshake,
    userCancel, // Escape while recording, transcribing or polishing, with the service still answering
};

const char *name(Fault fault)
{
    switch (fault) {
    case Fault::clean:
        return "clean";
    case Fault::asrError:
        return "asr-error-event";
    case Fault::droppedConnection:
        return "dropped-connection";
    case Fault::droppedAtFinish:
        return "dropped-at-finish";
    case Fault::garbageFrames:
        return "garbage-frames";
    case Fault::chat500:
        return "chat-500";
    case Fault::chatTimeout:
        return "chat-timeout";
    case Fault::chatGarbage:
        return "chat-garbage";
    case Fault::slowHandshake:
        return "slow-handshake";
    case Fault::userCancel:
        return "user-cancel";
    }
    return "?";
}

bool isChatFault(Fault fault)
{
    return fault == Fault::chat500 || fault == Fault::chatTimeout || fault == Fault::chatGarbage;
}

// What one dictation does, drawn from the run's seed and its own number alone, so
// any dictation can be replayed on its own (QUILLO_SOAK_FIRST).
struct Plan {
    int number = 0;
    Fault fault = Fault::clean;
    bool polish = false;
    std::optional<TargetLanguage> translation;
    DictationPhase::Kind cancelIn = DictationPhase::Kind::idle; // userCancel only

    QString tag() const { return QStringLiteral("第%1句").arg(number); }
    // The model's translation, with this dictation's number in it too.
    QString translated() const
    {
        if (translation == TargetLanguage::japanese)
            return QStringLiteral("第%1文、テストはここまでです。").arg(number);
        return QStringLiteral("Sentence %1 ends the test.").arg(number);
    }
    QString translatedTag() const { return translated().left(translated().indexOf(QRegularExpression("[ 文]")) + 1); }
    // Whatever goes wrong with the model, the transcript still reaches the user.
    bool mustDeliver() const
    {
        return fault != Fault::asrError && fault != Fault::droppedConnection && fault != Fault::droppedAtFinish
            && fault != Fault::userCancel;
    }
    std::string describe(std::uint32_t seed) const
    {
        std::ostringstream out;
        out << "dictation " << number << " (seed " << seed << "): " << name(fault) << ", polish "
            << (polish ? "on" : "off") << ", translation "
            << (translation ? rawValue(*translation).toStdString() : std::string("off"));
        if (fault == Fault::userCancel)
            out << ", cancelled while " << static_cast<int>(cancelIn) << " (phase kind)";
        return out.str();
    }
};

Plan planFor(std::uint32_t seed, int number)
{
    std::seed_seq sequence{seed, static_cast<std::uint32_t>(number)};
    std::mt19937 random(sequence);
    Plan plan;
    plan.number = number;
    plan.fault = static_cast<Fault>(std::uniform_int_distribution<int>(0, 9)(random));
    plan.polish = std::bernoulli_distribution(0.5)(random);
    if (std::bernoulli_distribution(0.25)(random))
        plan.translation = allTargetLanguages[std::uniform_int_distribution<std::size_t>(0, 2)(random)];
    using Kind = DictationPhase::Kind;
    const std::array<Kind, 3> stages{Kind::recording, Kind::transcribing, Kind::polishing};
    plan.cancelIn = stages[std::uniform_int_distribution<std::size_t>(0, 2)(random)];
    if (plan.fault != Fault::userCancel)
        plan.cancelIn = Kind::idle;
    // A chat fault, or a cancel while polishing, needs a chat call.
    if ((isChatFault(plan.fault) || plan.cancelIn == Kind::polishing) && !plan.translation)
        plan.polish = true;
    return plan;
}

constexpr int speechBytesPerItem = 48000;
constexpr int faultAfterBytes = 20000;
constexpr auto chatTimeoutCap = std::chrono::milliseconds(500);
constexpr int chatStallMs = 2000;

fake::FakeScenario scenarioFor(const Plan &plan)
{
    fake::AsrScript asr;
    asr.items = {{plan.tag() + QStringLiteral("，嗯"), false}, {QStringLiteral("测试到此为止"), false}};
    asr.bytesPerItem = speechBytesPerItem;
    fake::FakeScenario scenario;
    switch (plan.fault) {
    case Fault::asrError:
        asr.errorAfterBytes = faultAfterBytes;
        break;
    case Fault::droppedConnection:
        asr.closeAfterBytes = faultAfterBytes;
        break;
    case Fault::droppedAtFinish:
        asr.onFinish = fake::AsrScript::OnFinish::close;
        break;
    case Fault::garbageFrames:
        asr.garbage = true;
        break;
    case Fault::chat500:
        scenario.chatDefault.status = 500;
        break;
    case Fault::chatTimeout:
        scenario.chatDefault.delayMs = chatStallMs;
        break;
    case Fault::chatGarbage:
        scenario.chatDefault.raw = QByteArray("<html>502 Bad Gateway</html>");
        break;
    case Fault::slowHandshake:
        // Most of the recording is spoken before the connection is up.
        asr.handshakeDelayMs = 300;
        break;
    case Fault::userCancel:
        // Slow enough answers that the cancel lands while they are still on their way.
        asr.finishDelayMs = 300;
        scenario.chatDefault.delayMs = 400;
        break;
    case Fault::clean:
        break;
    }
    if (plan.translation)
        scenario.chatDefault.content = plan.translated();
    scenario.asrSessions = {asr};
    return scenario;
}

// 4.5 s of a loud tone: opens the speech gate at once and, played ten times as fast,
// still lasts longer than an accidental tap.
QByteArray loudTone()
{
    constexpr int rate = 16000;
    QByteArray pcm(rate * 9 / 2 * 2, Qt::Uninitialized);
    auto *samples = reinterpret_cast<unsigned char *>(pcm.data());
    for (int i = 0; i < pcm.size() / 2; ++i) {
        const auto value = static_cast<std::int16_t>(16000 * std::sin(2 * M_PI * 220 * i / rate));
        const auto raw = static_cast<std::uint16_t>(value);
        samples[2 * i] = static_cast<unsigned char>(raw & 0xff);
        samples[2 * i + 1] = static_cast<unsigned char>(raw >> 8);
    }
    return pcm;
}
constexpr double playbackSpeed = 10.0;

// The real client, with the time-out cut short for the dictations whose chat answer
// stalls: one costs half a second instead of the product's twelve. Other requests keep
// the product's time-out, so a slow machine does not turn them into time-outs.
class ShortTimeoutHttp final : public HttpClient {
public:
    explicit ShortTimeoutHttp(HttpClient &inner)
        : inner_(inner)
    {
    }
    void post(const HttpRequest &request, std::function<void(HttpResult)> done) override
    {
        HttpRequest shorter = request;
        if (shortTimeout)
            shorter.timeout = std::min(request.timeout, std::chrono::milliseconds(chatTimeoutCap));
        inner_.post(shorter, std::move(done));
    }
    bool shortTimeout = false;

private:
    HttpClient &inner_;
};

qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

int openDescriptors()
{
    int count = 0;
    for ([[maybe_unused]] const auto &entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

int environmentNumber(const char *variable, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(variable, &ok);
    return ok && value >= 0 ? value : fallback;
}

struct Sample {
    int dictations = 0;
    qint64 rssKiB = 0;
    int descriptors = 0;
    double seconds = 0;
};

using SoakTest = CloudServiceFixture;

TEST_F(SoakTest, ManyDictationsWithFaultsLeaveNothingBehind)
{
    const int count = environmentNumber("QUILLO_SOAK_DICTATIONS", 50);
    const int first = environmentNumber("QUILLO_SOAK_FIRST", 1);
    const auto seed = static_cast<std::uint32_t>(environmentNumber("QUILLO_SOAK_SEED", 20261206));

    QtHttpClient network;
    ShortTimeoutHttp http(network);
    const QByteArray tone = loudTone();
    CloudDictation dictation(
        service->host(), http, [&](const QString &) -> Expected<QByteArray, QString> { return tone; });
    DictationController &controller = dictation.controller;
    AppSettings &settings = dictation.settings;
    const HistoryStore &history = dictation.history;
    const std::vector<QString> &delivered = dictation.pasted;
    const FakePanel &panel = dictation.panel;
    int recordings = 0;
    Plan plan;
    QObject::connect(&controller, &DictationController::phaseChanged, [&](const DictationPhase &phase) {
        if (phase.kind() == DictationPhase::Kind::recording)
            ++recordings;
        if (phase.kind() != plan.cancelIn || plan.fault != Fault::userCancel)
            return;
        // A little into the recording, at once otherwise; only if still in that phase.
        const int number = plan.number;
        const auto delay = phase.kind() == DictationPhase::Kind::recording ? 150ms : 0ms;
        QTimer::singleShot(delay, &controller, [&, number, kind = phase.kind()] {
            if (plan.number == number && controller.phase().kind() == kind)
                controller.cancelFromCommand();
        });
    });

    QElapsedTimer clock;
    clock.start();
    std::vector<Sample> samples;
    const auto sample = [&](int done) {
        samples.push_back({done, residentKiB(), openDescriptors(), clock.elapsed() / 1000.0});
    };
    // Sessions, TLS and caches settle in over the first dictations.
    const int warmUp = std::min(count, 20);
    std::optional<Sample> afterWarmUp;
    std::map<std::string, int> outcomes;

    sample(0);
    for (int done = 0; done < count; ++done) {
        plan = planFor(seed, first + done);
        const std::string where = plan.describe(seed);
        service->setScenario(scenarioFor(plan));
        service->clearReceived(); // the fake's own log would grow with every dictation
        settings.setPolishEnabled(plan.polish);
        http.shortTimeout = plan.fault == Fault::chatTimeout;
        const int recordingsBefore = recordings;
        const std::size_t deliveredBefore = delivered.size();

        controller.runEndToEnd(QStringLiteral("tone.pcm"), false, plan.translation, playbackSpeed);
        const bool finished = waitFor(
            [&] { return recordings > recordingsBefore && controller.phase().isFree(); }, std::chrono::seconds(20));
        ASSERT_TRUE(finished) << where << ": still " << static_cast<int>(controller.phase().kind()) << " after 20 s";

        const std::size_t newTexts = delivered.size() - deliveredBefore;
        ASSERT_LE(newTexts, 1u) << where << ": more than one text delivered";
        const bool succeeded = controller.phase().kind() == DictationPhase::Kind::done;
        ++outcomes[std::string(name(plan.fault)) + (succeeded ? " → delivered" : " → no text")];
        if (plan.fault == Fault::userCancel) {
            ASSERT_EQ(controller.phase(), DictationPhase::idle()) << where;
            ASSERT_EQ(newTexts, 0u) << where;
            ASSERT_FALSE(panel.visible) << where;
        }
        if (plan.mustDeliver()) {
            ASSERT_TRUE(succeeded) << where << ": " << controller.phase().payload().toStdString();
            ASSERT_EQ(newTexts, 1u) << where;
        }
        // A text from an earlier dictation must never turn up in this one.
        if (newTexts == 1 && plan.mustDeliver()) {
            const QString &text = delivered.back();
            // A chat fault falls back to the transcript and says so; otherwise the model's text is used.
            const bool chatFault = isChatFault(plan.fault);
            const bool refined = plan.polish || plan.translation;
            const QString tag = plan.translation && !chatFault ? plan.translatedTag() : plan.tag();
            ASSERT_TRUE(text.contains(tag)) << where << ": " << text.toStdString();
            EXPECT_EQ(controller.lastMessage().has_value(), chatFault) << where;
            EXPECT_EQ(text.contains(QStringLiteral("嗯")), chatFault || !refined)
                << where << ": " << text.toStdString();
        }

        if (done + 1 == warmUp)
            afterWarmUp = Sample{done + 1, residentKiB(), openDescriptors(), 0};
        if ((done + 1) % 100 == 0 || done + 1 == count)
            sample(done + 1);
    }

    // The result fades out on its own.
    EXPECT_TRUE(waitFor([&] { return !panel.visible; }, std::chrono::seconds(5))) << "panel still shown";
    EXPECT_EQ(controller.phase(), DictationPhase::idle());

    // History keeps the newest entries, newest first.
    const std::size_t kept = std::min<std::size_t>(delivered.size(), HistoryStore::limit);
    ASSERT_EQ(history.entries().size(), kept);
    for (std::size_t i = 0; i < kept; ++i)
        EXPECT_EQ(history.entries()[i].text, delivered[delivered.size() - 1 - i]) << "history entry " << i;

    std::cout << "\nsoak: " << count << " dictations from " << first << ", seed " << seed << "\n";
    std::cout << "dictations   VmRSS (KiB)   open fds   seconds\n";
    for (const Sample &s : samples) {
        std::cout << std::setw(10) << s.dictations << std::setw(14) << s.rssKiB << std::setw(11) << s.descriptors
                  << std::setw(10) << std::fixed << std::setprecision(1) << s.seconds << "\n";
    }
    for (const auto &[outcome, times] : outcomes)
        std::cout << "  " << outcome << ": " << times << "\n";
    std::cout << std::flush;

    // Bounds that a leak per dictation crosses and noise does not.
    ASSERT_TRUE(afterWarmUp);
    const Sample &last = samples.back();
    const int later = last.dictations - afterWarmUp->dictations;
    EXPECT_LE(last.descriptors - afterWarmUp->descriptors, 8) << "descriptors grew over " << later << " dictations";
#ifndef QUILLO_SOAK_SANITIZED
    // Sanitizer builds hold freed memory in quarantine; their leak checker covers this.
    const qint64 allowedKiB = 8 * 1024 + 3 * 1024 * later / 100;
    EXPECT_LE(last.rssKiB - afterWarmUp->rssKiB, allowedKiB) << "memory grew over " << later << " dictations";
#endif
}

} // namespace
} // namespace quillo::test
