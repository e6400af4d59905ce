#include "platform/qt/QtSounds.h"

#include <QFile>
#include <QSoundEffect>
#include <QUrl>
#include <QtEndian>

#include <cmath>
#include <numbers>

namespace quillo {

namespace tones {

namespace {

constexpr int sampleRate = 16000;

struct Tone {
    double startHz;
    double endHz;
    double seconds;
    double decay; // per second, exponential
    int beeps; // repeated with equal gaps
};

Tone toneFor(Sound sound)
{
    switch (sound) {
    case Sound::tink:
        return {1850, 1850, 0.09, 45, 1};
    case Sound::pop:
        return {520, 240, 0.08, 35, 1};
    case Sound::morse:
        return {1000, 1000, 0.05, 10, 2};
    }
    return {1000, 1000, 0.05, 10, 1};
}

QByteArray samples(const Tone &tone)
{
    const int beepSamples = static_cast<int>(tone.seconds * sampleRate);
    const int gapSamples = beepSamples;
    QByteArray out;
    for (int beep = 0; beep < tone.beeps; ++beep) {
        if (beep > 0)
            out.append(QByteArray(gapSamples * 2, '\0'));
        double phase = 0;
        for (int i = 0; i < beepSamples; ++i) {
            const double t = static_cast<double>(i) / sampleRate;
            const double hz = tone.startHz + (tone.endHz - tone.startHz) * (t / tone.seconds);
            phase += 2 * std::numbers::pi * hz / sampleRate;
            // A 3 ms fade-in avoids a click at the start.
            const double attack = std::min(1.0, t / 0.003);
            const double value = 0.6 * attack * std::exp(-tone.decay * t) * std::sin(phase);
            const auto sample = static_cast<qint16>(std::lround(value * 32767));
            char bytes[2];
            qToLittleEndian(sample, bytes);
            out.append(bytes, 2);
        }
    }
    return out;
}

void appendU32(QByteArray &out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

void appendU16(QByteArray &out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

} // namespace

QByteArray wavFile(Sound sound)
{
    const QByteArray pcm = samples(toneFor(sound));
    QByteArray out;
    out.append("RIFF");
    appendU32(out, static_cast<quint32>(36 + pcm.size()));
    out.append("WAVEfmt ");
    appendU32(out, 16);
    appendU16(out, 1); // PCM
    appendU16(out, 1); // mono
    appendU32(out, sampleRate);
    appendU32(out, sampleRate * 2);
    appendU16(out, 2);
    appendU16(out, 16);
    out.append("data");
    appendU32(out, static_cast<quint32>(pcm.size()));
    out.append(pcm);
    return out;
}

} // namespace tones

namespace {

QString fileName(Sound sound)
{
    switch (sound) {
    case Sound::tink:
        return QStringLiteral("tink.wav");
    case Sound::pop:
        return QStringLiteral("pop.wav");
    case Sound::morse:
        return QStringLiteral("morse.wav");
    }
    return QStringLiteral("sound.wav");
}

} // namespace

QtSounds::QtSounds()
    : context_(std::make_unique<QObject>())
{
}

QtSounds::~QtSounds() = default;

void QtSounds::play(Sound sound, float volume)
{
    QSoundEffect *e = effect(sound);
    if (!e)
        return;
    e->setVolume(volume);
    e->play();
}

QSoundEffect *QtSounds::effect(Sound sound)
{
    if (auto it = effects_.find(sound); it != effects_.end())
        return it->second;
    if (!folder_)
        folder_ = std::make_unique<QTemporaryDir>();
    if (!folder_->isValid())
        return nullptr;
    const QString path = folder_->filePath(fileName(sound));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(tones::wavFile(sound)) < 0)
        return nullptr;
    file.close();
    auto *e = new QSoundEffect(context_.get());
    e->setSource(QUrl::fromLocalFile(path));
    effects_[sound] = e;
    return e;
}

} // namespace quillo
