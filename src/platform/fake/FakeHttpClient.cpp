#include "platform/fake/FakeHttpClient.h"

namespace quillo {

void FakeHttpClient::post(const HttpRequest &request, std::function<void(HttpResult)> done)
{
    requests_.push_back({request, std::move(done)});
}

void FakeHttpClient::respond(std::size_t i, int status, const QByteArray &body)
{
    complete(i, HttpResponse{status, body});
}

void FakeHttpClient::fail(std::size_t i, HttpFailure failure)
{
    complete(i, unexpected(std::move(failure)));
}

void FakeHttpClient::complete(std::size_t i, HttpResult result)
{
    // Taken out first: a completion may post again and grow the list.
    auto done = std::exchange(requests_.at(i).done, nullptr);
    if (done)
        done(std::move(result));
}

} // namespace quillo
