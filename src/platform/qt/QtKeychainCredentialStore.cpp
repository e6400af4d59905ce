#include "platform/qt/QtKeychainCredentialStore.h"

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

} // namespace

QtKeychainCredentialStore::QtKeychainCredentialStore(QObject *parent)
    : QObject(parent)
{
}

void QtKeychainCredentialStore::read(const QString &service, const QString &account, ReadDone done)
{
    auto *job = makeJob<QKeychain::ReadPasswordJob>(service, account);
    connect(job, &QKeychain::Job::finished, this, [done = std::move(done)](QKeychain::Job *finished) {
        const auto *readJob = static_cast<QKeychain::ReadPasswordJob *>(finished);
        if (finished->error() == QKeychain::EntryNotFound)
            return done(std::optional<QByteArray>{});
        if (finished->error() != QKeychain::NoError)
            return done(unexpected(errorOf(*finished)));
        done(std::optional<QByteArray>{readJob->binaryData()});
    });
    job->start();
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
