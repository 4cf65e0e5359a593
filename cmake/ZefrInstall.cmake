# What `cmake --install` puts where, in the layout Debian expects: programs in
# bin/, ZefrComm.so in a private folder that zefrcfg finds from its own place,
# the defaults in share/zefr/, and the editor's desktop entry, icon and
# AppStream metadata.
set(_zefr_data ${CMAKE_INSTALL_DATADIR}/zefr)

install(TARGETS zefrcfg zefrdump zefrsim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS ZefrComm LIBRARY DESTINATION ${ZEFR_INSTALL_LIBRARY_DIR})
install(FILES editor/res/ZefrCfgATX.ini editor/res/ZefrCfgBTX.ini DESTINATION ${_zefr_data})

if(TARGET zefrlint)
  install(TARGETS zefrlint RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

if(TARGET zefrct_gui)
  install(TARGETS zefrct_gui RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES editor/res/org.zefr.zefrct_gui.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES editor/res/org.zefr.zefrct_gui.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES editor/res/org.zefr.zefrct_gui.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

# An install into a fresh folder: every file in its place, and the installed
# zefrcfg compiles the installed default and loads the installed library.
add_test(NAME install_layout COMMAND ${CMAKE_COMMAND} -DBUILD=${CMAKE_BINARY_DIR}
  -DPREFIX=${CMAKE_BINARY_DIR}/install-test
  -DLIBRARY_DIR=${ZEFR_INSTALL_LIBRARY_DIR} -DDATADIR=${CMAKE_INSTALL_DATADIR}
  -DEDITOR=$<TARGET_EXISTS:zefrct_gui> -P ${CMAKE_CURRENT_LIST_DIR}/install_layout_test.cmake)
