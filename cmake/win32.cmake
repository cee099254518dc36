# The Windows build, cross-compiled with MinGW-w64 (toolchain: cmake/mingw-w64.cmake):
# Tarvion.exe linked statically against system DLLs only, Dear ImGui's Win32 backend, the
# resources (model pack, manifest, version), and the test suites that run under Wine.
enable_language(RC)

add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
# -O2 as in the native build: at -O3 gcc 12 warns falsely about freeing vectors.
string(REPLACE "-O3" "-O2" CMAKE_CXX_FLAGS_RELEASE "${CMAKE_CXX_FLAGS_RELEASE}")
string(REPLACE "-O3" "-O2" CMAKE_C_FLAGS_RELEASE "${CMAKE_C_FLAGS_RELEASE}")
# Every executable of this build carries its C++ runtime, so Wine (or a player's machine)
# needs no MinGW DLLs beside it.
add_link_options(-static)

# Nothing here for benchmarks or the ThreadSanitizer builds: they belong to the native tree.
set(TARVION_BENCH OFF)
set(TARVION_TSAN OFF)

# The base layer finds the user's folders through the shell.
target_link_libraries(tarvion_platform_base PUBLIC shell32)

set(TARVION_IMGUI_BACKEND win32)
# No gamepad input: the backend would otherwise load an XInput DLL on the first frame and
# free it at shutdown. Wine's XInput has a thread that, when the DLL is freed, still runs
# one instruction past its last call into code that is gone: the page fault at exit.
set(TARVION_IMGUI_BACKEND_DEFINES IMGUI_IMPL_WIN32_DISABLE_GAMEPAD)
set(TARVION_IMGUI_LIBS opengl32 gdi32 user32 imm32 dwmapi)
set(TARVION_OS_LIBS opengl32 gdi32 user32 winmm bcrypt winhttp ole32 advapi32 shell32)

# Cross-built tests run through Wine (cmake/wine_run.sh); the test stage makes the prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_SOURCE_DIR}/cmake/wine_run.sh")
# The suites whose code is free of windows, GL and devices; the rest need the native tree.
set(TARVION_TEST_SUITES core/catalog core/profile engine/kernel engine/flow)
if(TARVION_TESTS)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)
endif()

# The portable part of the sound subsystem (synthesis, mixer, WAV files) with its tests.
function(tarvion_cross_tests)
  add_executable(audio_portable_tests
    "${CMAKE_SOURCE_DIR}/audio/mixer.cpp" "${CMAKE_SOURCE_DIR}/audio/synth.cpp"
    "${CMAKE_SOURCE_DIR}/audio/wav_export.cpp"
    "${CMAKE_SOURCE_DIR}/tests/audio/mixer_test.cpp" "${CMAKE_SOURCE_DIR}/tests/audio/mixer_threads_test.cpp"
    "${CMAKE_SOURCE_DIR}/tests/audio/synth_test.cpp" "${CMAKE_SOURCE_DIR}/tests/audio/wav_export_test.cpp")
  target_include_directories(audio_portable_tests PRIVATE "${CMAKE_SOURCE_DIR}")
  target_compile_options(audio_portable_tests PRIVATE ${TARVION_WARNINGS})
  target_link_libraries(audio_portable_tests PRIVATE tarvion_platform_base GTest::gtest GTest::gtest_main
    Threads::Threads)
  gtest_discover_tests(audio_portable_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
    WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}" PROPERTIES LABELS audio)
  # The Windows services as Windows programs: platform calls, the game scan, the update swap.
  include("${CMAKE_SOURCE_DIR}/tests/platform/win32/windows_suites.cmake")
endfunction()

# Tarvion.exe: a GUI program entered through wWinMain (platform/system/win32/entry.cpp), with its
# resources compiled in. The model pack is the one the host-built generator writes.
function(tarvion_win32_executable target)
  set(rc_dir "${CMAKE_BINARY_DIR}/resources")
  configure_file("${CMAKE_SOURCE_DIR}/platform/system/win32/tarvion.manifest.in" "${rc_dir}/tarvion.manifest" @ONLY)
  configure_file("${CMAKE_SOURCE_DIR}/platform/system/win32/tarvion.rc.in" "${rc_dir}/tarvion.rc" @ONLY)
  set_source_files_properties("${rc_dir}/tarvion.rc" PROPERTIES
    OBJECT_DEPENDS "${TARVION_MODEL_PACK};${rc_dir}/tarvion.manifest")
  target_sources(${target} PRIVATE "${rc_dir}/tarvion.rc")
  add_dependencies(${target} tarvion_model_pack)
  set_target_properties(${target} PROPERTIES OUTPUT_NAME Tarvion WIN32_EXECUTABLE ON)
  # wWinMain lives in the platform library; the C runtime asks for it only after the
  # libraries have been searched, so name it up front.
  target_link_options(${target} PRIVATE -mwindows -municode -Wl,--undefined=wWinMain)
  # The runtime's static libraries bring their debug sections along; a release a player
  # downloads carries none, nor a symbol table.
  target_link_options(${target} PRIVATE $<$<CONFIG:Release,MinSizeRel>:-s>)
endfunction()
