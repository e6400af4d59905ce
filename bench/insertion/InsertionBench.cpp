// What naming the focused application and inserting a text cost at the start
// and end of a dictation (the X server round trips are not included).
#include "dictation/TextInserter.h"
#include "platform/fake/FakeFrontmostApp.h"
#include "platform/fake/FakeKeystrokePoster.h"
#include "platform/fake/FakePasteboard.h"
#include "platform/fake/FakePermissions.h"
#include "platform/fake/ManualScheduler.h"
#include "platform/x11/DesktopEntryIndex.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace quillo {
namespace {

// A folder of n desktop entries, the size of a well-stocked desktop.
QStringList makeEntries(QTemporaryDir &dir, int n)
{
    const QString apps = dir.filePath(QStringLiteral("applications"));
    QDir().mkpath(apps);
    for (int i = 0; i < n; ++i) {
        QFile f(apps + QStringLiteral("/org.example.App%1.desktop").arg(i));
        f.open(QIODevice::WriteOnly);
        f.write(QStringLiteral("[Desktop Entry]\nType=Application\nName=App %1\nName[zh_CN]=应用 %1\n"
                               "Exec=/opt/app%1/bin/app --new-window %U\nStartupWMClass=App%1\nIcon=app\n"
                               "Categories=Utility;\n[Desktop Action new]\nName=New\nExec=app --new\n")
                    .arg(i)
                    .toUtf8());
    }
    return {apps};
}

void BM_DesktopEntryFirstScan(benchmark::State &state)
{
    QTemporaryDir dir;
    const QStringList dirs = makeEntries(dir, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        DesktopEntryIndex index(dirs, QStringLiteral("zh_CN"));
        benchmark::DoNotOptimize(index.match(QStringLiteral("App7"), QStringLiteral("app7"), {}));
    }
}
BENCHMARK(BM_DesktopEntryFirstScan)->Arg(300)->Unit(benchmark::kMillisecond);

void BM_DesktopEntryCachedMatch(benchmark::State &state)
{
    QTemporaryDir dir;
    DesktopEntryIndex index(makeEntries(dir, static_cast<int>(state.range(0))), QStringLiteral("zh_CN"));
    index.match({}, {}, {});
    for (auto _ : state)
        benchmark::DoNotOptimize(index.match(QStringLiteral("Unknown"), QStringLiteral("unknown"), {}));
}
BENCHMARK(BM_DesktopEntryCachedMatch)->Arg(300)->Unit(benchmark::kMicrosecond);

void BM_InsertText(benchmark::State &state)
{
    FakePasteboard clipboard;
    FakeKeystrokePoster keys;
    FakePermissions permissions;
    FakeFrontmostApp frontmost;
    ManualScheduler scheduler;
    TextInserter inserter({clipboard, nullptr, keys, permissions, frontmost, scheduler});
    clipboard.copyFromElsewhere({{{QStringLiteral("image/png"), QByteArray(1 << 20, 'x')}}});
    const QString text = QString(200, QChar(0x4F60));
    for (auto _ : state) {
        benchmark::DoNotOptimize(inserter.insertText(text, true));
        scheduler.advance(TextInserter::restoreDelay);
        keys.posted.clear();
        clipboard.written.clear();
    }
}
BENCHMARK(BM_InsertText)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace quillo
