# Runs `zefrct_gui --check` and compares its output and exit status.
#   -DPROGRAM=... -DINI=... -DEXPECT_RC=... [-DEXPECT_OUT=file] [-DFORM_FACTOR=atx]
set(args --check)
if(FORM_FACTOR)
  list(APPEND args --form-factor ${FORM_FACTOR})
endif()
execute_process(COMMAND ${PROGRAM} ${args} ${INI}
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL EXPECT_RC)
  message(FATAL_ERROR "exit status ${rc}, expected ${EXPECT_RC}\n${out}${err}")
endif()
set(expected "")
if(EXPECT_OUT)
  file(READ ${EXPECT_OUT} expected)
endif()
if(NOT out STREQUAL expected)
  message(FATAL_ERROR "output differs:\n---\n${out}---\nexpected:\n---\n${expected}---")
endif()
