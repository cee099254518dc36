# The model pack: built at build time by our own generator, then linked into the program
# as read-only data (assembler .incbin) and reached through plat::modelPackBytes().
add_executable(tarvion_make_model_pack "${CMAKE_SOURCE_DIR}/assets/make_model_pack.cpp")
target_compile_options(tarvion_make_model_pack PRIVATE ${TARVION_WARNINGS} -ffp-contract=off)

set(TARVION_MODEL_PACK "${CMAKE_BINARY_DIR}/assets/models.qxg")
add_custom_command(
  OUTPUT "${TARVION_MODEL_PACK}"
  COMMAND "${CMAKE_COMMAND}" -E make_directory "${CMAKE_BINARY_DIR}/assets"
  COMMAND tarvion_make_model_pack "${TARVION_MODEL_PACK}"
  DEPENDS tarvion_make_model_pack
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
  target_link_libraries(tarvion_platform PUBLIC tarvion_assets)
endif()
