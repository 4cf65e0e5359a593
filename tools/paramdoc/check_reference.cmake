# Generates the reference into a temporary file and compares it with the
# checked-in one.
execute_process(COMMAND ${TOOL} ${GENERATED} RESULT_VARIABLE written)
if(NOT written EQUAL 0)
  message(FATAL_ERROR "paramdoc failed (${written})")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${GENERATED} ${CHECKED_IN}
                RESULT_VARIABLE differs)
if(NOT differs EQUAL 0)
  message(FATAL_ERROR "docs/parameters.md is out of date; regenerate it with: "
                      "build/bin/paramdoc docs/parameters.md")
endif()
