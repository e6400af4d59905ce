#pragma once

#include "platform/DefaultsStore.h"

#include <QFileSystemWatcher>
#include <QSettings>

#include <memory>

namespace quillo {

// The defaults store as one INI file per domain: <directory>/<domain>.conf.
// The file is private to the user (mode 0600: the history holds what the user
// dictated) and every write reaches the disk at once, atomically (write and
// rename), so a crash loses nothing and never leaves half a file.
class QSettingsDefaultsStore final : public DefaultsStore {
public:
    QSettingsDefaultsStore(const QString &directory, const QString &domain);
    ~QSettingsDefaultsStore() override;

    // $XDG_CONFIG_HOME, else ~/.config.
    static QString standardDirectory();

    std::optional<QVariant> value(const QString &key) const override;
    bool contains(const QString &key) const override;
    void setValue(const QString &key, const QVariant &value) override;
    void remove(const QString &key) override;
    void registerDefaults(const QVariantMap &defaults) override;
    std::optional<QVariantMap> persistentDomain(const QString &name) const override;
    // Watches the file: another program (quillo --import-env, an editor) may change it.
    void setExternalChangeHandler(std::function<void()> handler) override;

    QString filePath() const { return path_; }
    // Where the file found damaged at start was kept (its notice went to standard error);
    // empty when it was fine.
    QString damagedCopy() const { return damagedCopy_; }
    // Whether the last write could not be saved (full disk, read-only file). The
    // values stay in memory and go to the disk with the next write that succeeds.
    bool lastWriteFailed() const { return lastWriteFailed_; }
    // handler gets one line for the user when a write fails after one that
    // succeeded: once per streak of failures, not once per change. By default
    // the line goes to standard error.
    void setWriteFailureHandler(std::function<void(const QString &notice)> handler);
    // handler hears every change of lastWriteFailed(): true when a write fails after
    // one that succeeded, false when one succeeds again.
    void setWriteStateHandler(std::function<void(bool failed)> handler);

private:
    QString pathOf(const QString &domain) const;
    void commit();
    void reloadFromDisk();
    void watchFile();

    QString directory_;
    QString path_;
    QString damagedCopy_;
    std::unique_ptr<QSettings> settings_;
    QVariantMap registered_;
    bool lastWriteFailed_ = false;
    std::function<void(const QString &)> onWriteFailure_;
    std::function<void(bool)> onWriteState_;
    std::function<void()> onExternalChange_;
    std::unique_ptr<QFileSystemWatcher> watcher_;
    bool reloadQueued_ = false;
};

} // namespace quillo
