# The main window over the configuration document.
add_library(zefr_mainwindow STATIC
  CMainConfigDialog.cpp
  EditorPrompts.cpp
  FormFactorDialog.cpp
  TreeRows.cpp)
target_include_directories(zefr_mainwindow PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(zefr_mainwindow PUBLIC zefr_ui zefr_status zefr_document Qt6::Widgets)

add_executable(main_window_test CMainConfigDialog_test.cpp ${PROJECT_SOURCE_DIR}/editor/res/editor.qrc)
target_link_libraries(main_window_test PRIVATE zefr_mainwindow Qt6::Test)
target_compile_definitions(main_window_test PRIVATE
  ZEFR_RES_DIR="${PROJECT_SOURCE_DIR}/editor/res"
  ZEFR_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")
if(TARGET zefrcfg)
  target_compile_definitions(main_window_test PRIVATE ZEFRCFG_PATH="$<TARGET_FILE:zefrcfg>")
  add_dependencies(main_window_test zefrcfg)
endif()
add_test(NAME main_window_test COMMAND main_window_test)
set_tests_properties(main_window_test PROPERTIES ENVIRONMENT
  "QT_QPA_PLATFORM=offscreen;QT_QPA_FONTDIR=/usr/share/fonts/truetype/dejavu;ASAN_OPTIONS=detect_leaks=0")
