# zefr_uses_programs(TARGET PROGRAM...)
# For a test or bench that runs built programs: each is built before it, and
# its path reaches the code as <PROGRAM>_BINARY (the name in upper case).
function(zefr_uses_programs target)
  foreach(_program ${ARGN})
    string(TOUPPER ${_program} _name)
    target_compile_definitions(${target} PRIVATE ${_name}_BINARY="$<TARGET_FILE:${_program}>")
  endforeach()
  add_dependencies(${target} ${ARGN})
endfunction()
