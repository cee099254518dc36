# Integration tests record the cues they play through the test sound sink.
if(TARGET integration_tests)
  target_link_libraries(integration_tests PRIVATE tarvion_test_fakes)
endif()

# Fuzz targets for the readers of the store files and of Reforger's settings file, built
# with clang's libFuzzer and AddressSanitizer (the rest of the build stays with g++). Each
# runs for a bounded time as a test, seeded with the fixture trees; a crash, a failed
# invariant or a hang fails it.
find_program(TARVION_CLANGXX NAMES clang++ clang++-14)
if(TARVION_FUZZ AND TARVION_CLANGXX AND NOT DEFINED TARVION_FUZZ_WORKS)
  set(probe_dir "${CMAKE_BINARY_DIR}/fuzz_probe")
  file(MAKE_DIRECTORY "${probe_dir}")
  file(WRITE "${probe_dir}/probe.cpp"
    "#include <cstddef>\n#include <cstdint>\nextern \"C\" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }\n")
  execute_process(COMMAND "${TARVION_CLANGXX}" -fsanitize=fuzzer,address "${probe_dir}/probe.cpp" -o "${probe_dir}/probe"
    RESULT_VARIABLE probe_result OUTPUT_QUIET ERROR_QUIET)
  if(probe_result EQUAL 0)
    set(TARVION_FUZZ_WORKS ON CACHE INTERNAL "clang can build libFuzzer targets")
  else()
    set(TARVION_FUZZ_WORKS OFF CACHE INTERNAL "clang can build libFuzzer targets")
  endif()
endif()

if(TARVION_FUZZ AND TARVION_FUZZ_WORKS)
  set(fuzz_dir "${CMAKE_CURRENT_SOURCE_DIR}/integration/fuzz")
  set(fuzz_data "${CMAKE_CURRENT_SOURCE_DIR}/integration/data")
  set(fuzz_deps "${CMAKE_SOURCE_DIR}/integration/text_rules.cpp" "${CMAKE_SOURCE_DIR}/integration/detection.h"
    "${CMAKE_SOURCE_DIR}/integration/store_sources.h" "${CMAKE_SOURCE_DIR}/integration/reforger.h"
    "${CMAKE_SOURCE_DIR}/platform/base/registry.h" "${CMAKE_SOURCE_DIR}/platform/base/text.h")
  set(TARVION_FUZZ_SECONDS 20 CACHE STRING "How long each fuzz test runs")
  foreach(name quoted_value epic_manifest reforger_settings)
    set(out "${CMAKE_CURRENT_BINARY_DIR}/fuzz_${name}")
    add_custom_command(OUTPUT "${out}"
      COMMAND "${TARVION_CLANGXX}" -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined
        -fno-sanitize-recover=undefined -Wall -Wextra -I "${CMAKE_SOURCE_DIR}"
        "${fuzz_dir}/fuzz_${name}.cpp" "${CMAKE_SOURCE_DIR}/integration/text_rules.cpp" -o "${out}"
      DEPENDS "${fuzz_dir}/fuzz_${name}.cpp" ${fuzz_deps}
      COMMENT "Building fuzz target fuzz_${name} with clang"
      VERBATIM)
    add_custom_target(fuzz_${name} ALL DEPENDS "${out}")
    # New inputs go to the first corpus folder, in the build tree; the fixtures only seed.
    set(corpus "${CMAKE_CURRENT_BINARY_DIR}/fuzz_corpus/${name}")
    file(MAKE_DIRECTORY "${corpus}")
    add_test(NAME integration_fuzz_${name}
      COMMAND "${out}" -max_total_time=${TARVION_FUZZ_SECONDS} -timeout=10 -rss_limit_mb=2048
        -max_len=65536 "-artifact_prefix=${CMAKE_CURRENT_BINARY_DIR}/fuzz_artifacts_${name}-" "${corpus}" "${fuzz_data}/stores" "${fuzz_data}/reforger")
    set_tests_properties(integration_fuzz_${name} PROPERTIES LABELS integration TIMEOUT 300)
  endforeach()
elseif(TARVION_FUZZ)
  message(STATUS "integration fuzz targets skipped: clang with libFuzzer (libclang-rt-14-dev) not found")
endif()
