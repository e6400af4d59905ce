#include "platform/qt/QtMicrophoneProbe.h"

#include <QAudioDevice>
#include <QMediaDevices>

namespace quillo {

bool QtMicrophoneProbe::hasInput() const
{
    return !QMediaDevices::audioInputs().isEmpty();
}

} // namespace quillo
