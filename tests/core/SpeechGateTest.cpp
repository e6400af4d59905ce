#include "audio/SpeechGate.h"

#include <gtest/gtest.h>

#include <cmath>

namespace quillo {
namespace {

// A chunk whose bytes identify it, so the released order can be checked.
QByteArray chunk(int id, qsizetype size = 1066)
{
    return QByteArray(size, static_cast<char>(id));
}

struct GateCase {
    const char *label;
    std::vector<float> levels;
    int openingCall; // 0-based call that opens the gate, or -1
    qsizetype released;
};

TEST(SpeechGate, OpensOnlyAfterThreeLoudLevelsInTheWindow)
{
    const std::vector<GateCase> cases{
        {"one pop among quiet chunks", {0, 0.33f, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, -1, 0},
        {"rising speech", {0, 0.05f, 0.1f, 0.45f, 0.6f, 0.7f}, 5, 6},
        {"exactly the loud level counts", {0.3f, 0.3f, 0.3f}, 2, 3},
        {"just below never opens", {0.29f, 0.29f, 0.29f, 0.29f}, -1, 0},
        {"loud levels need not be consecutive", {0.5f, 0, 0, 0.5f, 0, 0, 0, 0, 0, 0.5f}, 9, 10},
        {"a loud level leaves the window", {0.5f, 0, 0, 0.5f, 0, 0, 0, 0, 0, 0, 0.5f}, -1, 0},
        {"NaN is not loud", {NAN, NAN, NAN, 0.5f}, -1, 0},
    };
    for (const auto &c : cases) {
        SpeechGate gate;
        for (int i = 0; i < static_cast<int>(c.levels.size()); ++i) {
            const auto sent = gate.process(chunk(i), c.levels[i]);
            if (i != c.openingCall) {
                EXPECT_TRUE(sent.isEmpty()) << c.label << " call " << i;
                continue;
            }
            ASSERT_EQ(sent.size(), c.released) << c.label;
            for (qsizetype k = 0; k < sent.size(); ++k)
                EXPECT_EQ(sent[k], chunk(static_cast<int>(i - sent.size() + 1 + k))) << c.label;
        }
        EXPECT_EQ(gate.isOpen(), c.openingCall >= 0) << c.label;
        EXPECT_LE(gate.recentLevels().size(), SpeechGate::levelWindow);
    }
}

TEST(SpeechGate, PassesEveryChunkOnceOpen)
{
    SpeechGate gate;
    for (int i = 0; i < 3; ++i)
        gate.process(chunk(i), 0.9f);
    ASSERT_TRUE(gate.isOpen());
    EXPECT_EQ(gate.bufferedBytes(), 0);
    EXPECT_TRUE(gate.buffered().isEmpty());
    EXPECT_EQ(gate.recentLevels().size(), 3);
    const auto sent = gate.process(chunk(7), 0);
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent.front(), chunk(7));
    EXPECT_EQ(gate.recentLevels().size(), 3); // untouched while open

    gate.reset();
    EXPECT_FALSE(gate.isOpen());
    EXPECT_TRUE(gate.process(chunk(8), 0.9f).isEmpty());
}

TEST(SpeechGate, PreRollKeepsAtMostHalfASecond)
{
    SpeechGate gate;
    for (int i = 0; i < 40; ++i)
        gate.process(chunk(i), 0);
    EXPECT_EQ(gate.buffered().size(), 15);
    EXPECT_EQ(gate.bufferedBytes(), 15990);
    EXPECT_EQ(gate.buffered().front(), chunk(25));

    gate.process(chunk(40), 1);
    gate.process(chunk(41), 1);
    const auto sent = gate.process(chunk(42), 1);
    ASSERT_EQ(sent.size(), 15);
    EXPECT_EQ(sent.front(), chunk(28));
    EXPECT_EQ(sent.back(), chunk(42));

    // Exactly half a second is kept whole.
    SpeechGate exact;
    for (int i = 0; i < 16; ++i)
        exact.process(chunk(i, 1000), 0);
    EXPECT_EQ(exact.bufferedBytes(), 16000);
    EXPECT_EQ(exact.buffered().front(), chunk(0, 1000));
}

TEST(SpeechGate, OversizedChunkStaysUntilTheNextOne)
{
    SpeechGate gate;
    gate.process(chunk(1, 20000), 0);
    ASSERT_EQ(gate.buffered().size(), 1);
    EXPECT_EQ(gate.bufferedBytes(), 20000);

    gate.process(chunk(2, 100), 0);
    ASSERT_EQ(gate.buffered().size(), 1);
    EXPECT_EQ(gate.buffered().front(), chunk(2, 100));
    EXPECT_EQ(gate.bufferedBytes(), 100);
}

} // namespace
} // namespace quillo
