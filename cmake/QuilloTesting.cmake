find_package(GTest REQUIRED)
include(GoogleTest)
set(QUILLO_TEST_SUPPORT ${PROJECT_SOURCE_DIR}/tests/support)

# quillo_add_test(NAME name SOURCES ... LIBS ... [LABELS unit|integration|x11 ...]
#                 [LAUNCHER cmd ...] [TIMEOUT seconds] [ENVIRONMENT VAR=value ...])
# One executable per area. With a LAUNCHER (a wrapper script that starts Xvfb,
# PulseAudio or a keyring) the executable is registered as one CTest test run
# through it; otherwise every GoogleTest case is discovered as its own test.
function(quillo_add_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS;LAUNCHER;ENVIRONMENT" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  quillo_warnings(${T_NAME})
  if(NOT T_LABELS)
    set(T_LABELS unit)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  list(LENGTH T_LABELS _label_count)
  # Discovery (CMake 3.25) flattens its property list, so a second label would be read
  # as a property name: tests with several labels run as one CTest test too.
  if(T_LAUNCHER OR _label_count GREATER 1)
    add_test(NAME ${T_NAME} COMMAND ${T_LAUNCHER} $<TARGET_FILE:${T_NAME}>)
    set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}" TIMEOUT ${T_TIMEOUT})
    if(T_ENVIRONMENT)
      set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${T_ENVIRONMENT}")
    endif()
  else()
    gtest_discover_tests(${T_NAME}
      PROPERTIES LABELS "${T_LABELS}" TIMEOUT ${T_TIMEOUT} ENVIRONMENT "${T_ENVIRONMENT}"
      DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
