# The mixer under ThreadSanitizer: its own executable, built from the portable mixer
# sources and the threaded tests, so no uninstrumented device library is involved.
if(TARVION_TSAN)
  add_executable(audio_tsan_tests
    "${CMAKE_SOURCE_DIR}/audio/mixer.cpp"
    "${CMAKE_SOURCE_DIR}/audio/synth.cpp"
    "${CMAKE_CURRENT_SOURCE_DIR}/audio/mixer_threads_test.cpp"
    "${CMAKE_CURRENT_SOURCE_DIR}/audio/mixer_test.cpp")
  target_include_directories(audio_tsan_tests PRIVATE "${CMAKE_SOURCE_DIR}")
  target_compile_options(audio_tsan_tests PRIVATE ${TARVION_WARNINGS} -fsanitize=thread -g -O1)
  target_link_options(audio_tsan_tests PRIVATE -fsanitize=thread)
  target_link_libraries(audio_tsan_tests PRIVATE GTest::gtest GTest::gtest_main Threads::Threads)
  # Any report fails the run. gcc 12's sanitizer cannot map its shadow memory on kernels
  # with high address-space randomisation, so run without it where setarch may turn it off.
  add_test(NAME audio_tsan_tests COMMAND sh -c
    "if setarch \"$(uname -m)\" -R true 2>/dev/null; then exec setarch \"$(uname -m)\" -R \"$0\"; else exec \"$0\"; fi"
    $<TARGET_FILE:audio_tsan_tests>)
  # No session bus: without one named, libdbus (through SDL) starts a dbus-launch child that
  # outlives the sanitized run.
  set_tests_properties(audio_tsan_tests PROPERTIES LABELS audio
    ENVIRONMENT "TSAN_OPTIONS=halt_on_error=1:exitcode=66;DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent")
endif()
