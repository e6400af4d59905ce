# The dictation controller's start gate, audio feeds, take and result presenter.
quillo_add_sources(quillo_dictation
  StartGate.h StartGate.cpp
  AudioFeed.h AudioFeed.cpp
  ResultPresenter.h ResultPresenter.cpp)
quillo_add_sources(quillo_dictation DictationTake.h DictationTake.cpp)
