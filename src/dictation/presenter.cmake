# The controller's start gate, audio feeds and result presenter.
quillo_add_sources(quillo_dictation
  StartGate.h StartGate.cpp
  AudioFeed.h AudioFeed.cpp
  ResultPresenter.h ResultPresenter.cpp)
