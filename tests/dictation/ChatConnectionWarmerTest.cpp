#include "dictation/ChatConnectionWarmer.h"

#include "platform/fake/FakeHttpClient.h"
#include "platform/fake/ManualScheduler.h"
#include "refinement/ChatClient.h"

#include <gtest/gtest.h>

#include <vector>

using namespace quillo;
using namespace std::chrono_literals;
using Kind = DictationPhase::Kind;

namespace {

const QString host = QStringLiteral("dashscope.aliyuncs.com");
const QString otherHost = QStringLiteral("dashscope-intl.aliyuncs.com");

// One change the warmer is told of, then how long nothing else happens.
struct Step {
    Kind phase;
    bool chatAhead;
    QString host;
    std::chrono::milliseconds then{0};
};

struct Case {
    const char *name;
    std::vector<Step> steps;
    std::vector<QString> warmedHosts; // every prewarm() in order
    bool warmingAtEnd;
};

class Warmer : public ::testing::TestWithParam<Case> { };

TEST_P(Warmer, OpensTheChatConnectionOnlyWhileItsRequestIsAhead)
{
    FakeHttpClient http;
    ManualScheduler scheduler;
    ChatConnectionWarmer warmer(http, scheduler);
    for (const Step &step : GetParam().steps) {
        warmer.follow(step.phase, step.chatAhead, step.host);
        scheduler.advance(step.then);
    }
    std::vector<QString> warmed;
    for (const QUrl &url : http.prewarmed()) {
        EXPECT_EQ(url, *chat::completionsUrl(url.host()));
        warmed.push_back(url.host());
    }
    EXPECT_EQ(warmed, GetParam().warmedHosts);
    EXPECT_EQ(warmer.isWarming(), GetParam().warmingAtEnd);
}

INSTANTIATE_TEST_SUITE_P(Table, Warmer,
    ::testing::Values(Case{"pressWarmsAtOnce", {{Kind::recording, true, host}}, {host}, true},
        Case{"noChatNoConnection", {{Kind::recording, false, host, 5s}, {Kind::transcribing, false, host, 5s}}, {},
            false},
        // Asked again while it lasts: the service may have closed an idle one meanwhile.
        Case{"longRecordingAsksEverySecond",
            {{Kind::recording, true, host, 2500ms}, {Kind::transcribing, true, host, 1s}}, {host, host, host, host},
            true},
        Case{"requestOutStopsAsking",
            {{Kind::recording, true, host, 500ms}, {Kind::transcribing, true, host, 200ms},
                {Kind::polishing, true, host, 5s}},
            {host}, false},
        Case{"translationChosenWhileSpeaking", {{Kind::recording, false, host, 3s}, {Kind::recording, true, host}},
            {host}, true},
        Case{"cancelledStopsAsking", {{Kind::recording, true, host}, {Kind::idle, true, host, 5s}}, {host}, false},
        Case{"failedStopsAsking", {{Kind::recording, true, host}, {Kind::failed, true, host, 5s}}, {host}, false},
        Case{"hostChangedFollows", {{Kind::recording, true, host}, {Kind::recording, true, otherHost}},
            {host, otherHost}, true},
        Case{"invalidHostNothing", {{Kind::recording, true, "bad/host", 3s}}, {}, false},
        Case{"nextDictationWarmsAgain",
            {{Kind::recording, true, host}, {Kind::done, true, host, 10s}, {Kind::recording, true, host}}, {host, host},
            true}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
