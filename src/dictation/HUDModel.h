#pragma once

#include "dictation/DictationPhase.h"
#include "settings/TargetLanguage.h"

#include <QList>
#include <QObject>
#include <QString>

#include <optional>

namespace quillo {

// What the recording panel draws. The controller is the only writer; the panel
// repaints whenever a field is assigned (its own signal, and `changed`).
class HUDModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(quillo::DictationPhase phase READ phase WRITE setPhase NOTIFY phaseChanged)
    Q_PROPERTY(quillo::RecordingMode mode READ mode WRITE setMode NOTIFY modeChanged)
    Q_PROPERTY(QList<float> levels READ levels NOTIFY levelsChanged)
    Q_PROPERTY(QString partial READ partial WRITE setPartial NOTIFY partialChanged)
    Q_PROPERTY(double elapsed READ elapsed WRITE setElapsed NOTIFY elapsedChanged)
    Q_PROPERTY(QString holdKeyName READ holdKeyName WRITE setHoldKeyName NOTIFY holdKeyNameChanged)
    Q_PROPERTY(QString toggleKeyName READ toggleKeyName WRITE setToggleKeyName NOTIFY toggleKeyNameChanged)
    Q_PROPERTY(QString translateKeyName READ translateKeyName WRITE setTranslateKeyName NOTIFY translateKeyNameChanged)

public:
    static constexpr int levelCount = 24;

    explicit HUDModel(QObject *parent = nullptr);

    DictationPhase phase() const { return phase_; }
    RecordingMode mode() const { return mode_; }
    // Exactly `levelCount` values, oldest first.
    const QList<float> &levels() const { return levels_; }
    const QString &partial() const { return partial_; }
    double elapsed() const { return elapsed_; }
    const QString &holdKeyName() const { return holdKeyName_; }
    const QString &toggleKeyName() const { return toggleKeyName_; }
    std::optional<TargetLanguage> translation() const { return translation_; }
    const QString &translateKeyName() const { return translateKeyName_; }

    void setPhase(const DictationPhase &phase);
    void setMode(RecordingMode mode);
    void setPartial(const QString &partial);
    void setElapsed(double seconds);
    void setHoldKeyName(const QString &name);
    void setToggleKeyName(const QString &name);
    void setTranslation(std::optional<TargetLanguage> translation);
    void setTranslateKeyName(const QString &name);

    // Drops the oldest level and appends this one, unscaled.
    void pushLevel(float level);
    // Clears what belongs to one dictation; phase, mode and key names stay.
    void reset();

signals:
    void phaseChanged();
    void modeChanged();
    void levelsChanged();
    void partialChanged();
    void elapsedChanged();
    void holdKeyNameChanged();
    void toggleKeyNameChanged();
    void translationChanged();
    void translateKeyNameChanged();
    // Any field was assigned.
    void changed();

private:
    DictationPhase phase_;
    RecordingMode mode_ = RecordingMode::hold;
    QList<float> levels_;
    QString partial_;
    double elapsed_ = 0;
    QString holdKeyName_;
    QString toggleKeyName_;
    std::optional<TargetLanguage> translation_;
    QString translateKeyName_;
};

} // namespace quillo
