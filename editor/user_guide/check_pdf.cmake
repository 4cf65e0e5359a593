# Reads the built guide PDF as a reader's tools do: its text must be all
# there (at least 1500 words, the commands and tools a board designer looks
# for) and its pictures must be in it.
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${PDFTOTEXT} ${PDF} - RESULT_VARIABLE rc OUTPUT_VARIABLE text)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "pdftotext cannot read ${PDF}")
endif()
string(REPLACE ";" " " text "${text}")
string(REGEX MATCHALL "[^ \t\r\n]+" words "${text}")
list(LENGTH words count)
if(count LESS 1500)
  message(FATAL_ERROR "the guide holds ${count} words, fewer than 1500")
endif()
# Lines break anywhere, table cells included.
string(REGEX REPLACE "[ \t\r\n]+" " " flat "${text}")
foreach(phrase "Generate Configuration Payload" "Send Configuration to Firmware" "zefrsim" "Payload Accepted."
               "completion code" "Troubleshooting")
  string(FIND "${flat}" "${phrase}" at)
  if(at LESS 0)
    message(FATAL_ERROR "the guide's text lacks \"${phrase}\"")
  endif()
endforeach()

execute_process(COMMAND ${PDFIMAGES} -list ${PDF} RESULT_VARIABLE rc OUTPUT_VARIABLE list)
string(REGEX MATCHALL "\n *[0-9]+ +[0-9]+ +image" images "${list}")
list(LENGTH images pictures)
if(NOT rc EQUAL 0 OR pictures LESS 3)
  message(FATAL_ERROR "the guide holds ${pictures} pictures, fewer than 3:\n${list}")
endif()
