# The main window over the configuration document.
add_library(zefr_mainwindow STATIC
  CMainConfigDialog.cpp
  EditorPrompts.cpp
  FormFactorDialog.cpp
  TreeRows.cpp)
target_include_directories(zefr_mainwindow PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(zefr_mainwindow PUBLIC zefr_ui zefr_status zefr_payload zefr_document Qt6::Widgets)

zefr_qt_test(main_window_test CMainConfigDialog_test.cpp ${PROJECT_SOURCE_DIR}/editor/res/editor.qrc)
target_link_libraries(main_window_test PRIVATE zefr_mainwindow)
target_compile_definitions(main_window_test PRIVATE
  ZEFR_RES_DIR="${PROJECT_SOURCE_DIR}/editor/res"
  ZEFR_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")
if(TARGET zefrcfg)
  target_compile_definitions(main_window_test PRIVATE ZEFRCFG_PATH="$<TARGET_FILE:zefrcfg>")
  add_dependencies(main_window_test zefrcfg)
endif()
