#pragma once

#include "FakeCloudService.h"
#include "platform/qt/QtScheduler.h"

#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>

namespace quillo::testing {

// Certificates made once per test run: `trusted` is signed by the CA the clients are
// told about through QUILLO_EXTRA_CA_CERTS, `stranger` by a CA they never heard of.
struct TestCertificates {
    QTemporaryDir trusted;
    QTemporaryDir stranger;
    static const TestCertificates &get();
};

// A fake service on loopback with a real event loop and the real Qt adapters.
class CloudTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    bool startService(fake::FakeCloudService &service, const QTemporaryDir &certificates);
    void setScenario(const QByteArray &json);
    // Runs the event loop until done() holds or the bound passes; false on time-out.
    static bool waitFor(const std::function<bool()> &done, std::chrono::milliseconds bound = std::chrono::seconds(10));

    QJsonObject received() const { return service_->received(); }

    std::unique_ptr<QtScheduler> scheduler_;
    std::unique_ptr<fake::FakeCloudService> service_;
};

} // namespace quillo::testing
