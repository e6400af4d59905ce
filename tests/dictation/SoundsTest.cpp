#include "platform/qt/QtSounds.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QtEndian>

#include <gtest/gtest.h>

namespace quillo {
namespace {

quint32 u32(const QByteArray &bytes, int at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

TEST(QtSoundsTest, TonesAreShortMono16kWavFiles)
{
    for (Sound sound : {Sound::tink, Sound::pop, Sound::morse}) {
        const QByteArray wav = tones::wavFile(sound);
        ASSERT_GT(wav.size(), 44);
        EXPECT_EQ(wav.left(4), "RIFF");
        EXPECT_EQ(wav.mid(8, 8), "WAVEfmt ");
        EXPECT_EQ(u32(wav, 4), static_cast<quint32>(wav.size() - 8));
        EXPECT_EQ(u32(wav, 24), 16000u);
        EXPECT_EQ(u32(wav, 40), static_cast<quint32>(wav.size() - 44));
        const double seconds = (wav.size() - 44) / 32000.0;
        EXPECT_GT(seconds, 0.03);
        EXPECT_LT(seconds, 0.3); // feedback, not a melody
        // Not silent, and never clipping.
        qint16 peak = 0;
        for (int i = 44; i + 1 < wav.size(); i += 2)
            peak = std::max<qint16>(peak, std::abs(qFromLittleEndian<qint16>(wav.constData() + i)));
        EXPECT_GT(peak, 8000);
        EXPECT_LT(peak, 32767);
    }
}

TEST(QtSoundsTest, PlayingReturnsAtOnceEvenWithoutAnAudioOutput)
{
    static int argc = 1;
    static char name[] = "test_sounds";
    static char *argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
    QtSounds sounds;
    QElapsedTimer timer;
    timer.start();
    for (Sound sound : {Sound::tink, Sound::pop, Sound::morse, Sound::tink})
        sounds.play(sound, 0.35f);
    EXPECT_LT(timer.elapsed(), 1000);
    // WORKAROUND: Qt loads samples on a thread of its own; ending the process while it
    // is still loading races inside Qt's teardown, so give it time to finish first.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 1000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

} // namespace
} // namespace quillo
