if(NOT TARGET PkgConfig::SOXR)
  pkg_check_modules(SOXR REQUIRED IMPORTED_TARGET soxr)
endif()
if(NOT TARGET PkgConfig::SNDFILE)
  pkg_check_modules(SNDFILE REQUIRED IMPORTED_TARGET sndfile)
endif()
quillo_add_sources(quillo_audio
  AudioRecorderError.h AudioRecorderError.cpp
  AudioLevel.h AudioLevel.cpp
  PCM16Converter.h PCM16Converter.cpp
  AudioFile.h AudioFile.cpp
  AudioRecorder.h AudioRecorder.cpp)
target_link_libraries(quillo_audio PUBLIC Qt6::Core PRIVATE PkgConfig::SOXR PkgConfig::SNDFILE)
