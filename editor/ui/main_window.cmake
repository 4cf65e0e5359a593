# The main window over the configuration document.
add_library(zefr_mainwindow STATIC
  CMainConfigDialog.cpp
  EditorPrompts.cpp
  FormFactorDialog.cpp
  TreeRows.cpp
  user_guide.cpp)
# Installed, the guide is found from the program's own place.
file(RELATIVE_PATH _zefr_guide_dir ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/zefr)
set_property(SOURCE user_guide.cpp APPEND PROPERTY COMPILE_DEFINITIONS ZEFR_INSTALLED_GUIDE_DIR="${_zefr_guide_dir}")
target_include_directories(zefr_mainwindow PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(zefr_mainwindow PUBLIC zefr_ui zefr_status zefr_payload zefr_document Qt6::Widgets)

zefr_qt_test(user_guide_test user_guide_test.cpp)
target_link_libraries(user_guide_test PRIVATE zefr_mainwindow)

zefr_qt_test(main_window_test CMainConfigDialog_test.cpp ${PROJECT_SOURCE_DIR}/editor/res/editor.qrc)
target_link_libraries(main_window_test PRIVATE zefr_mainwindow)
target_compile_definitions(main_window_test PRIVATE
  ZEFR_RES_DIR="${PROJECT_SOURCE_DIR}/editor/res"
  ZEFR_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")
if(TARGET zefrcfg)
  target_compile_definitions(main_window_test PRIVATE ZEFRCFG_PATH="$<TARGET_FILE:zefrcfg>")
  add_dependencies(main_window_test zefrcfg)
endif()
