# The configuration document, value checking and the rules that keep the
# rows consistent: standard library only, tested without a window.
add_library(zefr_document STATIC
  check_run.cpp
  compiler_findings.cpp
  configuration_document.cpp
  memory_rows.cpp
  tree_rules.cpp
  value_checks.cpp
  value_text.cpp
  working_paths.cpp)
target_include_directories(zefr_document PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(zefr_document PUBLIC zefr_schema zefr_inifile)
# The compiler's own checker, run in-process to mark what the compiler refuses.
target_link_libraries(zefr_document PRIVATE zefrcfg_core)

add_executable(zefr_document_test
  check_run_test.cpp
  compiler_findings_test.cpp
  configuration_document_test.cpp
  memory_rows_test.cpp
  tree_rules_test.cpp
  value_checks_test.cpp
  value_text_test.cpp)
target_link_libraries(zefr_document_test PRIVATE zefr_document GTest::gtest_main)
target_compile_definitions(zefr_document_test PRIVATE
  ZEFR_RES_DIR="${PROJECT_SOURCE_DIR}/editor/res")
gtest_discover_tests(zefr_document_test)
set_target_properties(zefr_document zefr_document_test PROPERTIES AUTOMOC OFF AUTORCC OFF)
