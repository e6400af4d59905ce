#include "platform/fake/FakeHttpClient.h"
#include "platform/fake/FakeWebSocket.h"
#include "platform/fake/ManualScheduler.h"
#include "recognition/QwenRealtimeASR.h"
#include "recognition/RealtimeProtocol.h"
#include "refinement/ChatClient.h"

#include <benchmark/benchmark.h>

#include <chrono>

using namespace quillo;

namespace {

const RecognitionSession::Config config{"sk", "dashscope.aliyuncs.com", "qwen3-asr-flash-realtime", "zh"};

struct Session {
    ManualScheduler scheduler;
    FakeWebSocket *socket = nullptr;
    QwenRealtimeASR asr{config, scheduler, [this] {
                            auto s = std::make_unique<FakeWebSocket>();
                            s->setRecordSends(false);
                            socket = s.get();
                            return s;
                        }};
    Session() { asr.connect(); }
};

// One chunk: base64, the JSON text and the hand-over to the socket.
void sendChunk(benchmark::State &state)
{
    Session session;
    const QByteArray chunk(static_cast<qsizetype>(state.range(0)), '\x35');
    for (auto _ : state)
        session.asr.sendAudio(chunk);
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(sendChunk)->Arg(1066)->Arg(3200);

// One second of speech as it leaves for the service: 16 kHz PCM16 is 32 000 bytes a
// second, in chunks of 1066 bytes (1600 frames captured at 48 kHz). Time per iteration
// = cost per second of recording.
constexpr qsizetype secondBytes = 32000;
constexpr qsizetype chunkBytes = 1066;

void base64OneSecond(benchmark::State &state)
{
    const QByteArray chunk(chunkBytes, '\x35');
    for (auto _ : state) {
        for (qsizetype sent = 0; sent < secondBytes; sent += chunkBytes)
            benchmark::DoNotOptimize(chunk.toBase64());
    }
}
BENCHMARK(base64OneSecond)->Unit(benchmark::kMicrosecond);

// base64, the append frame's JSON text and its UTF-8 form (what the socket writes).
void appendFramesOneSecond(benchmark::State &state)
{
    const QByteArray chunk(chunkBytes, '\x35');
    for (auto _ : state) {
        for (qsizetype sent = 0; sent < secondBytes; sent += chunkBytes)
            benchmark::DoNotOptimize(realtime::appendMessage(chunk).toUtf8());
    }
}
BENCHMARK(appendFramesOneSecond)->Unit(benchmark::kMicrosecond);

// The whole hand-over of one second of chunks to the recognition client.
void sendAudioOneSecond(benchmark::State &state)
{
    Session session;
    const QByteArray chunk(chunkBytes, '\x35');
    for (auto _ : state) {
        for (qsizetype sent = 0; sent < secondBytes; sent += chunkBytes)
            session.asr.sendAudio(chunk);
    }
}
BENCHMARK(sendAudioOneSecond)->Unit(benchmark::kMicrosecond);

using Clock = std::chrono::steady_clock;

// From the "session.finished" frame arriving to finish's completion returning the transcript.
void finishedToResult(benchmark::State &state)
{
    const QString finished = R"({"event_id":"event_9","type":"session.finished"})";
    for (auto _ : state) {
        Session session;
        for (int i = 0; i < 5; ++i) {
            session.socket->deliverText(
                QStringLiteral(R"({"type":"conversation.item.input_audio_transcription.completed",)"
                               R"("item_id":"item_%1","transcript":"今天天气不错，我们下午开会。"})")
                    .arg(i));
        }
        QString transcript;
        session.asr.finish(10, [&](RecognitionSession::FinishResult r) { transcript = r.value(); });
        const auto start = Clock::now();
        session.socket->deliverText(finished);
        const auto end = Clock::now();
        benchmark::DoNotOptimize(transcript);
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
}
BENCHMARK(finishedToResult)->UseManualTime()->Unit(benchmark::kMicrosecond);

// From the chat response's last byte being handed over to completeChat's completion.
void chatResponseToResult(benchmark::State &state)
{
    const QByteArray body
        = R"({"choices":[{"message":{"role":"assistant","content":"明天下午三点在会议室开会，请大家准时参加。"},)"
          R"("finish_reason":"stop","index":0,"logprobs":null}],"object":"chat.completion",)"
          R"("usage":{"prompt_tokens":120,"completion_tokens":20,"total_tokens":140},)"
          R"("created":1700000000,"model":"qwen-flash","id":"chatcmpl-1"})";
    const ChatRequest request{{{"system", "清理"}, {"user", "<transcript>明天下午三点开会</transcript>"}}, "sk",
        "dashscope.aliyuncs.com", "qwen-flash", 0.1};
    for (auto _ : state) {
        FakeHttpClient http;
        QString content;
        completeChat(http, request, [&](ChatResult r) { content = r.value(); });
        const auto start = Clock::now();
        http.respond(0, 200, body);
        const auto end = Clock::now();
        benchmark::DoNotOptimize(content);
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
}
BENCHMARK(chatResponseToResult)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace
