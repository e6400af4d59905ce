#include "audio/PCM16Converter.h"

#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace quillo {

namespace {
// Outside this range the input is not audio we can sensibly resample (and the
// output buffer for a tiny input rate would be huge).
constexpr int minInputRate = 1000;
constexpr int maxInputRate = 1'000'000;
constexpr int maxChannels = 256;
constexpr std::size_t outputSlackFrames = 1024;
} // namespace

std::int16_t pcm16::fromFloat(float sample)
{
    if (std::isnan(sample))
        return 0;
    const float scaled = std::clamp(sample * 32768.0f, -32768.0f, 32767.0f);
    return static_cast<std::int16_t>(std::lrint(scaled));
}

void PCM16Converter::SoxrDeleter::operator()(soxr *s) const
{
    soxr_delete(s);
}

std::unique_ptr<PCM16Converter> PCM16Converter::create(AudioInputFormat input)
{
    if (input.sampleRate < minInputRate || input.sampleRate > maxInputRate)
        return nullptr;
    if (input.channelCount < 1 || input.channelCount > maxChannels)
        return nullptr;
    std::unique_ptr<soxr, SoxrDeleter> resampler;
    if (input.sampleRate != targetSampleRate) {
        const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
        // Minimum phase: the filter's delay is short enough that the first capture
        // buffer already yields audio; phase response means nothing to recognition.
        const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ | SOXR_MINIMUM_PHASE, 0);
        // One thread: this runs on the real-time audio thread, not a worker pool.
        const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
        soxr_error_t error = nullptr;
        resampler.reset(soxr_create(input.sampleRate, targetSampleRate, 1, &error, &io, &quality, &runtime));
        if (error || !resampler)
            return nullptr;
    }
    return std::unique_ptr<PCM16Converter>(new PCM16Converter(input, std::move(resampler)));
}

PCM16Converter::PCM16Converter(AudioInputFormat input, std::unique_ptr<soxr, SoxrDeleter> resampler)
    : input_(input)
    , resampler_(std::move(resampler))
{
}

PCM16Converter::~PCM16Converter() = default;

QByteArray PCM16Converter::convert(const AudioBufferView &buffer)
{
    if (buffer.format != input_)
        return {};
    const std::size_t frames = buffer.frameCount();
    if (frames == 0)
        return {};

    const auto stride = static_cast<std::size_t>(input_.channelCount);
    mono_.resize(frames);
    for (std::size_t i = 0; i < frames; ++i)
        mono_[i] = buffer.samples[i * stride];

    return resampleAndQuantize(mono_.data(), frames);
}

QByteArray PCM16Converter::finish()
{
    return resampleAndQuantize(nullptr, 0);
}

QByteArray PCM16Converter::resampleAndQuantize(const float *mono, std::size_t frames)
{
    const float *out = mono;
    std::size_t outFrames = frames;
    if (resampler_) {
        const bool draining = mono == nullptr;
        const double ratio = static_cast<double>(targetSampleRate) / input_.sampleRate;
        resampled_.resize(static_cast<std::size_t>(std::ceil(ratio * static_cast<double>(frames))) + outputSlackFrames);
        std::size_t consumed = 0;
        std::size_t produced = 0;
        // A null input tells soxr the stream has ended; only finish() passes one,
        // so the state carries over between buffers of a recording.
        for (;;) {
            std::size_t inDone = 0;
            std::size_t outDone = 0;
            const soxr_error_t error = soxr_process(resampler_.get(), draining ? nullptr : mono + consumed,
                frames - consumed, &inDone, resampled_.data() + produced, resampled_.size() - produced, &outDone);
            if (error)
                return {};
            consumed += inDone;
            produced += outDone;
            if (produced == resampled_.size())
                resampled_.resize(resampled_.size() * 2);
            else if (draining ? outDone == 0 : consumed == frames)
                break;
            else if (inDone == 0 && outDone == 0)
                break;
        }
        out = resampled_.data();
        outFrames = produced;
    }
    if (outFrames == 0)
        return {};

    QByteArray chunk(static_cast<qsizetype>(outFrames * 2), Qt::Uninitialized);
    auto *bytes = reinterpret_cast<unsigned char *>(chunk.data());
    for (std::size_t i = 0; i < outFrames; ++i) {
        const auto v = static_cast<std::uint16_t>(pcm16::fromFloat(out[i]));
        bytes[2 * i] = static_cast<unsigned char>(v & 0xff);
        bytes[2 * i + 1] = static_cast<unsigned char>(v >> 8);
    }
    return chunk;
}

} // namespace quillo
