# The updater tests serve files from a loopback HTTP server in Python and install a small
# stand-in executable that marks that it was started; a probe program moves itself aside as
# the install does.
if(TARGET updater_tests)
  find_package(Python3 COMPONENTS Interpreter REQUIRED)
  add_executable(updater_dummy_exe "${CMAKE_CURRENT_SOURCE_DIR}/updater/dummy/dummy_main.cpp")
  target_compile_options(updater_dummy_exe PRIVATE ${TARVION_WARNINGS})
  target_link_libraries(updater_dummy_exe PRIVATE tarvion_platform_system)
  # The stand-in once more, needing a library of its own that it finds only beside itself.
  add_library(updater_dummy_library SHARED "${CMAKE_CURRENT_SOURCE_DIR}/updater/dummy/dummy_library.cpp")
  target_include_directories(updater_dummy_library PRIVATE "${CMAKE_SOURCE_DIR}")
  target_compile_options(updater_dummy_library PRIVATE ${TARVION_WARNINGS})
  add_executable(updater_dummy_needs_library "${CMAKE_CURRENT_SOURCE_DIR}/updater/dummy/dummy_main.cpp")
  target_compile_options(updater_dummy_needs_library PRIVATE ${TARVION_WARNINGS})
  target_compile_definitions(updater_dummy_needs_library PRIVATE TARVION_DUMMY_NEEDS_LIBRARY)
  target_link_libraries(updater_dummy_needs_library PRIVATE tarvion_platform_system updater_dummy_library)
  set_target_properties(updater_dummy_needs_library PROPERTIES BUILD_WITH_INSTALL_RPATH TRUE INSTALL_RPATH "$ORIGIN")
  add_executable(updater_path_probe "${CMAKE_CURRENT_SOURCE_DIR}/updater/probe/path_probe_main.cpp")
  target_compile_options(updater_path_probe PRIVATE ${TARVION_WARNINGS})
  target_link_libraries(updater_path_probe PRIVATE tarvion_updater)
  add_dependencies(updater_tests updater_dummy_exe updater_dummy_needs_library updater_path_probe)
  target_compile_definitions(updater_tests PRIVATE
    TARVION_PYTHON="${Python3_EXECUTABLE}"
    UPDATER_SERVER_SCRIPT="${CMAKE_CURRENT_SOURCE_DIR}/updater/loopback_server.py"
    UPDATER_DUMMY_EXE="$<TARGET_FILE:updater_dummy_exe>"
    UPDATER_DUMMY_NEEDS_LIBRARY="$<TARGET_FILE:updater_dummy_needs_library>"
    UPDATER_DUMMY_LIBRARY="$<TARGET_FILE:updater_dummy_library>"
    UPDATER_PATH_PROBE="$<TARGET_FILE:updater_path_probe>")
endif()
