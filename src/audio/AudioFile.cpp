#include "audio/AudioFile.h"

#include "audio/PCM16Converter.h"

#include <QFile>

#include <sndfile.h>

#include <memory>
#include <vector>

namespace quillo {

namespace {

constexpr sf_count_t blockFrames = 4096;

struct SndfileCloser {
    void operator()(SNDFILE *f) const { sf_close(f); }
};
using SndfilePtr = std::unique_ptr<SNDFILE, SndfileCloser>;

QString sndfileError(SNDFILE *file)
{
    return QString::fromUtf8(sf_strerror(file));
}

} // namespace

Expected<QByteArray, AudioRecorderError> loadPCM16(const QString &path)
{
    SF_INFO info{};
    SndfilePtr file(sf_open(QFile::encodeName(path).constData(), SFM_READ, &info));
    if (!file)
        return unexpected(AudioRecorderError::fileUnreadable(sndfileError(nullptr)));

    const AudioInputFormat format{info.samplerate, info.channels};
    auto converter = PCM16Converter::create(format);
    if (!converter)
        return unexpected(AudioRecorderError::converterUnavailable());

    std::vector<float> block(static_cast<std::size_t>(blockFrames) * static_cast<std::size_t>(info.channels));
    QByteArray result;
    sf_count_t total = 0;
    for (;;) {
        const sf_count_t got = sf_readf_float(file.get(), block.data(), blockFrames);
        if (sf_error(file.get()) != SF_ERR_NO_ERROR)
            return unexpected(AudioRecorderError::fileUnreadable(sndfileError(file.get())));
        if (got <= 0)
            break;
        total += got;
        const auto samples = static_cast<std::size_t>(got) * static_cast<std::size_t>(info.channels);
        result += converter->convert(AudioBufferView{std::span<const float>(block.data(), samples), format});
    }
    // A stream that ends before the length its header announced is damaged;
    // returning part of it as if it were whole would hide that.
    if (info.frames != SF_COUNT_MAX && info.frames > 0 && total < info.frames)
        return unexpected(AudioRecorderError::fileUnreadable(QStringLiteral("文件不完整")));
    result += converter->finish();
    return result;
}

} // namespace quillo
