#include "audio/AudioFile.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace quillo {
namespace {

bool run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

double rmsOf(const QByteArray &pcm, qsizetype skipSamples)
{
    const auto *b = reinterpret_cast<const unsigned char *>(pcm.constData());
    double sum = 0;
    qsizetype n = 0;
    for (qsizetype i = skipSamples; i < pcm.size() / 2 - skipSamples; ++i, ++n) {
        const double s
            = static_cast<std::int16_t>(static_cast<std::uint16_t>(b[2 * i] | (b[2 * i + 1] << 8))) / 32768.0;
        sum += s * s;
    }
    return n ? std::sqrt(sum / static_cast<double>(n)) : 0;
}

class AudioFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        if (QStandardPaths::findExecutable(QStringLiteral("sox")).isEmpty())
            GTEST_SKIP() << "sox is not installed";
    }

    // One second of a 440 Hz sine at half scale.
    QString makeTone(const QString &name, int rate, int channels, const QStringList &encoding)
    {
        const QString path = dir.filePath(name);
        QStringList args{QStringLiteral("-n"), QStringLiteral("-r"), QString::number(rate), QStringLiteral("-c"),
            QString::number(channels)};
        args += encoding;
        args += {path, QStringLiteral("synth"), QStringLiteral("1"), QStringLiteral("sine"), QStringLiteral("440"),
            QStringLiteral("vol"), QStringLiteral("0.5")};
        EXPECT_TRUE(run(QStringLiteral("sox"), args)) << name.toStdString();
        return path;
    }

    QString writeBytes(const QString &name, const QByteArray &bytes)
    {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }

    QTemporaryDir dir;
};

TEST_F(AudioFileTest, ReadsCommonFormatsRatesAndChannelCounts)
{
    struct Case {
        QString name;
        int rate;
        int channels;
        QStringList encoding;
        double tolerance;
    };
    const Case cases[] = {
        {"u8.wav", 8000, 1, {"-b", "8"}, 0.01},
        {"s16.wav", 16000, 1, {"-b", "16"}, 0.003},
        {"s16-stereo.wav", 44100, 2, {"-b", "16"}, 0.003},
        {"s24.wav", 48000, 2, {"-b", "24"}, 0.003},
        {"s32.wav", 22050, 1, {"-b", "32", "-e", "signed-integer"}, 0.003},
        {"f32.wav", 96000, 1, {"-b", "32", "-e", "floating-point"}, 0.003},
        {"tone.flac", 44100, 2, {"-b", "16"}, 0.003},
        {"tone.ogg", 48000, 1, {}, 0.01},
        {"tone.aiff", 11025, 1, {}, 0.003},
    };
    for (const auto &c : cases) {
        const auto path = makeTone(c.name, c.rate, c.channels, c.encoding);
        const auto pcm = loadPCM16(path);
        ASSERT_TRUE(pcm) << c.name.toStdString() << ": " << pcm.error().description().toStdString();
        EXPECT_NEAR(pcm->size() / 2, 16000, 40) << c.name.toStdString();
        EXPECT_NEAR(rmsOf(*pcm, 800), 0.5 / std::sqrt(2.0), c.tolerance) << c.name.toStdString();
    }
}

TEST_F(AudioFileTest, ReadsMP3WhereLibsndfileHasIt)
{
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    if (!sf_format_check(&info))
        GTEST_SKIP() << "this libsndfile has no MP3";
    const QString path = dir.filePath(QStringLiteral("tone.mp3"));
    SNDFILE *out = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    ASSERT_NE(out, nullptr) << sf_strerror(nullptr);
    std::vector<float> tone(44100);
    for (std::size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<float>(0.5 * std::sin(2 * std::numbers::pi * 440 * static_cast<double>(i) / 44100));
    sf_writef_float(out, tone.data(), static_cast<sf_count_t>(tone.size()));
    sf_close(out);

    const auto pcm = loadPCM16(path);
    ASSERT_TRUE(pcm) << pcm.error().description().toStdString();
    EXPECT_NEAR(pcm->size() / 2, 16000, 1200); // MP3 pads whole frames
    EXPECT_NEAR(rmsOf(*pcm, 2000), 0.5 / std::sqrt(2.0), 0.02);
}

TEST_F(AudioFileTest, BrokenFilesFailWithAnError)
{
    const QString wav = makeTone(QStringLiteral("whole.wav"), 48000, 1, {QStringLiteral("-b"), QStringLiteral("16")});
    const QString flac = makeTone(QStringLiteral("whole.flac"), 48000, 1, {});
    QFile w(wav);
    ASSERT_TRUE(w.open(QIODevice::ReadOnly));
    const QByteArray wavBytes = w.readAll();
    QFile f(flac);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray flacBytes = f.readAll();

    const QString cases[] = {
        dir.filePath(QStringLiteral("missing.wav")),
        writeBytes(QStringLiteral("empty.wav"), {}),
        writeBytes(QStringLiteral("text.wav"), "this is not audio at all, just some words\n"),
        writeBytes(QStringLiteral("noise.flac"), QByteArray(5000, '\x5a')),
        writeBytes(QStringLiteral("header-cut.wav"), wavBytes.left(30)),
        writeBytes(QStringLiteral("flac-cut.flac"), flacBytes.left(flacBytes.size() / 2)),
        dir.path(),
    };
    for (const auto &path : cases) {
        const auto pcm = loadPCM16(path);
        ASSERT_FALSE(pcm) << path.toStdString();
        EXPECT_EQ(pcm.error().kind, AudioRecorderError::Kind::fileUnreadable) << path.toStdString();
        EXPECT_TRUE(pcm.error().description().startsWith(QStringLiteral("无法读取音频文件")));
    }
}

} // namespace
} // namespace quillo
