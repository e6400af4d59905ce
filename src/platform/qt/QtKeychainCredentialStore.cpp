#include "platform/qt/QtKeychainCredentialStore.h"

#include "platform/qt/SecretServiceLockProbe.h"

#include <QCoreApplication>

#include <qt6keychain/keychain.h>

namespace quillo {

namespace {

CredentialError errorOf(const QKeychain::Job &job)
{
    using K = CredentialError::Kind;
    switch (job.error()) {
    case QKeychain::NoBackendAvailable:
    case QKeychain::NotImplemented:
        return {K::unavailable, job.errorString()};
    case QKeychain::AccessDenied:
    case QKeychain::AccessDeniedByUser:
        return {K::denied, job.errorString()};
    default:
        return {K::failed, job.errorString()};
    }
}

// The job has no parent and deletes itself once it has finished (autoDelete). QtKeychain's
// libsecret backend hands libsecret a plain pointer to the job, with no way to cancel the call:
// a job deleted before its answer (with its parent, or on our time-out) would be written to
// after it is gone. One that never answers is left behind, which costs a few bytes.
template <typename JobType> JobType *makeJob(const QString &service, const QString &account)
{
    auto *job = new JobType(service, nullptr);
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    job->setKey(account);
    return job;
}

bool kdeSessionVersionKnown()
{
    const QByteArray version = qgetenv("KDE_SESSION_VERSION");
    return version == "5" || version == "4";
}

bool kdeDesktop()
{
    const QByteArray current = qgetenv("XDG_CURRENT_DESKTOP");
    if (current == "KDE")
        return kdeSessionVersionKnown();
    if (current == "GNOME" || current == "Unity" || current == "XFCE")
        return false;
    const QByteArray session = qgetenv("DESKTOP_SESSION");
    if (session == "kde")
        return kdeSessionVersionKnown();
    if (session == "kde4")
        return true;
    if (session == "gnome" || session.contains("xfce") || session == "xubuntu")
        return false;
    if (!qEnvironmentVariableIsEmpty("GNOME_DESKTOP_SESSION_ID"))
        return false;
    return !qEnvironmentVariableIsEmpty("KDE_FULL_SESSION") && kdeSessionVersionKnown();
}

QString storeName(QtKeychainCredentialStore::Backend backend)
{
    if (backend == QtKeychainCredentialStore::Backend::kwallet)
        return QStringLiteral("KWallet");
    return QCoreApplication::translate("App", "系统钥匙串（Secret Service）");
}

QString advice(QtKeychainCredentialStore::Backend backend)
{
    if (backend == QtKeychainCredentialStore::Backend::kwallet)
        return QCoreApplication::translate("App", "请确认 KWallet 已在系统设置中启用、正在运行并已解锁，然后重试。");
    return QCoreApplication::translate("App", "请确认钥匙串服务（如 gnome-keyring）正在运行并已解锁，然后重试。");
}

} // namespace

// QtKeychain 0.13 looks for KWallet first on a KDE desktop and takes the Secret Service
// everywhere else; this follows its reading of the environment. On KDE it still takes the
// Secret Service when kwalletd does not answer its first call at all (not running): what is
// named here is the store the user is expected to have.
QtKeychainCredentialStore::Backend QtKeychainCredentialStore::backend()
{
    return kdeDesktop() ? Backend::kwallet : Backend::secretService;
}

QString QtKeychainCredentialStore::explain(const CredentialError &error)
{
    using K = CredentialError::Kind;
    const Backend store = backend();
    const QString name = storeName(store);
    switch (error.kind) {
    case K::timeout:
        return QCoreApplication::translate("App", "%1 没有响应。").arg(name) + advice(store);
    case K::denied:
        return QCoreApplication::translate("App", "%1 拒绝了访问（可能已锁定）。").arg(name) + advice(store);
    case K::locked:
        return QCoreApplication::translate("App", "%1 已锁定，其中保存的 API Key 暂时无法读取。").arg(name)
            + advice(store);
    case K::unavailable:
        return QCoreApplication::translate("App", "找不到 %1。").arg(name) + advice(store);
    case K::failed:
        break;
    }
    return QCoreApplication::translate("App", "%1 出错：%2。").arg(name, error.detail) + advice(store);
}

QtKeychainCredentialStore::QtKeychainCredentialStore(QObject *parent)
    : QObject(parent)
{
}

void QtKeychainCredentialStore::read(const QString &service, const QString &account, ReadDone done)
{
    auto *job = makeJob<QKeychain::ReadPasswordJob>(service, account);
    connect(job, &QKeychain::Job::finished, this, [this, service, account, done](QKeychain::Job *finished) {
        const auto *readJob = static_cast<QKeychain::ReadPasswordJob *>(finished);
        if (finished->error() == QKeychain::EntryNotFound)
            return readMissing(service, account, done);
        if (finished->error() != QKeychain::NoError)
            return done(unexpected(errorOf(*finished)));
        done(std::optional<QByteArray>{readJob->binaryData()});
    });
    job->start();
}

// A locked collection reads as "not found" once its unlock prompt goes unanswered.
void QtKeychainCredentialStore::readMissing(const QString &service, const QString &account, const ReadDone &done)
{
    if (backend() != Backend::secretService)
        return done(std::optional<QByteArray>{});
    SecretServiceLockProbe::hasLockedItem(service, account, this, [done](bool locked) {
        if (locked)
            return done(
                unexpected(CredentialError{CredentialError::Kind::locked, QStringLiteral("collection locked")}));
        done(std::optional<QByteArray>{});
    });
}

void QtKeychainCredentialStore::write(
    const QString &service, const QString &account, const QByteArray &secret, const QString &, WriteDone done)
{
    auto *job = makeJob<QKeychain::WritePasswordJob>(service, account);
    // Stored as text so other tools (secret-tool) read the same bytes back.
    job->setTextData(QString::fromUtf8(secret));
    connect(job, &QKeychain::Job::finished, this, [done = std::move(done)](QKeychain::Job *finished) {
        if (finished->error() != QKeychain::NoError)
            return done(unexpected(errorOf(*finished)));
        done(Done{});
    });
    job->start();
}

void QtKeychainCredentialStore::remove(const QString &service, const QString &account, WriteDone done)
{
    auto *job = makeJob<QKeychain::DeletePasswordJob>(service, account);
    connect(job, &QKeychain::Job::finished, this, [done = std::move(done)](QKeychain::Job *finished) {
        const auto error = finished->error();
        if (error != QKeychain::NoError && error != QKeychain::EntryNotFound)
            return done(unexpected(errorOf(*finished)));
        done(Done{});
    });
    job->start();
}

} // namespace quillo
