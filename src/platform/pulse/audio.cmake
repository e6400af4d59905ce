# Microphone capture with a sound-server connection of its own per recording.
if(NOT TARGET PkgConfig::PULSE)
  pkg_check_modules(PULSE REQUIRED IMPORTED_TARGET libpulse)
endif()
quillo_add_sources(quillo_platform_pulse
  PulseConnection.h PulseConnection.cpp
  PulseAudioInput.h PulseAudioInput.cpp
  PulseMicrophoneCheck.h PulseMicrophoneCheck.cpp)
target_link_libraries(quillo_platform_pulse PUBLIC Qt6::Core PRIVATE PkgConfig::PULSE)
