# leaf_register_module(target): after the module is built, registers it with
# build/bin/regsvr into the build tree's own registry root (build/registry), so that
# programs and tests run from the build find its classes without touching the user's
# registry.
function(leaf_register_module target)
  add_dependencies(${target} regsvr)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E env LEAF_REGISTRY=${CMAKE_BINARY_DIR}/registry
            $<TARGET_FILE:regsvr> -s $<TARGET_FILE:${target}>
    COMMENT "Registering ${target} in ${CMAKE_BINARY_DIR}/registry"
    VERBATIM)
endfunction()
