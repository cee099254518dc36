# Every test folder: the libraries its suite links (it may include only what they reach) and
# the outside headers it may include. A suite links the library of its folder and nothing
# above it, so a call that reaches up a layer fails to link. Read by the top-level build
# whether or not the tests are built, so the include check knows every folder.
set_property(GLOBAL PROPERTY TARVION_SUITES "")
function(tarvion_suite folder)
  cmake_parse_arguments(S "" "" "LINKS;HEADERS" ${ARGN})
  string(REPLACE "/" "_" name "${folder}")
  set_property(GLOBAL APPEND PROPERTY TARVION_SUITES ${folder})
  tarvion_unit(${name}_tests FOLDERS tests/${folder} LINKS ${S_LINKS} HEADERS tests ${S_HEADERS})
endfunction()

# The links of a registered unit.
function(tarvion_unit_links out unit)
  get_property(links GLOBAL PROPERTY TARVION_UNIT_${unit}_LINKS)
  set(${out} ${links} PARENT_SCOPE)
endfunction()

tarvion_suite(core/catalog LINKS tarvion_catalog)
tarvion_suite(core/profile LINKS tarvion_profile tarvion_test_fakes)
tarvion_suite(engine/kernel LINKS tarvion_kernel tarvion_test_fakes)
tarvion_suite(engine/flow LINKS tarvion_flow tarvion_test_fakes)
tarvion_suite(platform/base LINKS tarvion_platform_base)
# The platform's tests act as other programs would beside the window (xcb, POSIX).
tarvion_suite(platform/system LINKS tarvion_platform_system HEADERS os)
tarvion_suite(audio LINKS tarvion_audio)
tarvion_suite(integration LINKS tarvion_integration tarvion_test_fakes)
tarvion_suite(updater LINKS tarvion_updater)
tarvion_suite(render LINKS tarvion_render HEADERS gl)
tarvion_suite(ui LINKS tarvion_app)
tarvion_suite(app LINKS tarvion_app tarvion_test_fakes)

# Folders of tests that are not one suite of the native build.
# Stand-ins for the layers above core and engine (sound), so those are tested without a device.
tarvion_unit(tarvion_test_fakes FOLDERS tests/fakes LINKS tarvion_catalog)
# Helpers any test may include: temporary folders, whole-file reads and writes, environment
# variables, time limits, the loopback HTTP server, a stand-in opener, FIFOs, file-size
# limits, another writer of a file, the X lock, a test window. A helper is a header that uses only what the suites
# that include it link.
tarvion_unit(tests_support FOLDERS tests/support LINKS tarvion_platform_system HEADERS tests os)
# The Windows services as Windows programs, run under Wine by the cross build.
tarvion_unit(platform_win32_tests FOLDERS tests/platform/win32 LINKS tarvion_platform_system HEADERS tests os)
tarvion_unit(integration_win32_tests FOLDERS tests/integration/win32 LINKS tarvion_integration HEADERS tests os)
tarvion_unit(updater_win32_tests FOLDERS tests/updater/win32 LINKS tarvion_updater HEADERS tests os)
tarvion_unit(app_win32_tests FOLDERS tests/app/win32 LINKS tarvion_app HEADERS tests os)
# Programs the tests run: the PNG fixture writer, a library that fails the renderer, the
# updater's stand-in and probe, the fuzz targets.
tarvion_unit(png_fixture_writer FOLDERS tests/app/png_check LINKS tarvion_app)
# Preloaded into the program: a driver on which the renderer's shaders cannot be built.
tarvion_unit(no_gl_programs FOLDERS tests/app/no_gl_programs HEADERS os)
tarvion_unit(updater_dummy_exe FOLDERS tests/updater/dummy LINKS tarvion_platform_system)
# The updater's probe: a program that moves itself aside as an install does.
tarvion_unit(updater_path_probe FOLDERS tests/updater/probe LINKS tarvion_updater)
tarvion_unit(integration_fuzz FOLDERS tests/integration/fuzz LINKS tarvion_integration)
