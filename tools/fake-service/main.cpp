#include "FakeCloudService.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>

#include <cstdio>

using quillo::fake::FakeCloudService;
using quillo::fake::FakeScenario;

namespace {

bool writeRecord(const QString &path, const QJsonObject &record)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QJsonDocument(record).toJson(QJsonDocument::Indented));
    return file.commit();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillo-fake-service"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral(
            "Local stand-in for the cloud service (realtime recognition WebSocket and chat completions) over TLS "
            "on 127.0.0.1. Prints \"listening 127.0.0.1:PORT\" once ready.\n\n")
        + quillo::fake::scenarioHelp());
    parser.addHelpOption();
    const QCommandLineOption certOption(
        QStringLiteral("cert"), QStringLiteral("PEM certificate chain."), QStringLiteral("file"));
    const QCommandLineOption keyFileOption(
        QStringLiteral("cert-key"), QStringLiteral("PEM RSA key of the certificate."), QStringLiteral("file"));
    const QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("Port (default: any free one)."),
        QStringLiteral("port"), QStringLiteral("0"));
    const QCommandLineOption apiKeyOption(QStringLiteral("key"),
        QStringLiteral("Expected API key (default \"test-key\"; overrides the scenario's)."), QStringLiteral("key"));
    const QCommandLineOption scenarioOption(
        QStringLiteral("scenario"), QStringLiteral("Scenario JSON file."), QStringLiteral("file"));
    const QCommandLineOption recordOption(QStringLiteral("record"),
        QStringLiteral("Write everything received (as GET /_fake/received gives it) to this file, kept current."),
        QStringLiteral("file"));
    parser.addOptions({certOption, keyFileOption, portOption, apiKeyOption, scenarioOption, recordOption});
    parser.process(app);

    if (!parser.isSet(certOption) || !parser.isSet(keyFileOption)) {
        std::fprintf(stderr, "--cert and --cert-key are required (tools/fake-service/make-test-cert makes them)\n");
        return 2;
    }
    FakeScenario scenario;
    if (parser.isSet(scenarioOption)) {
        QFile file(parser.value(scenarioOption));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(file.fileName()));
            return 2;
        }
        QJsonParseError parseError{};
        const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
        QString error = parseError.error == QJsonParseError::NoError ? QString() : parseError.errorString();
        const auto parsed = error.isEmpty() ? FakeScenario::fromJson(document.object(), &error) : std::nullopt;
        if (!parsed) {
            std::fprintf(stderr, "bad scenario: %s\n", qPrintable(error));
            return 2;
        }
        scenario = *parsed;
    }
    if (parser.isSet(apiKeyOption))
        scenario.apiKey = parser.value(apiKeyOption);

    FakeCloudService service;
    service.setScenario(scenario);
    if (parser.isSet(recordOption)) {
        const QString path = parser.value(recordOption);
        service.onRecorded = [&service, path] { writeRecord(path, service.received()); };
    }
    QString error;
    if (!service.start(parser.value(certOption), parser.value(keyFileOption),
            static_cast<quint16>(parser.value(portOption).toUInt()), &error)) {
        std::fprintf(stderr, "cannot start: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("listening %s\n", qPrintable(service.host()));
    std::fflush(stdout);
    return QCoreApplication::exec();
}
