# What `cmake --install` puts where, in the layout Debian expects: programs in
# bin/, ZefrComm.so in a private folder that zefrcfg finds from its own place,
# the defaults and the user guide in share/zefr/, the man pages, and the
# editor's desktop entry, icon and AppStream metadata.
set(_zefr_data ${CMAKE_INSTALL_DATADIR}/zefr)
set(_zefr_man ${CMAKE_INSTALL_MANDIR}/man1)

install(TARGETS zefrcfg zefrdump zefrsim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS ZefrComm LIBRARY DESTINATION ${ZEFR_INSTALL_LIBRARY_DIR})
install(FILES editor/res/ZefrCfgATX.ini editor/res/ZefrCfgBTX.ini DESTINATION ${_zefr_data})
install(FILES docs/man/zefrcfg.1 docs/man/zefrdump.1 docs/man/zefrsim.1 DESTINATION ${_zefr_man})

if(TARGET zefrlint)
  install(TARGETS zefrlint RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES docs/man/zefrlint.1 DESTINATION ${_zefr_man})
endif()

if(TARGET zefrct_gui)
  install(TARGETS zefrct_gui RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES docs/man/zefrct_gui.1 DESTINATION ${_zefr_man})
  install(FILES ${CMAKE_BINARY_DIR}/bin/ZEFRCT_GUI_ug.pdf DESTINATION ${_zefr_data})
  install(FILES editor/res/org.zefr.zefrct_gui.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES editor/res/org.zefr.zefrct_gui.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES editor/res/org.zefr.zefrct_gui.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

# An install into a fresh folder: every file in its place, and the installed
# zefrcfg compiles the installed default and loads the installed library.
add_test(NAME install_layout COMMAND ${CMAKE_COMMAND} -DBUILD=${CMAKE_BINARY_DIR}
  -DPREFIX=${CMAKE_BINARY_DIR}/install-test
  -DLIBRARY_DIR=${ZEFR_INSTALL_LIBRARY_DIR} -DDATADIR=${CMAKE_INSTALL_DATADIR} -DMANDIR=${CMAKE_INSTALL_MANDIR}
  -DEDITOR=$<TARGET_EXISTS:zefrct_gui> -P ${CMAKE_CURRENT_LIST_DIR}/install_layout_test.cmake)

find_program(ZEFR_MAN man)
if(ZEFR_MAN)
  add_test(NAME man_pages COMMAND ${CMAKE_COMMAND} -DMAN=${ZEFR_MAN} -DDIR=${PROJECT_SOURCE_DIR}/docs/man
    -P ${CMAKE_CURRENT_LIST_DIR}/man_pages_test.cmake)
endif()
