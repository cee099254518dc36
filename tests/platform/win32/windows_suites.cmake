# The Windows services tested as Windows programs under Wine (the test stage makes the
# prefix and the X server): the platform calls, the game scan and Reforger's file on a real
# registry and drive, and the update swap of a running executable. They share the helpers
# of tests/support and tests/platform/win32 (the loopback server of the download tests is
# started on the Linux side), the stand-in program and the probe that moves itself aside,
# built here for Windows.
# The shell's own (its window under Wine, a second start of Tarvion.exe) link the program's
# libraries.
add_executable(updater_dummy_exe "${CMAKE_SOURCE_DIR}/tests/updater/dummy/dummy_main.cpp")
target_compile_options(updater_dummy_exe PRIVATE ${TARVION_WARNINGS})
target_link_options(updater_dummy_exe PRIVATE -municode)
target_link_libraries(updater_dummy_exe PRIVATE tarvion_platform_system)
# The stand-in once more, needing a DLL of its own that it finds only beside itself.
add_library(updater_dummy_library SHARED "${CMAKE_SOURCE_DIR}/tests/updater/dummy/dummy_library.cpp")
target_include_directories(updater_dummy_library PRIVATE "${CMAKE_SOURCE_DIR}")
target_compile_options(updater_dummy_library PRIVATE ${TARVION_WARNINGS})
# Away from the test programs and their working folder, where Windows would find it too.
set_target_properties(updater_dummy_library PROPERTIES PREFIX ""
  RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/dummy_library")
add_executable(updater_dummy_needs_library "${CMAKE_SOURCE_DIR}/tests/updater/dummy/dummy_main.cpp")
target_compile_options(updater_dummy_needs_library PRIVATE ${TARVION_WARNINGS})
target_compile_definitions(updater_dummy_needs_library PRIVATE TARVION_DUMMY_NEEDS_LIBRARY)
target_link_options(updater_dummy_needs_library PRIVATE -municode)
target_link_libraries(updater_dummy_needs_library PRIVATE tarvion_platform_system updater_dummy_library)
add_executable(updater_path_probe "${CMAKE_SOURCE_DIR}/tests/updater/probe/path_probe_main.cpp")
target_compile_options(updater_path_probe PRIVATE ${TARVION_WARNINGS})
target_link_libraries(updater_path_probe PRIVATE tarvion_updater)

# The loopback server runs on the Linux side, under the host's Python.
find_program(TARVION_HOST_PYTHON NAMES python3 REQUIRED)

foreach(suite platform integration updater app)
  file(GLOB srcs CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/${suite}/win32/*.cpp")
  if(suite STREQUAL "platform")
    # The portable address rules' own table runs here too, and the raw-input contract that
    # the native platform suite runs, with this system's driver (raw_input_driver.cpp here).
    list(APPEND srcs "${CMAKE_SOURCE_DIR}/tests/platform/base/url_rules_test.cpp"
      "${CMAKE_SOURCE_DIR}/tests/platform/system/raw_input_test.cpp")
  endif()
  if(suite STREQUAL "app")
    list(APPEND srcs "${CMAKE_SOURCE_DIR}/tests/platform/win32/window_probe.cpp")
  endif()
  add_executable(${suite}_win32_tests ${srcs})
  target_compile_options(${suite}_win32_tests PRIVATE ${TARVION_WARNINGS})
  target_compile_definitions(${suite}_win32_tests PRIVATE TARVION_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    TARVION_PYTHON="${TARVION_HOST_PYTHON}" UPDATER_SERVER_SCRIPT="${CMAKE_SOURCE_DIR}/tests/updater/loopback_server.py"
    UPDATER_DUMMY_EXE="$<TARGET_FILE:updater_dummy_exe>"
    UPDATER_DUMMY_NEEDS_LIBRARY="$<TARGET_FILE:updater_dummy_needs_library>"
    UPDATER_DUMMY_LIBRARY="$<TARGET_FILE:updater_dummy_library>"
    UPDATER_PATH_PROBE="$<TARGET_FILE:updater_path_probe>")
  tarvion_unit_links(links ${suite}_win32_tests)
  target_link_libraries(${suite}_win32_tests PRIVATE ${links} GTest::gtest GTest::gtest_main)
  add_dependencies(${suite}_win32_tests updater_dummy_exe updater_dummy_needs_library updater_path_probe)
  # The tests of one suite share registry keys, injected input and the clipboard of the
  # one Wine session, so they take turns; the suites run beside each other, except that
  # those with windows (the platform's and the shell's) share the one foreground window.
  set(lock wine_${suite})
  if(suite STREQUAL "platform" OR suite STREQUAL "app")
    set(lock wine_desktop)
  endif()
  gtest_discover_tests(${suite}_win32_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
    WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}" PROPERTIES LABELS ${suite} RESOURCE_LOCK ${lock})
endforeach()
