# vex_add_tests(<name> SOURCES <files...> LIBS <targets...> [QT])
# Builds one GoogleTest executable and registers each of its tests with ctest.
# Every test runs with its own emulated prefix root under the build tree unless
# it makes its own, shell calls are logged but start nothing, and Qt tests run headless.
function(vex_add_tests name)
  cmake_parse_arguments(ARG "QT" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock)
  if(ARG_QT)
    target_link_libraries(${name} PRIVATE vex_qt_test_main Qt6::Test)
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  # The environment goes through a launcher: list-valued test properties do
  # not survive test discovery.
  set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR
    "/usr/bin/env;QT_QPA_PLATFORM=offscreen;WINENV_PREFIX=${CMAKE_BINARY_DIR}/test-prefix/${name};WINENV_NO_LAUNCH=1")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES
      TIMEOUT 300)
endfunction()

# Qt modules call this once in their CMakeLists.txt: moc and rcc for the folder.
macro(vex_qt_module)
  set(CMAKE_AUTOMOC ON)
  set(CMAKE_AUTORCC ON)
endmacro()
