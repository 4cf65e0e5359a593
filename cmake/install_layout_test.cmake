# Installs BUILD into a fresh PREFIX, checks that each file is in its place,
# and runs the installed zefrcfg without LD_LIBRARY_PATH: it must compile the
# installed ATX default, and a delivery must get as far as the library (which
# finds no device in an empty device folder) rather than miss the library.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX}
  RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "install failed: ${err}")
endif()

set(expected
  bin/zefrcfg bin/zefrdump bin/zefrsim
  ${LIBRARY_DIR}/ZefrComm.so
  ${DATADIR}/zefr/ZefrCfgATX.ini
  ${DATADIR}/zefr/ZefrCfgBTX.ini
  ${MANDIR}/man1/zefrcfg.1 ${MANDIR}/man1/zefrdump.1 ${MANDIR}/man1/zefrsim.1)
if(EDITOR)
  list(APPEND expected bin/zefrct_gui ${MANDIR}/man1/zefrct_gui.1 ${DATADIR}/zefr/ZEFRCT_GUI_ug.pdf
    ${DATADIR}/applications/org.zefr.zefrct_gui.desktop
    ${DATADIR}/icons/hicolor/scalable/apps/org.zefr.zefrct_gui.svg
    ${DATADIR}/metainfo/org.zefr.zefrct_gui.metainfo.xml)
endif()
foreach(f IN LISTS expected)
  if(NOT EXISTS ${PREFIX}/${f})
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
if(EXISTS ${PREFIX}/bin/ZefrComm.so)
  message(FATAL_ERROR "the link library must not be installed among the programs")
endif()

set(work ${PREFIX}/work)
file(MAKE_DIRECTORY ${work}/devices)
execute_process(COMMAND env -u LD_LIBRARY_PATH ${PREFIX}/bin/zefrcfg
  ${PREFIX}/${DATADIR}/zefr/ZefrCfgATX.ini -o ${work}/atx.bin
  WORKING_DIRECTORY ${work} RESULT_VARIABLE rc OUTPUT_VARIABLE out)
file(SIZE ${work}/atx.bin size)
if(NOT rc EQUAL 0 OR NOT size EQUAL 1984)
  message(FATAL_ERROR "installed zefrcfg did not compile the installed default (${rc}):\n${out}")
endif()
execute_process(COMMAND env -u LD_LIBRARY_PATH ZEFR_DEVICE_DIR=${work}/devices ${PREFIX}/bin/zefrcfg
  ${PREFIX}/${DATADIR}/zefr/ZefrCfgATX.ini
  WORKING_DIRECTORY ${work} RESULT_VARIABLE rc OUTPUT_VARIABLE out)
if(NOT rc EQUAL 1 OR NOT out MATCHES "Windows CCode = 0x0000045A")
  message(FATAL_ERROR "installed zefrcfg did not load the installed library (${rc}):\n${out}")
endif()
file(REMOVE_RECURSE ${PREFIX})
