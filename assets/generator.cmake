# The model-pack generator. Fused multiply-adds would change its floating-point results
# with the compiler's whims; the pack must be the same bytes on every build.
add_executable(tarvion_make_model_pack "${CMAKE_CURRENT_LIST_DIR}/make_model_pack.cpp")
target_compile_options(tarvion_make_model_pack PRIVATE ${TARVION_WARNINGS} -ffp-contract=off)
