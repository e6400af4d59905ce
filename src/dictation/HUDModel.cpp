#include "dictation/HUDModel.h"

#include "hotkeys/KeyNames.h"

namespace quillo {

HUDModel::HUDModel(QObject *parent)
    : QObject(parent)
    , levels_(levelCount, 0.0f)
    // The names of the default hotkeys and trigger until the settings are bound; named
    // here, not once at start-up, so they come out in the interface language.
    , holdKeyName_(keyNames::name(defaultHoldHotkey))
    , toggleKeyName_(keyNames::name(defaultToggleHotkey))
    , translateKeyName_(keyNames::modifierName(modifierFlag::shift))
{
}

void HUDModel::setPhase(const DictationPhase &phase)
{
    phase_ = phase;
    emit phaseChanged();
    emit changed();
}

void HUDModel::setMode(RecordingMode mode)
{
    mode_ = mode;
    emit modeChanged();
    emit changed();
}

void HUDModel::setPartial(const QString &partial)
{
    partial_ = partial;
    emit partialChanged();
    emit changed();
}

void HUDModel::setElapsed(double seconds)
{
    elapsed_ = seconds;
    emit elapsedChanged();
    emit changed();
}

void HUDModel::setHoldKeyName(const QString &name)
{
    holdKeyName_ = name;
    emit holdKeyNameChanged();
    emit changed();
}

void HUDModel::setToggleKeyName(const QString &name)
{
    toggleKeyName_ = name;
    emit toggleKeyNameChanged();
    emit changed();
}

void HUDModel::setTranslation(std::optional<TargetLanguage> translation)
{
    translation_ = translation;
    emit translationChanged();
    emit changed();
}

void HUDModel::setTranslateKeyName(const QString &name)
{
    translateKeyName_ = name;
    emit translateKeyNameChanged();
    emit changed();
}

void HUDModel::pushLevel(float level)
{
    levels_.removeFirst();
    levels_.append(level);
    emit levelsChanged();
    emit changed();
}

void HUDModel::reset()
{
    levels_ = QList<float>(levelCount, 0.0f);
    partial_.clear();
    elapsed_ = 0;
    translation_.reset();
    emit levelsChanged();
    emit partialChanged();
    emit elapsedChanged();
    emit translationChanged();
    emit changed();
}

} // namespace quillo
