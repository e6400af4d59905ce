#include "recognition/Segments.h"

#include <gtest/gtest.h>

namespace quillo {
namespace {

struct FillerCase {
    const char *text;
    bool filler;
};

TEST(Segments, FillerFilter)
{
    const std::vector<FillerCase> cases{
        {"嗯。", true},
        {"呃，啊", true},
        {"Um.", true},
        {"哈哈", false},
        {"好的。", false},
        {"OK", false},
        {"", true},
        {"，。！？…", true},
        {"  \n\t", true},
        {"😀👍", true}, // symbols only
        {"哈", true},
        {"嗯嗯嗯嗯", true},
        {"嗯嗯嗯嗯嗯", false},
        {"哈哈嗯", false},
        {"嗯哈", true},
        {"HMM!", true},
        {"Uh, ", true},
        {"um um", false}, // the core "umum" is not a filler word
        {"嗯，好", false},
        {"ERR", false},
        {"Ümm", false},
        {"𠮷", false}, // a letter outside the BMP survives the clean-up
        {"嗯😀嗯", true},
        {"嗯，嗯。嗯！嗯？ 嗯 嗯 嗯", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(isFillerSegment(QString::fromUtf8(c.text)), c.filler) << c.text;
}

TEST(Segments, AHugeSegmentIsText)
{
    // A runaway recognition result (megabytes in one item) is text, and deciding so stays cheap.
    const QString huge = QString(u'嗯').repeated(4 << 20);
    EXPECT_FALSE(isFillerSegment(huge));
    EXPECT_FALSE(isFillerSegment(QStringLiteral("，").repeated(1 << 20) + QStringLiteral("好")));
    EXPECT_TRUE(isFillerSegment(QStringLiteral("，").repeated(1 << 20) + QStringLiteral("嗯")));
}

struct JoinCase {
    std::vector<const char *> segments;
    const char *joined;
};

TEST(Segments, Joining)
{
    const std::vector<JoinCase> cases{
        {{"hello", "world"}, "hello world"},
        {{"你好，", "世界"}, "你好，世界"},
        {{"hello", "   ", "world"}, "hello world"},
        {{"hello", " \n", " world "}, "hello world"},
        {{"第 3", "号会议室"}, "第 3号会议室"},
        {{"version 2", "3 items"}, "version 2 3 items"},
        {{"hello.", "World"}, "hello.World"},
        {{"café", "ok"}, "caféok"},
        {{"", ""}, ""},
        {{}, ""},
        {{"  只有一段  "}, "只有一段"},
    };
    for (const auto &c : cases) {
        QStringList segments;
        for (const char *s : c.segments)
            segments.append(QString::fromUtf8(s));
        EXPECT_EQ(joinSegments(segments), QString::fromUtf8(c.joined)) << c.joined;
    }
}

} // namespace
} // namespace quillo
