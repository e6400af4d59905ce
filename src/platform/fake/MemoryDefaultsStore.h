#pragma once

#include "platform/DefaultsStore.h"

#include <QMap>

namespace quillo {

// A defaults store held in memory, with other domains a test can plant.
class MemoryDefaultsStore final : public DefaultsStore {
public:
    std::optional<QVariant> value(const QString &key) const override;
    bool contains(const QString &key) const override { return stored_.contains(key); }
    void setValue(const QString &key, const QVariant &value) override;
    void remove(const QString &key) override { stored_.remove(key); }
    void registerDefaults(const QVariantMap &defaults) override;
    std::optional<QVariantMap> persistentDomain(const QString &name) const override;
    void setExternalChangeHandler(std::function<void()> handler) override { onExternalChange_ = std::move(handler); }

    // What another program writing the same store looks like.
    void writeExternally(const QString &key, const QVariant &value)
    {
        stored_.insert(key, value);
        if (onExternalChange_)
            onExternalChange_();
    }

    void setDomain(const QString &name, const QVariantMap &pairs) { domains_.insert(name, pairs); }
    const QVariantMap &stored() const { return stored_; }
    int writeCount() const { return writes_; }

private:
    QVariantMap stored_;
    QVariantMap registered_;
    QMap<QString, QVariantMap> domains_;
    int writes_ = 0;
    std::function<void()> onExternalChange_;
};

} // namespace quillo
