quillo_add_sources(quillo_platform_fake
  FakePasteboard.h FakeKeystrokePoster.h FakeFrontmostApp.h FakePermissions.h)
