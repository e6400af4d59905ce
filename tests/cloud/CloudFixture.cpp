#include "CloudFixture.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonDocument>
#include <QProcess>
#include <QTimer>

namespace quillo::testing {

namespace {

QCoreApplication &application()
{
    static int argc = 1;
    static char name[] = "test_cloud";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

void makeCertificates(const QTemporaryDir &dir)
{
    QProcess process;
    process.start(QStringLiteral(QUILLO_MAKE_TEST_CERT), {dir.path()});
    ASSERT_TRUE(process.waitForFinished(30000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
}

} // namespace

const TestCertificates &TestCertificates::get()
{
    static const TestCertificates certificates = [] {
        TestCertificates made;
        makeCertificates(made.trusted);
        makeCertificates(made.stranger);
        qputenv("QUILLO_EXTRA_CA_CERTS", (made.trusted.path() + QStringLiteral("/ca.pem")).toUtf8());
        return made;
    }();
    return certificates;
}

void CloudTest::SetUp()
{
    application();
    const auto &certificates = TestCertificates::get();
    scheduler_ = std::make_unique<QtScheduler>();
    service_ = std::make_unique<fake::FakeCloudService>();
    ASSERT_TRUE(startService(*service_, certificates.trusted));
}

void CloudTest::TearDown()
{
    service_.reset();
    scheduler_.reset();
    // Sockets are deleted later, never inside their own signals: let that happen now.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool CloudTest::startService(fake::FakeCloudService &service, const QTemporaryDir &certificates)
{
    QString error;
    const bool started
        = service.start(certificates.filePath("server.pem"), certificates.filePath("server.key"), 0, &error);
    EXPECT_TRUE(started) << error.toStdString();
    return started;
}

void CloudTest::setScenario(const QByteArray &json)
{
    QString error;
    const auto scenario = fake::FakeScenario::fromJson(QJsonDocument::fromJson(json).object(), &error);
    ASSERT_TRUE(scenario) << error.toStdString();
    service_->setScenario(*scenario);
}

bool CloudTest::waitFor(const std::function<bool()> &done, std::chrono::milliseconds bound)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    poll.start(std::chrono::milliseconds(2));
    QTimer::singleShot(bound, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

} // namespace quillo::testing

// WORKAROUND: OpenSSL keeps per-thread error state of Qt's network threads until process
// exit, which LeakSanitizer reports after a failed TLS handshake. Not our allocation.
extern "C" __attribute__((used)) const char *__lsan_default_suppressions()
{
    return "leak:libcrypto.so\n";
}
