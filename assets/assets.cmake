# The model-pack generator's folder: a tool of its own, on the standard library alone.
tarvion_unit(tarvion_make_model_pack FOLDERS assets)

# The model pack: built at build time by our own generator, then linked into the program
# as read-only data (assembler .incbin, or a resource of the Windows executable) and
# reached through plat::modelPackBytes().
set(TARVION_MODEL_PACK "${CMAKE_BINARY_DIR}/assets/models.qxg")
if(CMAKE_CROSSCOMPILING)
  # The generator must run here, so a cross build makes a native build of it beside itself.
  include(ExternalProject)
  set(host_tools "${CMAKE_BINARY_DIR}/host_tools")
  set(pack_generator "${host_tools}/tarvion_make_model_pack")
  ExternalProject_Add(tarvion_host_tools
    SOURCE_DIR "${CMAKE_SOURCE_DIR}/assets/host"
    BINARY_DIR "${host_tools}"
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=RelWithDebInfo
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS "${pack_generator}")
  set(pack_generator_deps tarvion_host_tools "${pack_generator}")
else()
  include("${CMAKE_SOURCE_DIR}/assets/generator.cmake")
  set(pack_generator tarvion_make_model_pack)
  set(pack_generator_deps tarvion_make_model_pack)
endif()
add_custom_command(
  OUTPUT "${TARVION_MODEL_PACK}"
  COMMAND "${CMAKE_COMMAND}" -E make_directory "${CMAKE_BINARY_DIR}/assets"
  COMMAND ${pack_generator} "${TARVION_MODEL_PACK}"
  DEPENDS ${pack_generator_deps}
  COMMENT "Generating the gun model pack"
  VERBATIM)
add_custom_target(tarvion_model_pack DEPENDS "${TARVION_MODEL_PACK}")

if(NOT WIN32)
  enable_language(ASM)
  set(pack_asm "${CMAKE_BINARY_DIR}/assets/model_pack.S")
  file(CONFIGURE OUTPUT "${pack_asm}" CONTENT [=[
    .section .rodata
    .balign 16
    .globl tarvion_model_pack_begin
    .globl tarvion_model_pack_end
tarvion_model_pack_begin:
    .incbin "@TARVION_MODEL_PACK@"
tarvion_model_pack_end:
    .byte 0
    .section .note.GNU-stack,"",@progbits
]=] @ONLY)
  set_source_files_properties("${pack_asm}" PROPERTIES OBJECT_DEPENDS "${TARVION_MODEL_PACK}")
  add_library(tarvion_assets STATIC "${pack_asm}")
  add_dependencies(tarvion_assets tarvion_model_pack)
  # The platform's resource lookup reads the symbols above.
  target_link_libraries(tarvion_platform_system PUBLIC tarvion_assets)
endif()
