# The clipboard owner's thread under ThreadSanitizer: the owner and its tests in their own
# executable, against a real X server like the plain build.
if(TARVION_TSAN AND NOT WIN32)
  add_executable(platform_clipboard_tsan_tests
    "${CMAKE_SOURCE_DIR}/platform/system/linux/clipboard.cpp"
    "${CMAKE_CURRENT_SOURCE_DIR}/platform/system/clipboard_test.cpp")
  target_include_directories(platform_clipboard_tsan_tests PRIVATE "${CMAKE_SOURCE_DIR}")
  target_compile_options(platform_clipboard_tsan_tests PRIVATE ${TARVION_WARNINGS} -fsanitize=thread -g -O1)
  target_link_options(platform_clipboard_tsan_tests PRIVATE -fsanitize=thread)
  target_link_libraries(platform_clipboard_tsan_tests PRIVATE PkgConfig::X11 GTest::gtest GTest::gtest_main
    Threads::Threads)
  # As for the mixer: any report fails the run; setarch turns off the address-space
  # randomisation that gcc 12's sanitizer cannot map its shadow memory under.
  add_test(NAME platform_clipboard_tsan_tests COMMAND sh -c
    "if setarch \"$(uname -m)\" -R true 2>/dev/null; then exec setarch \"$(uname -m)\" -R \"$0\"; else exec \"$0\"; fi"
    $<TARGET_FILE:platform_clipboard_tsan_tests>)
  # No session bus: without one named, libdbus (through SDL) starts a dbus-launch child that
  # outlives the sanitized run.
  set_tests_properties(platform_clipboard_tsan_tests PROPERTIES LABELS platform/system RESOURCE_LOCK x_server
    ENVIRONMENT "TSAN_OPTIONS=halt_on_error=1:exitcode=66;DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent")
endif()
