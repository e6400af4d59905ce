#pragma once

#include "platform/KeystrokePoster.h"

#include <optional>
#include <vector>

namespace quillo {

// Records keystrokes. Answers at once unless `holdAnswers` is set; held answers
// are given by `answerPending`.
class FakeKeystrokePoster final : public KeystrokePoster {
public:
    // A paste chord, or none for Return.
    using Posted = std::optional<PasteChord>;

    void postPaste(PasteChord chord, Done done) override { post(chord, std::move(done)); }
    void postReturn(Done done) override { post(std::nullopt, std::move(done)); }

    void answerPending(bool posted)
    {
        auto pending = std::move(pending_);
        pending_.clear();
        for (auto &done : pending)
            done(posted);
    }

    std::vector<Posted> posted;
    bool succeed = true;
    bool holdAnswers = false;

private:
    void post(Posted what, Done done)
    {
        posted.push_back(what);
        if (holdAnswers)
            pending_.push_back(std::move(done));
        else if (done)
            done(succeed);
    }

    std::vector<Done> pending_;
};

} // namespace quillo
