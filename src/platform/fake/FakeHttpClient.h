#pragma once

#include "platform/HttpClient.h"

#include <vector>

namespace quillo {

// Records requests; the test answers them in any order with respond() or fail().
class FakeHttpClient final : public HttpClient {
public:
    void post(const HttpRequest &request, std::function<void(HttpResult)> done) override;
    void prewarm(const QUrl &url) override { prewarmed_.push_back(url); }

    // Every URL prewarm() was asked for, in order.
    const std::vector<QUrl> &prewarmed() const { return prewarmed_; }

    std::size_t requestCount() const { return requests_.size(); }
    const HttpRequest &request(std::size_t i) const { return requests_.at(i).request; }
    bool isPending(std::size_t i) const { return static_cast<bool>(requests_.at(i).done); }

    void respond(std::size_t i, int status, const QByteArray &body);
    void fail(std::size_t i, HttpFailure failure);

private:
    struct Pending {
        HttpRequest request;
        std::function<void(HttpResult)> done;
    };
    void complete(std::size_t i, HttpResult result);

    std::vector<Pending> requests_;
    std::vector<QUrl> prewarmed_;
};

} // namespace quillo
