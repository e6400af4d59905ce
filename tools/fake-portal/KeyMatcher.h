#pragma once

#include "KeyBinding.h"
#include "Profile.h"

#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>

namespace quillo::fakeportal {

struct KeyTarget {
    QString session; // empty: the key is taken, but nothing receives it
    QString id;
    KeyBinding binding;
};

// Keys pressed and released on the desktop's keyboard, matched against the
// bound shortcuts the way the desktop's compositor matches them.
class KeyMatcher {
public:
    using Targets = std::function<QList<KeyTarget>()>;
    using Deliver = std::function<void(const KeyTarget &target, bool activated)>;

    KeyMatcher(Targets targets, Deliver deliver);

    void setMatching(KeyMatching matching);
    // Autorepeat of a held key; a delay of 0 turns it off.
    void setRepeat(int delayMs, int intervalMs);
    // Empty, or why the key cannot go down (or up).
    QString press(const Keysym &key);
    QString release(const Keysym &key);
    // Every key up, without any signal.
    void reset();

private:
    void repeatKey();
    void pressDocumented(const Keysym &key, std::uint32_t before);
    void releaseDocumented(const Keysym &key);
    int kwinKey(const Keysym &key) const;
    void kwinProcess(int keyQt);
    void kwinReleaseLast();
    void pressKwin6(const Keysym &key);
    void releaseKwin6(const Keysym &key);
    void mutterEvent(const Keysym &key, std::uint32_t mask, bool press);
    QList<KeyTarget> boundTo(const Keysym &key, std::uint32_t mask) const;
    void deliverAll(const QList<KeyTarget> &targets, bool activated);
    std::uint32_t heldModifiers() const;

    Targets targets_;
    Deliver deliver_;
    KeyMatching matching_ = KeyMatching::documented;
    QList<Keysym> held_;
    QMap<std::uint32_t, QList<KeyTarget>> active_; // documented: a key's activations
    int lastKwinKey_ = 0; // kglobalaccel's last shortcut
    enum class ModifierOnly { no, pressing, releasing } kwinState_ = ModifierOnly::no;
    int kwinModifiers_ = 0;
    int modifierOnly_ = 0;
    QSet<QString> releasePending_; // mutter: grabs whose release is handled
    QTimer repeat_;
    std::optional<Keysym> repeating_;
    int repeatDelay_ = 0;
    int repeatInterval_ = 0;
};

} // namespace quillo::fakeportal
