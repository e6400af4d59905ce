#include "platform/pulse/PulseConnection.h"

#include <pulse/pulseaudio.h>
#include <pulse/rtclock.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <utility>

namespace quillo {

namespace {

const QString serverUnavailable = QStringLiteral("音频服务不可用");
const QString serverSilent = QStringLiteral("音频服务无响应");
const QString noSource = QStringLiteral("没有可用的麦克风输入设备");
const QString streamRefused = QStringLiteral("麦克风录音流无法打开");

struct SourceQuery {
    pa_threaded_mainloop *mainloop = nullptr;
    QString match; // empty: the first source reported
    std::optional<PulseConnection::Source> found;
};

void onSourceInfo(pa_context *, const pa_source_info *info, int eol, void *userdata)
{
    auto *query = static_cast<SourceQuery *>(userdata);
    if (eol != 0 || !info) {
        pa_threaded_mainloop_signal(query->mainloop, 0);
        return;
    }
    if (query->found)
        return;
    const QString name = QString::fromUtf8(info->name);
    const QString description = QString::fromUtf8(info->description ? info->description : "");
    if (!query->match.isEmpty() && !name.contains(query->match, Qt::CaseInsensitive)
        && !description.contains(query->match, Qt::CaseInsensitive))
        return;
    query->found = PulseConnection::Source{
        QByteArray(info->name), {static_cast<int>(info->sample_spec.rate), info->sample_spec.channels}, description};
}

struct ServerQuery {
    pa_threaded_mainloop *mainloop = nullptr;
    QByteArray defaultSource;
};

void onServerInfo(pa_context *, const pa_server_info *info, void *userdata)
{
    auto *query = static_cast<ServerQuery *>(userdata);
    if (info && info->default_source_name)
        query->defaultSource = info->default_source_name;
    pa_threaded_mainloop_signal(query->mainloop, 0);
}

} // namespace

// What the stream hands its buffers and its end to; dropped by detach().
struct PulseConnection::Sink {
    AudioInput::BufferHandler onBuffer;
    AudioInput::ErrorHandler onError;
};

// The event thread's lock: libpulse objects are touched only while it is held.
class PulseConnection::Lock {
public:
    explicit Lock(pa_threaded_mainloop *mainloop)
        : mainloop_(mainloop)
    {
        pa_threaded_mainloop_lock(mainloop_);
    }
    ~Lock() { pa_threaded_mainloop_unlock(mainloop_); }
    Lock(const Lock &) = delete;
    Lock &operator=(const Lock &) = delete;

private:
    pa_threaded_mainloop *mainloop_;
};

PulseConnection::PulseConnection(std::chrono::milliseconds timeout)
    : timeout_(timeout)
    , mainloop_(pa_threaded_mainloop_new())
{
    if (!mainloop_)
        return;
    pa_threaded_mainloop_set_name(mainloop_, "quillo-audio");
    if (pa_threaded_mainloop_start(mainloop_) < 0) {
        pa_threaded_mainloop_free(mainloop_);
        mainloop_ = nullptr;
    }
}

PulseConnection::~PulseConnection()
{
    if (!mainloop_)
        return;
    {
        const Lock lock(mainloop_);
        if (stream_) {
            pa_stream_set_state_callback(stream_, nullptr, nullptr);
            pa_stream_set_read_callback(stream_, nullptr, nullptr);
            pa_stream_disconnect(stream_);
            pa_stream_unref(stream_);
        }
        if (context_) {
            pa_context_set_state_callback(context_, nullptr, nullptr);
            pa_context_disconnect(context_);
            pa_context_unref(context_);
        }
    }
    pa_threaded_mainloop_stop(mainloop_);
    pa_threaded_mainloop_free(mainloop_);
}

Expected<std::unique_ptr<PulseConnection>, QString> PulseConnection::open(std::chrono::milliseconds timeout)
{
    std::unique_ptr<PulseConnection> connection(new PulseConnection(timeout));
    if (!connection->mainloop_)
        return unexpected(serverUnavailable);
    const auto connected = connection->connect();
    if (!connected)
        return unexpected(connected.error());
    return Expected<std::unique_ptr<PulseConnection>, QString>(std::move(connection));
}

Expected<Done, QString> PulseConnection::connect()
{
    const Lock lock(mainloop_);
    context_ = pa_context_new(pa_threaded_mainloop_get_api(mainloop_), "Quillo");
    if (!context_)
        return unexpected(serverUnavailable);
    pa_context_set_state_callback(
        context_, [](pa_context *, void *self) { static_cast<PulseConnection *>(self)->onContextState(); }, this);
    // Never start a server of our own: a user without one has chosen so.
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        return unexpected(serverUnavailable);
    const bool settled = waitUntil([this] {
        const pa_context_state_t state = pa_context_get_state(context_);
        return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
    });
    if (!settled)
        return unexpected(serverSilent);
    if (pa_context_get_state(context_) != PA_CONTEXT_READY)
        return unexpected(serverUnavailable);
    return Done{};
}

template <typename Predicate> bool PulseConnection::waitUntil(Predicate done)
{
    if (done())
        return true;
    timedOut_ = false;
    const auto usec = std::chrono::duration_cast<std::chrono::microseconds>(timeout_).count();
    pa_time_event *timer = pa_context_rttime_new(
        context_, pa_rtclock_now() + static_cast<pa_usec_t>(usec),
        [](pa_mainloop_api *, pa_time_event *, const struct timeval *, void *self) {
            auto *connection = static_cast<PulseConnection *>(self);
            connection->timedOut_ = true;
            pa_threaded_mainloop_signal(connection->mainloop_, 0);
        },
        this);
    if (!timer)
        return false; // no way to bound the wait: do not wait
    while (!done() && !timedOut_)
        pa_threaded_mainloop_wait(mainloop_);
    pa_threaded_mainloop_get_api(mainloop_)->time_free(timer);
    return done();
}

bool PulseConnection::finish(pa_operation *op)
{
    if (!op)
        return false;
    const bool ended = waitUntil([op] { return pa_operation_get_state(op) != PA_OPERATION_RUNNING; });
    if (!ended)
        pa_operation_cancel(op); // its callback, which points into our stack, will not run
    const bool done = pa_operation_get_state(op) == PA_OPERATION_DONE;
    pa_operation_unref(op);
    return done;
}

QString PulseConnection::lastError() const
{
    return QString::fromUtf8(pa_strerror(pa_context_errno(context_)));
}

bool PulseConnection::isReady() const
{
    if (!mainloop_ || !context_)
        return false;
    const Lock lock(mainloop_);
    return pa_context_get_state(context_) == PA_CONTEXT_READY;
}

Expected<PulseConnection::Source, QString> PulseConnection::findSource(const QString &match)
{
    const Lock lock(mainloop_);
    if (pa_context_get_state(context_) != PA_CONTEXT_READY)
        return unexpected(serverUnavailable);
    SourceQuery query{mainloop_, match, std::nullopt};
    if (match.isEmpty()) {
        ServerQuery server{mainloop_, {}};
        if (!finish(pa_context_get_server_info(context_, onServerInfo, &server)))
            return unexpected(serverSilent);
        if (server.defaultSource.isEmpty())
            return unexpected(noSource);
        if (!finish(
                pa_context_get_source_info_by_name(context_, server.defaultSource.constData(), onSourceInfo, &query))
            && !query.found)
            return unexpected(noSource);
    } else if (!finish(pa_context_get_source_info_list(context_, onSourceInfo, &query)) && !query.found) {
        return unexpected(serverSilent);
    }
    if (!query.found || !query.found->format.isUsable())
        return unexpected(noSource);
    return *query.found;
}

Expected<Done, QString> PulseConnection::record(
    const Source &source, std::size_t framesHint, AudioInput::BufferHandler handler, AudioInput::ErrorHandler onError)
{
    const Lock lock(mainloop_);
    if (stream_ || pa_context_get_state(context_) != PA_CONTEXT_READY)
        return unexpected(serverUnavailable);
    const pa_sample_spec spec{PA_SAMPLE_FLOAT32NE, static_cast<std::uint32_t>(source.format.sampleRate),
        static_cast<std::uint8_t>(source.format.channelCount)};
    if (!pa_sample_spec_valid(&spec))
        return unexpected(streamRefused);
    stream_ = pa_stream_new(context_, "Dictation", &spec, nullptr);
    if (!stream_)
        return unexpected(streamRefused);
    format_ = source.format;
    framesHint_ = std::max<std::size_t>(framesHint, 1);
    pa_stream_set_state_callback(
        stream_, [](pa_stream *, void *self) { static_cast<PulseConnection *>(self)->onStreamState(); }, this);
    pa_stream_set_read_callback(
        stream_, [](pa_stream *, std::size_t, void *self) { static_cast<PulseConnection *>(self)->onReadable(); },
        this);
    {
        const std::lock_guard guard(sinkLock_);
        sink_ = std::make_shared<Sink>(Sink{std::move(handler), std::move(onError)});
    }

    // A tenth of a second per wake-up, handed on in buffers of the requested size:
    // waking this thread, the server's and the main thread for every 1600 frames
    // costs more than the audio itself, and the first buffer must still come soon.
    const std::size_t fragmentFrames = std::max<std::size_t>(framesHint_, static_cast<std::size_t>(spec.rate / 10));
    pa_buffer_attr attributes;
    std::memset(&attributes, 0xff, sizeof attributes); // (uint32_t) -1: the server's choice
    attributes.fragsize = static_cast<std::uint32_t>(fragmentFrames * pa_frame_size(&spec));
    const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_MOVE);
    const bool settled
        = pa_stream_connect_record(stream_, source.name.constData(), &attributes, flags) == 0 && waitUntil([this] {
              const pa_stream_state_t state = pa_stream_get_state(stream_);
              return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
          });
    if (!settled || pa_stream_get_state(stream_) != PA_STREAM_READY) {
        detach();
        return unexpected(settled ? streamRefused : serverSilent);
    }
    recording_ = true;
    return Done{};
}

void PulseConnection::detach()
{
    const std::lock_guard guard(sinkLock_);
    sink_.reset();
}

std::shared_ptr<PulseConnection::Sink> PulseConnection::currentSink() const
{
    const std::lock_guard guard(sinkLock_);
    return sink_;
}

void PulseConnection::onContextState()
{
    pa_threaded_mainloop_signal(mainloop_, 0);
    if (recording_ && !PA_CONTEXT_IS_GOOD(pa_context_get_state(context_)))
        fail(lastError());
}

void PulseConnection::onStreamState()
{
    pa_threaded_mainloop_signal(mainloop_, 0);
    if (recording_ && !PA_STREAM_IS_GOOD(pa_stream_get_state(stream_)))
        fail(lastError());
}

void PulseConnection::fail(const QString &reason)
{
    recording_ = false;
    std::shared_ptr<Sink> sink;
    {
        const std::lock_guard guard(sinkLock_);
        sink = std::exchange(sink_, nullptr);
    }
    if (sink && sink->onError)
        sink->onError(reason);
}

void PulseConnection::onReadable()
{
    while (pa_stream_readable_size(stream_) > 0) {
        const void *data = nullptr;
        std::size_t bytes = 0;
        if (pa_stream_peek(stream_, &data, &bytes) < 0) {
            fail(lastError());
            return;
        }
        if (bytes == 0)
            break;
        if (data) // otherwise a hole: there is no audio for it
            pending_.append(static_cast<const char *>(data), static_cast<qsizetype>(bytes));
        pa_stream_drop(stream_);
    }
    const std::shared_ptr<Sink> sink = currentSink();
    if (!sink) {
        pending_.clear();
        return;
    }
    deliver(sink);
}

// What arrived at once goes on as buffers of about the requested size, so levels
// and chunks keep the pace the rest of the program expects.
void PulseConnection::deliver(const std::shared_ptr<Sink> &sink)
{
    const auto channels = static_cast<std::size_t>(format_.channelCount);
    const qsizetype frameBytes = static_cast<qsizetype>(channels * sizeof(float));
    const qsizetype whole = pending_.size() / frameBytes * frameBytes;
    if (whole == 0 || !sink->onBuffer)
        return;
    floats_.resize(static_cast<std::size_t>(whole) / sizeof(float));
    std::memcpy(floats_.data(), pending_.constData(), static_cast<std::size_t>(whole));
    pending_.remove(0, whole);

    const std::size_t frames = floats_.size() / channels;
    const std::size_t pieces = std::max<std::size_t>(1, (frames + framesHint_ / 2) / framesHint_);
    for (std::size_t i = 0; i < pieces && currentSink(); ++i) {
        const std::size_t begin = i * frames / pieces;
        const std::size_t end = (i + 1) * frames / pieces;
        sink->onBuffer(AudioBufferView{
            std::span<const float>(floats_).subspan(begin * channels, (end - begin) * channels), format_});
    }
}

} // namespace quillo
