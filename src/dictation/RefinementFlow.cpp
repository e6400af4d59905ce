#include "dictation/RefinementFlow.h"

#include "refinement/Prompts.h"
#include "refinement/TextRules.h"

#include <memory>

namespace quillo::refinementFlow {

namespace {

const QString translationFailedPrefix = QStringLiteral("翻译失败，已输入原文：");

ChatRequest chatRequest(const RefinementRequest &request, Conversation messages, double temperature)
{
    return ChatRequest{std::move(messages), request.apiKey, request.host, request.model, temperature};
}

// The state one translation carries from its first attempt to its second.
struct Translation {
    ChatFunction chat;
    RefinementRequest request;
    TargetLanguage target;
    Conversation messages;
    std::function<bool()> stillWanted;
    Completion done;
    QString remembered; // a non-empty output rejected by the first attempt
};

void attempt(std::shared_ptr<Translation> job, int number);

QString translationOutput(const QString &reply)
{
    QString out = cleanModelOutput(reply);
    out.remove(QLatin1Char('`'));
    return out;
}

void finishWith(const Translation &job, const QString &text, std::optional<QString> note)
{
    job.done(RefinementOutcome{text, std::move(note)});
}

// The model's output is kept when it at least reads as the target language.
void fallBack(const Translation &job, const QString &candidate, const QString &reason)
{
    if (!candidate.isEmpty() && looksLikeLanguage(candidate, job.target)) {
        finishWith(job, formatTranslation(candidate, job.target, job.request.style), reason);
        return;
    }
    finishWith(job, job.request.transcript, translationFailedPrefix + reason);
}

void onReply(std::shared_ptr<Translation> job, int number, const QString &reply)
{
    const QString out = translationOutput(reply);
    const std::optional<QString> reason = checkTranslation(job->request.transcript, out, job->target);
    if (!reason) {
        finishWith(*job, formatTranslation(out, job->target, job->request.style), std::nullopt);
        return;
    }
    if (number == 1) {
        job->remembered = out;
        attempt(std::move(job), 2);
        return;
    }
    fallBack(*job, out, *reason);
}

void onError(std::shared_ptr<Translation> job, int number, const PolishError &error)
{
    if (number == 1) {
        attempt(std::move(job), 2);
        return;
    }
    fallBack(*job, job->remembered, error.description());
}

void attempt(std::shared_ptr<Translation> job, int number)
{
    if (number > 1 && job->stillWanted && !job->stillWanted())
        return;
    const double temperature = number == 1 ? firstTranslationTemperature : secondTranslationTemperature;
    const ChatRequest request = chatRequest(job->request, job->messages, temperature);
    job->chat(request, [job, number](ChatResult result) mutable {
        if (result)
            onReply(std::move(job), number, result.value());
        else
            onError(std::move(job), number, result.error());
    });
}

} // namespace

void polish(const ChatFunction &chat, const RefinementRequest &request, Completion done)
{
    const Conversation messages = polishMessages(request.transcript, request.style, request.vocabulary);
    const QString transcript = request.transcript;
    chat(chatRequest(request, messages, polishTemperature), [transcript, done = std::move(done)](ChatResult result) {
        if (!result) {
            done(RefinementOutcome{transcript, result.error().description()});
            return;
        }
        const QString out = cleanModelOutput(result.value());
        if (const std::optional<QString> reason = checkPolish(transcript, out)) {
            done(RefinementOutcome{transcript, *reason});
            return;
        }
        done(RefinementOutcome{out, std::nullopt});
    });
}

void translate(const ChatFunction &chat, const RefinementRequest &request, TargetLanguage target,
    std::function<bool()> stillWanted, Completion done)
{
    auto job = std::make_shared<Translation>(Translation{chat, request, target,
        translationMessages(request.transcript, target, request.style, request.vocabulary), std::move(stillWanted),
        std::move(done), {}});
    attempt(std::move(job), 1);
}

} // namespace quillo::refinementFlow
