quillo_add_sources(quillo_dictation
  DictationPhase.h
  HUDModel.h HUDModel.cpp
  DictationPorts.h
  DictationRules.h DictationRules.cpp
  DictationTexts.h
  PcmFilePlayer.h PcmFilePlayer.cpp
  RefinementFlow.h RefinementFlow.cpp
  HotkeyBinding.h HotkeyBinding.cpp
  DictationInput.h DictationInput.cpp
  PendingStart.h PendingStart.cpp
  FailedAudioPolicy.h FailedAudioPolicy.cpp
  RecordingStream.h RecordingStream.cpp
  TranscriptPipeline.h TranscriptPipeline.cpp
  DictationController.h DictationController.cpp)
target_link_libraries(quillo_dictation PUBLIC Qt6::Core quillo_settings quillo_hotkeys quillo_audio quillo_recognition
  quillo_refinement)
quillo_add_sources(quillo_dictation
  FailedRecording.h
  FailedRecordingStore.h FailedRecordingStore.cpp
  FileTasks.h
  FileWorker.h FileWorker.cpp
  RecordingFiles.h RecordingFiles.cpp
  RecordingJournal.h RecordingJournal.cpp
  KeptAudioFeed.h KeptAudioFeed.cpp)
