# The shell's tests record the cues they trigger instead of opening a sound device.
if(TARGET app_tests)
  target_link_libraries(app_tests PRIVATE tarvion_test_fakes)
  # The update's restart installs the updater's stand-in build.
  if(TARGET updater_dummy_exe)
    add_dependencies(app_tests updater_dummy_exe)
    target_compile_definitions(app_tests PRIVATE UPDATER_DUMMY_EXE="$<TARGET_FILE:updater_dummy_exe>")
  endif()
  # The X server of a test's own (openbox, a second start) comes from the platform suite.
  target_sources(app_tests PRIVATE "${CMAKE_CURRENT_SOURCE_DIR}/platform/system/private_x.cpp"
    "${CMAKE_CURRENT_SOURCE_DIR}/platform/system/x_probe.cpp" "${CMAKE_CURRENT_SOURCE_DIR}/platform/system/child_process.cpp")
endif()

# A library preloaded into the program, under which its renderer cannot be built (no OpenGL
# program objects): what a new build meets on a player's graphics driver.
add_library(no_gl_programs SHARED "${CMAKE_CURRENT_SOURCE_DIR}/app/no_gl_programs/no_gl_programs.cpp")
target_compile_options(no_gl_programs PRIVATE ${TARVION_WARNINGS})
target_link_libraries(no_gl_programs PRIVATE ${CMAKE_DL_LIBS})
if(TARGET app_tests)
  add_dependencies(app_tests no_gl_programs)
  target_compile_definitions(app_tests PRIVATE NO_GL_PROGRAMS_LIBRARY="$<TARGET_FILE:no_gl_programs>")
endif()

# The PNG encoder checked by a decoder that shares none of its code: Python's zlib with a
# small chunk reader inflates the files and compares them with the pixels they came from.
find_package(Python3 COMPONENTS Interpreter)
add_executable(png_fixture_writer "${CMAKE_CURRENT_SOURCE_DIR}/app/png_check/write_fixtures.cpp"
  "${CMAKE_SOURCE_DIR}/app/png.cpp")
target_include_directories(png_fixture_writer PRIVATE "${CMAKE_SOURCE_DIR}")
target_compile_options(png_fixture_writer PRIVATE ${TARVION_WARNINGS})
target_link_libraries(png_fixture_writer PRIVATE tarvion_platform_base)
if(Python3_Interpreter_FOUND)
  add_test(NAME png_independent_decode
    COMMAND ${Python3_EXECUTABLE} "${CMAKE_CURRENT_SOURCE_DIR}/app/png_check/decode_check.py"
      $<TARGET_FILE:png_fixture_writer>)
  set_tests_properties(png_independent_decode PROPERTIES LABELS app)
endif()

# The built program plays the whole self-test under its own X server: a few minutes on
# llvmpipe, so it runs once, as its own test with its own limit, beside the others.
if(TARGET app_tests AND TARGET tarvion)
  add_test(NAME app_selftest_run
    COMMAND app_tests --gtest_filter=SelfTestRun.*)
  set_tests_properties(app_selftest_run PROPERTIES LABELS app TIMEOUT 600
    ENVIRONMENT TARVION_SELFTEST_RUN=1)
endif()
