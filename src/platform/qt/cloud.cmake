quillo_add_sources(quillo_platform_qt
  TlsTrust.h TlsTrust.cpp
  QtWebSocket.h QtWebSocket.cpp
  QtHttpClient.h QtHttpClient.cpp)
target_link_libraries(quillo_platform_qt PUBLIC Qt6::Network Qt6::WebSockets)
