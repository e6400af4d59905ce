// The live sections of the self-test; each returns its steps in order.
#include "app/SelfTestCases.h"
#include "app/SelfTestOffline.h"
#include "app/SelfTestRunner.h"
#include "app/SelfTestSamples.h"
#include "audio/AudioFile.h"
#include "common/UnicodeText.h"
#include "dictation/RefinementFlow.h"
#include "refinement/TextRules.h"
#include "settings/AppSettings.h"

#include <QDir>

namespace quillo {

namespace {

namespace samples = selfTestSamples;

const QString invalidKey = QStringLiteral("sk-quillo-selftest-invalid");

QString ms(qint64 value)
{
    return QStringLiteral("%1 ms").arg(value);
}

} // namespace

QList<SelfTestRunner::Step> SelfTestRunner::recognitionSection()
{
    QList<Step> steps;
    steps << guarded([](SelfTestRunner &self, Next next) {
        self.report_.line(QStringLiteral("\n[2] 实时语音识别"));
        next();
    });
    steps << guarded([](SelfTestRunner &self, Next next) {
        const auto pcm = loadPCM16(QDir(self.options_.audioDir).filePath(QStringLiteral("short.wav")));
        if (!pcm) {
            self.report_.check(QStringLiteral("short.wav 存在"), false);
            next();
            return;
        }
        self.recognize(*pcm, 1.0, self.apiKey_, 6.0, [&self, next](Recognition r) {
            const QString text = r.result ? r.result.value() : r.result.error().description();
            self.report_.check(QStringLiteral("短句识别"), r.result && !r.result.value().isEmpty(), text);
            self.report_.check(
                QStringLiteral("短句收尾延迟 < 1500ms"), r.result && r.latencyMs < 1500, ms(r.latencyMs));
            next();
        });
    });
    steps << guarded([](SelfTestRunner &self, Next next) {
        const auto pcm = loadPCM16(QDir(self.options_.audioDir).filePath(QStringLiteral("long.wav")));
        if (!pcm) {
            self.report_.check(QStringLiteral("long.wav 存在"), false);
            next();
            return;
        }
        const qint64 seconds = pcm->size() / 32000;
        self.recognize(*pcm, 4.0, self.apiKey_, 10.0, [&self, seconds, next](Recognition r) {
            const QString label = QStringLiteral("长语音（%1 秒，超过 60 秒）识别").arg(seconds);
            if (!r.result) {
                self.report_.check(label, false, r.result.error().description());
                next();
                return;
            }
            const QString text = r.result.value();
            const qsizetype count = unicode::graphemeCount(text);
            self.report_.check(label, count > 150, QStringLiteral("%1 字 · 收尾 %2 ms").arg(count).arg(r.latencyMs));
            const QStringList g = unicode::graphemes(text);
            self.report_.line(QStringLiteral("      ") + g.mid(0, 60).join(QString()) + QStringLiteral("…")
                + g.mid(std::max<qsizetype>(0, g.size() - 30)).join(QString()));
            next();
        });
    });
    steps << guarded([](SelfTestRunner &self, Next next) {
        self.recognize(QByteArray(96000, '\0'), 2.0, self.apiKey_, 6.0, [&self, next](Recognition r) {
            self.report_.check(QStringLiteral("纯静音返回空文本"), r.result && r.result.value().isEmpty());
            next();
        });
    });
    steps << guarded([](SelfTestRunner &self, Next next) {
        self.recognize(QByteArray(3200, '\0'), 1.0, invalidKey, 6.0, [&self, next](Recognition r) {
            self.report_.check(QStringLiteral("无效 Key 报错"), !r.result,
                r.result ? QStringLiteral("没有抛出错误") : r.result.error().description());
            next();
        });
    });
    return steps;
}

QList<SelfTestRunner::Step> SelfTestRunner::polishSection()
{
    QList<Step> steps;
    auto latencies = std::make_shared<QList<qint64>>();
    steps << guarded([](SelfTestRunner &self, Next next) {
        self.report_.line(QStringLiteral("\n[3] AI 润色（模型 %1）").arg(self.polishModel_));
        next();
    });
    for (const PolishCheck &c : polishChecks()) {
        steps << guarded([c, latencies](SelfTestRunner &self, Next next) {
            self.polishText(c.input, c.style, self.apiKey_, [&self, c, latencies, next](QString text, qint64 t, bool) {
                latencies->append(t);
                self.report_.check(c.label, c.passes(text), text + QStringLiteral(" · ") + ms(t));
                next();
            });
        });
    }
    steps << medianCheck(QStringLiteral("润色中位延迟 < 1500ms"), latencies);
    steps << guarded([](SelfTestRunner &self, Next next) {
        const QString transcript = QStringLiteral("  ") + samples::selfCorrection + QStringLiteral("\n");
        const ChatRequest request{{}, invalidKey, self.services_.settings.normalizedHost(), self.polishModel_, 0.1};
        self.services_.chat(request, [&self, transcript, next](ChatResult direct) {
            self.polishText(transcript, AppStyle::general, invalidKey,
                [&self, direct, transcript, next](QString text, qint64, bool) {
                    const bool fellBack = text == unicode::trim(transcript);
                    self.report_.check(QStringLiteral("润色失败时回退原文"), !direct && fellBack,
                        direct ? QStringLiteral("无效 Key 没有报错") : direct.error().description());
                    next();
                });
        });
    });
    return steps;
}

QList<SelfTestRunner::Step> SelfTestRunner::translationSection()
{
    QList<Step> steps;
    auto latencies = std::make_shared<QList<qint64>>();
    steps << guarded([](SelfTestRunner &self, Next next) {
        self.report_.line(QStringLiteral("\n[4] 翻译（模型 %1）").arg(self.translateModel_));
        selfTestOffline::runScriptChecks(self.report_);
        next();
    });
    for (const TargetLanguage target : allTargetLanguages) {
        steps << guarded([target](SelfTestRunner &self, Next next) {
            self.report_.line(QStringLiteral("  — ") + displayName(target));
            next();
        });
        for (const TranslationCheck &c : translationChecks()) {
            steps << guarded([c, target, latencies](SelfTestRunner &self, Next next) {
                self.translateText(c.input, c.style, target, self.apiKey_,
                    [&self, c, target, latencies, next](QString text, qint64 t, bool) {
                        latencies->append(t);
                        self.report_.check(c.label, c.passes(target, text), text + QStringLiteral(" · ") + ms(t));
                        next();
                    });
            });
        }
    }
    steps << medianCheck(QStringLiteral("翻译中位延迟 < 1500ms"), latencies);
    steps << guarded([](SelfTestRunner &self, Next next) {
        selfTestOffline::runParagraphChecks(self.report_);
        next();
    });
    for (const TargetLanguage target : allTargetLanguages) {
        steps << guarded([target](SelfTestRunner &self, Next next) {
            self.translateText(samples::longChineseParagraph, AppStyle::general, target, self.apiKey_,
                [&self, target, next](QString text, qint64 t, bool fellBack) {
                    const QStringList paragraphs = text.split(u'\n', Qt::SkipEmptyParts);
                    const bool passes = !fellBack && paragraphs.size() >= 2 && looksLikeLanguage(text, target);
                    self.report_.check(rawValue(target).toUpper() + QStringLiteral(" 长段落译文自动分段"), passes,
                        ms(t) + QStringLiteral(" · %1 段").arg(paragraphs.size()));
                    for (const QString &p : paragraphs)
                        self.report_.line(QStringLiteral("      ¶ ") + p);
                    next();
                });
        });
    }
    steps << guarded([](SelfTestRunner &self, Next next) {
        // Count the failed requests the translation makes before it falls back.
        auto failures = std::make_shared<int>(0);
        ChatFunction counting = [chat = self.services_.chat, failures](const ChatRequest &r, ChatCompletion done) {
            chat(r, [failures, done](ChatResult result) {
                if (!result)
                    ++*failures;
                done(std::move(result));
            });
        };
        const QString transcript = QStringLiteral(" ") + samples::poemRequest + QStringLiteral(" ");
        const RefinementRequest request{unicode::trim(transcript), AppStyle::general, {}, invalidKey,
            self.services_.settings.normalizedHost(), self.translateModel_};
        refinementFlow::translate(counting, request, TargetLanguage::english, {},
            [&self, failures, transcript, next](RefinementOutcome outcome) {
                const bool fellBack = outcome.text == unicode::trim(transcript);
                self.report_.check(
                    QStringLiteral("翻译失败时回退原文"), *failures == 2 && fellBack, outcome.note.value_or(QString()));
                next();
            });
    });
    steps << guarded([](SelfTestRunner &self, Next next) {
        const auto cycle = self.services_.settings.languageCycle();
        self.report_.check(QStringLiteral("切换顺序以默认语言开头"),
            !cycle.empty() && cycle.front() == self.services_.settings.translateTarget(),
            self.services_.settings.languageCycleText());
        next();
    });
    return steps;
}

QList<SelfTestRunner::Step> SelfTestRunner::endToEndSection()
{
    struct File {
        const char *name;
        AppStyle style;
    };
    static constexpr File files[] = {{"short.wav", AppStyle::general}, {"coding.wav", AppStyle::coding},
        {"wechat.wav", AppStyle::chat}, {"injection.wav", AppStyle::general}};
    QList<Step> steps;
    steps << guarded([](SelfTestRunner &self, Next next) {
        self.report_.line(QStringLiteral("\n[4] 端到端（识别 + 润色）"));
        next();
    });
    for (const File &f : files) {
        steps << guarded([f](SelfTestRunner &self, Next next) {
            const QString name = QString::fromLatin1(f.name);
            const QString label = name + QStringLiteral("：松开后到出字 < 2000ms");
            const auto pcm = loadPCM16(QDir(self.options_.audioDir).filePath(name));
            if (!pcm) {
                self.report_.check(label, false, pcm.error().description());
                next();
                return;
            }
            self.recognize(*pcm, 1.0, self.apiKey_, 10.0, [&self, f, label, next](Recognition r) {
                if (!r.result) {
                    self.report_.check(label, false, r.result.error().description());
                    next();
                    return;
                }
                const qint64 recognitionMs = r.latencyMs;
                self.polishText(r.result.value(), f.style, self.apiKey_,
                    [&self, label, recognitionMs, next](QString text, qint64 t, bool) {
                        const qint64 total = recognitionMs + t;
                        self.report_.check(
                            label, total < 2000 && !text.isEmpty(), text + QStringLiteral(" · ") + ms(total));
                        next();
                    });
            });
        });
    }
    return steps;
}

} // namespace quillo
