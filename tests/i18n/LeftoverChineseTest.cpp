// Chinese the English interface must not show. A marked text gets its English from the
// .ts files; every other Chinese string in the sources must be one the program means to
// keep in the source language (what scripts and the service read, sample data).
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>

#include <algorithm>

#include <gtest/gtest.h>

namespace quillo {
namespace {

const QString sourceDir = QStringLiteral(QUILLO_SOURCE_DIR);

bool hasChinese(const QString &text)
{
    static const QRegularExpression han(QStringLiteral("\\p{Han}"));
    return text.contains(han);
}

struct Entry {
    QString context;
    QString source;
    QString translation;
};

QList<Entry> tsEntries()
{
    QList<Entry> entries;
    const QStringList files = QDir(sourceDir + QStringLiteral("/translations")).entryList({QStringLiteral("*.ts")});
    for (const QString &name : files) {
        QFile file(sourceDir + QStringLiteral("/translations/") + name);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        QXmlStreamReader xml(&file);
        QString context;
        Entry entry;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("name"))
                context = xml.readElementText();
            else if (xml.name() == QLatin1String("source"))
                entry = {context, xml.readElementText(), {}};
            else if (xml.name() == QLatin1String("translation"))
                entries.append({entry.context, entry.source, xml.readElementText()});
        }
    }
    return entries;
}

// Files (or the start of their names) whose Chinese stays Chinese in every language, and why.
const QMap<QString, const char *> keptFiles{
    {QStringLiteral("src/app/SelfTest"), "the self-test's report, read by scripts, and its spoken samples"},
    {QStringLiteral("src/app/E2eObserver.cpp"), "the [e2e] lines, read by scripts"},
    {QStringLiteral("src/refinement/Prompts.cpp"), "what the model reads"},
    {QStringLiteral("src/refinement/TextRules.cpp"), "guard notes, only in the [e2e] lines"},
    {QStringLiteral("src/dictation/RefinementFlow.cpp"), "guard notes, only in the [e2e] lines"},
    {QStringLiteral("src/recognition/Segments.h"), "filler words of recognised Chinese speech"},
    {QStringLiteral("src/recognition/Segments.cpp"), "filler words of recognised Chinese speech"},
    {QStringLiteral("src/hotkeys/Hotkey.cpp"), "the macOS key names stored hot keys are shown with on a Mac"},
    {QStringLiteral("src/ui/ScreenshotScene.cpp"), "sample dictations of the screenshots"},
    {QStringLiteral("src/ui/ScreenshotRenderer.cpp"), "sample dictations of the screenshots"},
    {QStringLiteral("src/ui/ConnectionTest.cpp"), "the sentence the connection test sends"},
};
// Single strings elsewhere that stay, and why.
const QSet<std::pair<QString, QString>> keptStrings{
    {QStringLiteral("src/hotkeys/KeyNames.cpp"), QStringLiteral("左")}, // read from the macOS key names
};

// The string literals of C++ source, adjacent ones joined, outside comments and
// character literals; raw strings included.
QStringList literals(const QString &code)
{
    QStringList found;
    QString current;
    bool open = false; // the last token was a literal: another one continues it
    auto finish = [&] {
        if (open)
            found.append(current);
        open = false;
        current.clear();
    };
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i);
        if (c.isSpace())
            continue;
        if (code.mid(i, 2) == QLatin1String("//")) {
            i = code.indexOf(QLatin1Char('\n'), i);
            if (i < 0)
                break;
            continue;
        }
        if (code.mid(i, 2) == QLatin1String("/*")) {
            i = code.indexOf(QLatin1String("*/"), i) + 1;
            if (i <= 0)
                break;
            continue;
        }
        if (c == QLatin1Char('\'') && (i == 0 || !code.at(i - 1).isLetterOrNumber())) {
            for (++i; i < code.size() && code.at(i) != QLatin1Char('\''); ++i)
                i += code.at(i) == QLatin1Char('\\') ? 1 : 0;
            finish();
            continue;
        }
        if (c == QLatin1Char('"') && i > 0 && code.at(i - 1) == QLatin1Char('R')) {
            const qsizetype paren = code.indexOf(QLatin1Char('('), i);
            const QString end = QLatin1Char(')') + code.mid(i + 1, paren - i - 1) + QLatin1Char('"');
            const qsizetype close = code.indexOf(end, paren);
            current += code.mid(paren + 1, close - paren - 1);
            open = true;
            i = close + end.size() - 1;
            continue;
        }
        if (c == QLatin1Char('"')) {
            for (++i; i < code.size() && code.at(i) != QLatin1Char('"'); ++i) {
                if (code.at(i) != QLatin1Char('\\')) {
                    current += code.at(i);
                    continue;
                }
                const QChar escaped = code.at(++i);
                current += escaped == QLatin1Char('n') ? QChar(u'\n')
                    : escaped == QLatin1Char('t')      ? QChar(u'\t')
                                                       : escaped;
            }
            open = true;
            continue;
        }
        // Prefixes of literals (u8, R, L) and the parentheses of QStringLiteral do not end one.
        if (!c.isLetterOrNumber() && c != QLatin1Char('(') && c != QLatin1Char(')'))
            finish();
    }
    finish();
    return found;
}

TEST(LeftoverChinese, NoTranslationIsChinese)
{
    const QList<Entry> entries = tsEntries();
    ASSERT_GT(entries.size(), 200);
    for (const Entry &e : entries)
        EXPECT_FALSE(hasChinese(e.translation)) << e.context.toStdString() << ": " << e.source.toStdString();
}

// A Chinese string in the sources is marked for translation, begins a marked template
// ("识别服务错误：" + detail), or is one that is meant to stay.
TEST(LeftoverChinese, EveryChineseStringIsTranslatedOrMeantToStay)
{
    QSet<QString> marked;
    QSet<QString> templateStarts;
    for (const Entry &e : tsEntries()) {
        marked.insert(e.source);
        for (qsizetype at = e.source.indexOf(QLatin1Char('%')); at > 0; at = e.source.indexOf(QLatin1Char('%'), at + 1))
            templateStarts.insert(e.source.left(at));
    }
    int scanned = 0;
    QDirIterator files(sourceDir + QStringLiteral("/src"), {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
        QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = QDir(sourceDir).relativeFilePath(files.next());
        if (std::any_of(keptFiles.keyBegin(), keptFiles.keyEnd(),
                [&path](const QString &kept) { return path.startsWith(kept); }))
            continue;
        QFile file(files.filePath());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        ++scanned;
        for (const QString &text : literals(QString::fromUtf8(file.readAll()))) {
            const bool fine = !hasChinese(text) || marked.contains(text) || templateStarts.contains(text)
                || keptStrings.contains({path, text});
            EXPECT_TRUE(fine) << path.toStdString() << ": \"" << text.toStdString()
                              << "\" is neither marked for translation nor meant to stay";
        }
    }
    EXPECT_GT(scanned, 100);
}

} // namespace
} // namespace quillo
