#include "platform/qt/QtAudioInput.h"

#include <QAudioSource>
#include <QMediaDevices>
#include <QThread>

#include <algorithm>
#include <cstring>
#include <span>
#include <utility>
#include <vector>

namespace quillo {

namespace {

// Float where the device offers it, otherwise its own integer format.
QAudioFormat captureFormat(const QAudioDevice &device)
{
    if (device.isNull())
        return {};
    QAudioFormat format = device.preferredFormat();
    QAudioFormat asFloat = format;
    asFloat.setSampleFormat(QAudioFormat::Float);
    if (format.sampleFormat() != QAudioFormat::Float && device.isFormatSupported(asFloat))
        return asFloat;
    return format;
}

AudioInputFormat toInputFormat(const QAudioFormat &format)
{
    if (format.sampleFormat() == QAudioFormat::Unknown)
        return {};
    return {format.sampleRate(), format.channelCount()};
}

void toFloat(const char *bytes, std::size_t samples, QAudioFormat::SampleFormat format, std::vector<float> &out)
{
    out.resize(samples);
    switch (format) {
    case QAudioFormat::Float:
        std::memcpy(out.data(), bytes, samples * sizeof(float));
        return;
    case QAudioFormat::Int16:
        for (std::size_t i = 0; i < samples; ++i) {
            std::int16_t s;
            std::memcpy(&s, bytes + 2 * i, 2);
            out[i] = static_cast<float>(s) / 32768.0f;
        }
        return;
    case QAudioFormat::Int32:
        for (std::size_t i = 0; i < samples; ++i) {
            std::int32_t s;
            std::memcpy(&s, bytes + 4 * i, 4);
            out[i] = static_cast<float>(static_cast<double>(s) / 2147483648.0);
        }
        return;
    case QAudioFormat::UInt8:
        for (std::size_t i = 0; i < samples; ++i)
            out[i] = (static_cast<float>(static_cast<unsigned char>(bytes[i])) - 128.0f) / 128.0f;
        return;
    default:
        out.clear();
    }
}

QString describe(QAudio::Error error)
{
    switch (error) {
    case QAudio::OpenError:
        return QStringLiteral("设备无法打开");
    case QAudio::IOError:
        return QStringLiteral("设备读写出错");
    case QAudio::FatalError:
        return QStringLiteral("音频服务不可用");
    default:
        return QStringLiteral("未知错误");
    }
}

} // namespace

// Owns the QAudioSource; every member is touched only on the audio thread.
class QtAudioInput::Worker final : public QObject {
public:
    Expected<Done, QString> start(const QAudioDevice &device, AudioInputFormat expected, std::size_t framesHint,
        BufferHandler handler, ErrorHandler onError)
    {
        stop();
        const QAudioFormat format = captureFormat(device);
        if (toInputFormat(format) != expected || !expected.isUsable())
            return unexpected(QStringLiteral("输入设备已改变"));
        source_ = std::make_unique<QAudioSource>(device, format);
        // WORKAROUND: pin PulseAudio's fragment. Left to the defaults it depends on the
        // Qt version and the server, and the first chunk waits for whole fragments
        // (measured: 1 s fragments, 2 s wait). A tenth of a second, handed on as buffers
        // of the requested size: each wake-up of the sound server's thread, this one and
        // the main thread costs more than the audio (measured: 3.2 % of a core while
        // recording with one wake-up per 1600 frames, 2 % with one per 0.1 s).
        framesHint_ = std::max<std::size_t>(framesHint, 1);
        const qsizetype fragment = std::max<qsizetype>(static_cast<qsizetype>(framesHint), format.sampleRate() / 10);
        source_->setBufferSize(fragment * format.bytesPerFrame());
        device_ = source_->start();
        if (!device_ || source_->error() != QAudio::NoError) {
            const QString reason = describe(source_->error());
            stop();
            return unexpected(reason);
        }
        format_ = format;
        handler_ = std::move(handler);
        onError_ = std::move(onError);
        QObject::connect(device_, &QIODevice::readyRead, this, [this] { drain(); });
        QObject::connect(source_.get(), &QAudioSource::stateChanged, this, [this](QAudio::State state) {
            if (state == QAudio::StoppedState && source_ && source_->error() != QAudio::NoError)
                fail(describe(source_->error()));
        });
        return Done{};
    }

    void stop()
    {
        handler_ = nullptr;
        onError_ = nullptr;
        pending_.clear();
        if (device_)
            QObject::disconnect(device_, nullptr, this, nullptr);
        device_ = nullptr; // owned by the source
        if (source_)
            source_->stop();
        source_.reset();
    }

    ~Worker() override { stop(); }

private:
    // The stream ended without being asked to: tell the owner once and deliver no more.
    void fail(const QString &reason)
    {
        handler_ = nullptr;
        if (auto onError = std::exchange(onError_, nullptr))
            onError(reason);
    }

    void drain()
    {
        if (!device_ || !handler_)
            return;
        pending_ += device_->readAll();
        const int frameBytes = format_.bytesPerFrame();
        if (frameBytes <= 0)
            return;
        const qsizetype whole = pending_.size() / frameBytes * frameBytes;
        if (whole == 0)
            return;
        const auto samples = static_cast<std::size_t>(whole / format_.bytesPerSample());
        toFloat(pending_.constData(), samples, format_.sampleFormat(), floats_);
        pending_.remove(0, whole);
        deliverInPieces();
    }

    // What arrived at once goes on as buffers of about the requested size, so levels
    // and chunks keep the pace the rest of the program expects.
    void deliverInPieces()
    {
        const auto channels = static_cast<std::size_t>(std::max(format_.channelCount(), 1));
        const std::size_t frames = floats_.size() / channels;
        if (frames == 0)
            return;
        const std::size_t pieces = std::max<std::size_t>(1, (frames + framesHint_ / 2) / framesHint_);
        const AudioInputFormat format = toInputFormat(format_);
        for (std::size_t i = 0; i < pieces && handler_; ++i) {
            const std::size_t begin = i * frames / pieces;
            const std::size_t end = (i + 1) * frames / pieces;
            handler_(AudioBufferView{
                std::span<const float>(floats_).subspan(begin * channels, (end - begin) * channels), format});
        }
    }

    std::unique_ptr<QAudioSource> source_;
    QIODevice *device_ = nullptr;
    QAudioFormat format_;
    BufferHandler handler_;
    ErrorHandler onError_;
    QByteArray pending_; // a partial frame left by the last read
    std::size_t framesHint_ = 1600;
    std::vector<float> floats_;
};

QtAudioInput::QtAudioInput()
    : QtAudioInput(qEnvironmentVariable("QUILLO_INPUT_DEVICE").trimmed())
{
}

QtAudioInput::QtAudioInput(QString deviceMatch)
    : deviceMatch_(std::move(deviceMatch))
    , thread_(std::make_unique<QThread>())
    , worker_(new Worker)
{
    thread_->setObjectName(QStringLiteral("quillo-audio"));
    worker_->moveToThread(thread_.get());
    thread_->start(QThread::TimeCriticalPriority);
}

QtAudioInput::~QtAudioInput()
{
    Worker *worker = worker_;
    QMetaObject::invokeMethod(
        worker, [worker] { delete worker; }, Qt::BlockingQueuedConnection);
    thread_->quit();
    thread_->wait();
}

QAudioDevice QtAudioInput::chosenDevice() const
{
    if (deviceMatch_.isEmpty())
        return QMediaDevices::defaultAudioInput();
    const auto inputs = QMediaDevices::audioInputs();
    for (const QAudioDevice &device : inputs) {
        if (device.description().contains(deviceMatch_, Qt::CaseInsensitive)
            || QString::fromUtf8(device.id()).contains(deviceMatch_, Qt::CaseInsensitive))
            return device;
    }
    return {};
}

AudioInputFormat QtAudioInput::inputFormat()
{
    return toInputFormat(captureFormat(chosenDevice()));
}

Expected<Done, QString> QtAudioInput::start(
    AudioInputFormat format, std::size_t framesHint, BufferHandler handler, ErrorHandler onError)
{
    // Blocks only while Qt opens the stream; the worker never waits on us.
    const QAudioDevice device = chosenDevice();
    Expected<Done, QString> result = unexpected(QStringLiteral("音频线程未运行"));
    Worker *worker = worker_;
    QMetaObject::invokeMethod(
        worker, [&] { result = worker->start(device, format, framesHint, std::move(handler), std::move(onError)); },
        Qt::BlockingQueuedConnection);
    return result;
}

void QtAudioInput::stop()
{
    Worker *worker = worker_;
    QMetaObject::invokeMethod(
        worker, [worker] { worker->stop(); }, Qt::QueuedConnection);
}

} // namespace quillo
