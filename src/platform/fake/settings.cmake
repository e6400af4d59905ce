quillo_add_sources(quillo_platform_fake
  MemoryDefaultsStore.h MemoryDefaultsStore.cpp
  MemoryCredentialStore.h MemoryCredentialStore.cpp
  FakeLoginItem.h FakeLoginItem.cpp)
