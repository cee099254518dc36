# The shell's tests record the cues they trigger instead of opening a sound device.
if(TARGET app_tests)
  target_link_libraries(app_tests PRIVATE tarvion_test_fakes)
endif()
