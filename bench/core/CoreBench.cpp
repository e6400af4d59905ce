#include "recognition/Segments.h"
#include "refinement/Prompts.h"
#include "refinement/TextRules.h"

#include <benchmark/benchmark.h>

namespace {

using namespace quillo;

// About 500 characters of mixed Chinese, English and emoji, as a long dictation looks.
QString longDictation()
{
    return QString::fromUtf8("我们明天下午四点开会，记得带上 Claude Code 的演示 👍🏽。"
                             "第一点是要先备份数据库，第二点是检查迁移脚本。")
        .repeated(10);
}

void cleanAndCheckPolish(benchmark::State &state)
{
    const QString transcript = longDictation();
    const QString answer = QStringLiteral("```\n<transcript>\n") + transcript + QStringLiteral("\n</transcript>\n```");
    for (auto _ : state) {
        const QString cleaned = cleanModelOutput(answer);
        benchmark::DoNotOptimize(checkPolish(transcript, cleaned));
    }
}
BENCHMARK(cleanAndCheckPolish);

void checkAndFormatTranslation(benchmark::State &state)
{
    const QString transcript = longDictation();
    const QString translation
        = QStringLiteral("We meet at 4 p.m. tomorrow to review the demo with the whole team. ").repeated(8);
    for (auto _ : state) {
        benchmark::DoNotOptimize(checkTranslation(transcript, translation, TargetLanguage::english));
        benchmark::DoNotOptimize(formatTranslation(translation, TargetLanguage::english, AppStyle::document));
    }
}
BENCHMARK(checkAndFormatTranslation);

void buildPolishConversation(benchmark::State &state)
{
    const QString transcript = longDictation();
    const QStringList vocabulary{QStringLiteral("Claude Code"), QStringLiteral("SwiftUI"), QStringLiteral("Quillo")};
    for (auto _ : state)
        benchmark::DoNotOptimize(polishMessages(transcript, AppStyle::coding, vocabulary));
}
BENCHMARK(buildPolishConversation);

void assembleTranscript(benchmark::State &state)
{
    QStringList segments;
    for (int i = 0; i < 50; ++i)
        segments.append(i % 5 == 0 ? QStringLiteral("嗯。") : QStringLiteral("这是第 %1 段 segment").arg(i));
    for (auto _ : state) {
        QStringList kept;
        for (const QString &segment : segments) {
            if (!isFillerSegment(segment))
                kept.append(segment);
        }
        benchmark::DoNotOptimize(joinSegments(kept));
    }
}
BENCHMARK(assembleTranscript);

} // namespace
