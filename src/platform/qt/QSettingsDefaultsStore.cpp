#include "platform/qt/QSettingsDefaultsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringDecoder>

#include <cstdio>

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

// A new QSettings on path holding exactly what current holds, written out.
std::unique_ptr<QSettings> freshCopy(const QSettings &current, const QString &path)
{
    auto fresh = std::make_unique<QSettings>(path, QSettings::IniFormat);
    const QStringList keys = current.allKeys();
    const QStringList onDisk = fresh->allKeys();
    for (const QString &key : onDisk) {
        if (!keys.contains(key))
            fresh->remove(key);
    }
    for (const QString &key : keys) {
        if (!key.isEmpty())
            fresh->setValue(key, current.value(key));
    }
    fresh->sync();
    return fresh;
}

// QSettings reads almost anything without an error and drops what it cannot
// parse at the next save. A file it never writes (stray NULs, bytes that are not
// UTF-8, or no key at all in a non-empty file) is taken as damaged.
bool looksDamaged(const QString &path, QSettings &settings)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (bytes.trimmed().isEmpty())
        return false;
    if (settings.status() == QSettings::FormatError || settings.allKeys().isEmpty() || bytes.contains('\0'))
        return true;
    QStringDecoder utf8(QStringDecoder::Utf8);
    [[maybe_unused]] const QString text = utf8(bytes);
    return utf8.hasError();
}

// Keeps the bytes of a file QSettings cannot parse beside it, under a name not
// yet taken, before the next save replaces them.
QString setAsideUnreadable(const QString &path)
{
    QString aside = path + QStringLiteral(".unreadable");
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = path + QStringLiteral(".unreadable") + QString::number(n);
    if (!QFile::copy(path, aside))
        return {};
    QFile::setPermissions(aside, privateFile);
    return aside;
}

void printNotice(const QString &notice)
{
    std::fprintf(stderr, "quillo: %s\n", notice.toLocal8Bit().constData());
}

} // namespace

QSettingsDefaultsStore::QSettingsDefaultsStore(const QString &directory, const QString &domain)
    : directory_(directory)
    , onWriteFailure_(printNotice)
{
    QDir().mkpath(directory_);
    path_ = pathOf(domain);
    preparePrivateFile(path_);
    settings_ = std::make_unique<QSettings>(path_, QSettings::IniFormat);
    if (looksDamaged(path_, *settings_)) {
        // Start over from what could be read; the damaged file stays beside it.
        const QString aside = setAsideUnreadable(path_);
        if (aside.isEmpty())
            return; // no room for a copy: go on with what could be read
        damagedCopy_ = aside;
        printNotice(QCoreApplication::translate("App", "设置文件 %1 已损坏，原文件已另存为 %2，可读的设置已保留")
                        .arg(QDir::toNativeSeparators(path_), QDir::toNativeSeparators(aside)));
        const auto damaged = std::move(settings_);
        QFile::remove(path_);
        preparePrivateFile(path_);
        settings_ = freshCopy(*damaged, path_);
    }
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
    // QSettings keeps its first error for the rest of its life: after one failed
    // write, a fresh object holding the same values tells whether this one landed.
    if (settings_->status() != QSettings::NoError)
        settings_ = freshCopy(*settings_, path_);
    const bool failed = settings_->status() != QSettings::NoError;
    if (failed && !lastWriteFailed_)
        onWriteFailure_(QCoreApplication::translate(
            "App", "无法保存设置到 %1（磁盘已满或只读），本次运行中的更改暂存在内存中，恢复写入后会自动保存")
                            .arg(QDir::toNativeSeparators(path_)));
    const bool changed = failed != lastWriteFailed_;
    lastWriteFailed_ = failed;
    if (changed && onWriteState_)
        onWriteState_(failed);
}

void QSettingsDefaultsStore::setWriteStateHandler(std::function<void(bool failed)> handler)
{
    onWriteState_ = std::move(handler);
}

void QSettingsDefaultsStore::setWriteFailureHandler(std::function<void(const QString &notice)> handler)
{
    onWriteFailure_ = handler ? std::move(handler) : printNotice;
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
