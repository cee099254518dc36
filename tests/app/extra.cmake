# The shell's tests record the cues they trigger instead of opening a sound device.
if(TARGET app_tests)
  target_link_libraries(app_tests PRIVATE tarvion_test_fakes)
endif()

# The PNG encoder checked by a decoder that shares none of its code: Python's zlib with a
# small chunk reader inflates the files and compares them with the pixels they came from.
find_package(Python3 COMPONENTS Interpreter)
add_executable(png_fixture_writer "${CMAKE_CURRENT_SOURCE_DIR}/app/png_check/write_fixtures.cpp"
  "${CMAKE_SOURCE_DIR}/app/png.cpp")
target_include_directories(png_fixture_writer PRIVATE "${CMAKE_SOURCE_DIR}")
target_compile_options(png_fixture_writer PRIVATE ${TARVION_WARNINGS})
if(Python3_Interpreter_FOUND)
  add_test(NAME png_independent_decode
    COMMAND ${Python3_EXECUTABLE} "${CMAKE_CURRENT_SOURCE_DIR}/app/png_check/decode_check.py"
      $<TARGET_FILE:png_fixture_writer>)
  set_tests_properties(png_independent_decode PROPERTIES LABELS app)
endif()
