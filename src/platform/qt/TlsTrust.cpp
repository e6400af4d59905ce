#include "platform/qt/TlsTrust.h"

#include <QFile>
#include <QSslCertificate>

namespace quillo {

QSslConfiguration cloudSslConfiguration()
{
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setPeerVerifyMode(QSslSocket::VerifyPeer);
    const QString extra = qEnvironmentVariable("QUILLO_EXTRA_CA_CERTS");
    if (extra.isEmpty())
        return configuration;
    QFile file(extra);
    if (!file.open(QIODevice::ReadOnly))
        return configuration;
    const QList<QSslCertificate> roots = QSslCertificate::fromData(file.readAll(), QSsl::Pem);
    configuration.addCaCertificates(roots);
    return configuration;
}

} // namespace quillo
