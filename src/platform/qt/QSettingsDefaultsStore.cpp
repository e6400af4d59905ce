#include "platform/qt/QSettingsDefaultsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace quillo {

namespace {

constexpr QFileDevice::Permissions privateFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Creates the file empty and private before QSettings first writes it: the
// atomic save keeps the permissions of the file it replaces.
void preparePrivateFile(const QString &path)
{
    QFile file(path);
    if (!file.exists()) {
        file.open(QIODevice::WriteOnly | QIODevice::NewOnly, privateFile);
        return;
    }
    if (file.permissions() != privateFile)
        file.setPermissions(privateFile);
}

} // namespace

QSettingsDefaultsStore::QSettingsDefaultsStore(const QString &directory, const QString &domain)
    : directory_(directory)
{
    QDir().mkpath(directory_);
    path_ = pathOf(domain);
    preparePrivateFile(path_);
    settings_ = std::make_unique<QSettings>(path_, QSettings::IniFormat);
}

QSettingsDefaultsStore::~QSettingsDefaultsStore() = default;

QString QSettingsDefaultsStore::standardDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

QString QSettingsDefaultsStore::pathOf(const QString &domain) const
{
    return QDir(directory_).filePath(domain + QStringLiteral(".conf"));
}

std::optional<QVariant> QSettingsDefaultsStore::value(const QString &key) const
{
    if (settings_->contains(key))
        return settings_->value(key);
    if (const auto it = registered_.constFind(key); it != registered_.constEnd())
        return *it;
    return std::nullopt;
}

bool QSettingsDefaultsStore::contains(const QString &key) const
{
    return settings_->contains(key);
}

void QSettingsDefaultsStore::setValue(const QString &key, const QVariant &value)
{
    settings_->setValue(key, value);
    commit();
}

void QSettingsDefaultsStore::remove(const QString &key)
{
    settings_->remove(key);
    commit();
}

void QSettingsDefaultsStore::commit()
{
    preparePrivateFile(path_);
    settings_->sync();
    lastWriteFailed_ = settings_->status() != QSettings::NoError;
}

void QSettingsDefaultsStore::setExternalChangeHandler(std::function<void()> handler)
{
    onExternalChange_ = std::move(handler);
    if (!onExternalChange_) {
        watcher_.reset();
        return;
    }
    if (watcher_)
        return;
    watcher_ = std::make_unique<QFileSystemWatcher>();
    // Saves replace the file (write and rename), which ends a watch on the old one:
    // the folder's changes say when the name points at a new file.
    QObject::connect(watcher_.get(), &QFileSystemWatcher::fileChanged, watcher_.get(), [this] { reloadFromDisk(); });
    QObject::connect(
        watcher_.get(), &QFileSystemWatcher::directoryChanged, watcher_.get(), [this] { reloadFromDisk(); });
    watcher_->addPath(directory_);
    watchFile();
}

void QSettingsDefaultsStore::watchFile()
{
    if (watcher_ && QFileInfo::exists(path_) && !watcher_->files().contains(path_))
        watcher_->addPath(path_);
}

void QSettingsDefaultsStore::reloadFromDisk()
{
    // A burst of events (a save is a write and a rename) is read once, after it.
    if (reloadQueued_)
        return;
    reloadQueued_ = true;
    QMetaObject::invokeMethod(
        watcher_.get(),
        [this] {
            reloadQueued_ = false;
            watchFile();
            settings_->sync(); // nothing of ours is pending: this only reads the file again
            if (onExternalChange_)
                onExternalChange_();
        },
        Qt::QueuedConnection);
}

void QSettingsDefaultsStore::registerDefaults(const QVariantMap &defaults)
{
    for (auto it = defaults.constBegin(); it != defaults.constEnd(); ++it)
        registered_.insert(it.key(), it.value());
}

std::optional<QVariantMap> QSettingsDefaultsStore::persistentDomain(const QString &name) const
{
    // A name with a separator would read a file outside our directory.
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.startsWith(QLatin1Char('.')))
        return std::nullopt;
    const QString path = pathOf(name);
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    const QSettings other(path, QSettings::IniFormat);
    if (other.status() != QSettings::NoError)
        return std::nullopt;
    QVariantMap pairs;
    const QStringList keys = other.allKeys();
    for (const QString &key : keys)
        pairs.insert(key, other.value(key));
    return pairs;
}

} // namespace quillo
