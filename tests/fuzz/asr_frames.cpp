// Fuzz target: arbitrary server frames fed to a realtime recognition client.
#include "platform/fake/FakeWebSocket.h"
#include "platform/fake/ManualScheduler.h"
#include "recognition/QwenRealtimeASR.h"

#include <chrono>
#include <cstdint>

using namespace quillo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    ManualScheduler scheduler;
    FakeWebSocket *socket = nullptr;
    QwenRealtimeASR asr({"sk", "example.com", "m", "zh"}, scheduler, [&socket] {
        auto s = std::make_unique<FakeWebSocket>();
        socket = s.get();
        return s;
    });
    int partials = 0;
    asr.onPartial = [&partials](const QString &) { ++partials; };
    asr.connect();
    asr.sendAudio(QByteArray(320, '\1'));
    int completions = 0;
    // Frames are separated by newlines; the first byte of each decides text or binary and
    // whether finish() is called before it.
    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    for (const QByteArray &piece : input.split('\n')) {
        const char mode = piece.isEmpty() ? 0 : piece.front();
        const QByteArray frame = piece.mid(1);
        if (mode & 4)
            asr.finish(1, [&completions](RecognitionSession::FinishResult) { ++completions; });
        if (mode & 1)
            socket->deliverBinary(frame);
        else
            socket->deliverText(QString::fromUtf8(frame));
        (void)asr.transcript();
    }
    asr.finish(1, [&completions](RecognitionSession::FinishResult) { ++completions; });
    scheduler.advance(std::chrono::seconds(2));
    // Every finish() completes exactly once.
    if (completions == 0)
        __builtin_trap();
    return 0;
}
