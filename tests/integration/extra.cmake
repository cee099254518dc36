# Integration tests record the cues they play through the test sound sink.
if(TARGET integration_tests)
  target_link_libraries(integration_tests PRIVATE tarvion_test_fakes)
endif()
