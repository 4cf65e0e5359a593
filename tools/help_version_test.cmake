# Runs PROGRAM --help and --version: each must succeed, print only to
# standard output, and say what GNU tools say. NAME is the program's name.
function(run_option option expect_regex)
  execute_process(COMMAND ${PROGRAM} ${option} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${NAME} ${option}: exit status ${rc}")
  endif()
  if(NOT err STREQUAL "")
    message(FATAL_ERROR "${NAME} ${option}: printed on standard error:\n${err}")
  endif()
  if(NOT out MATCHES "${expect_regex}")
    message(FATAL_ERROR "${NAME} ${option}: expected ${expect_regex}, got:\n${out}")
  endif()
  set(last_out "${out}" PARENT_SCOPE)
endfunction()

string(REPLACE "." "\\." version_regex "${VERSION}")
# The first line names the program, the package and the version, and nothing follows on it.
run_option(--version "^${NAME} \\(Zefr\\) ${version_regex}\n")
# The usage line first, then the options, --help and --version among them.
run_option(--help "^Us(e|age): ${NAME} ")
foreach(option --help --version)
  if(NOT last_out MATCHES "\n[ ]*(-[A-Za-z], )?${option}[ ,]")
    message(FATAL_ERROR "${NAME} --help does not list ${option}")
  endif()
endforeach()
